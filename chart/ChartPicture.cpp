#include "chart/ChartPicture.h"

#include <array>

namespace chart {

namespace {

// Filled columns [first, last] of each pixel row of a cell box.
struct Span {
    int first;
    int last;
};
constexpr Span kSpans[kCellHeight] = {{6, 8},  {4, 10}, {2, 12}, {0, 13}, {0, 13},
                                      {0, 13}, {0, 13}, {0, 13}, {0, 13}, {0, 13},
                                      {0, 13}, {0, 13}, {2, 12}, {4, 10}, {6, 8}};

using Colours = std::vector<uint32_t>;

// Rows 1..13, the large hexagon, top to bottom.
const std::array<Colours, 13>& HexagonRows() {
    static const std::array<Colours, 13> rows = {{
        {0x003366, 0x336699, 0x3366CC, 0x003399, 0x000099, 0x0000CC, 0x000066},
        {0x006666, 0x006699, 0x0099CC, 0x0066CC, 0x0033CC, 0x0000FF, 0x3333FF, 0x333399},
        {0x008080, 0x009999, 0x33CCCC, 0x00CCFF, 0x0099FF, 0x0066FF, 0x3366FF, 0x3333CC, 0x666699},
        {0x339966, 0x00CC99, 0x00FFCC, 0x00FFFF, 0x33CCFF, 0x3399FF, 0x6699FF, 0x6666FF, 0x6600FF,
         0x6600CC},
        {0x339933, 0x00CC66, 0x00FF99, 0x66FFCC, 0x66FFFF, 0x66CCFF, 0x99CCFF, 0x9999FF, 0x9966FF,
         0x9933FF, 0x9900FF},
        {0x006600, 0x00CC00, 0x00FF00, 0x66FF99, 0x99FFCC, 0xCCFFFF, 0xCCECFF, 0xCCCCFF, 0xCC99FF,
         0xCC66FF, 0xCC00FF, 0x9900CC},
        {0x003300, 0x008000, 0x33CC33, 0x66FF66, 0x99FF99, 0xCCFFCC, 0xFFFFFF, 0xFFCCFF, 0xFF99FF,
         0xFF66FF, 0xFF00FF, 0xCC00CC, 0x660066},
        {0x336600, 0x009900, 0x66FF33, 0x99FF66, 0xCCFF99, 0xFFFFCC, 0xFFCCCC, 0xFF99CC, 0xFF66CC,
         0xFF33CC, 0xCC0099, 0x800080},
        {0x333300, 0x669900, 0x99FF33, 0xCCFF66, 0xFFFF99, 0xFFCC99, 0xFF9999, 0xFF6699, 0xFF3399,
         0xCC3399, 0x990099},
        {0x666633, 0x99CC00, 0xCCFF33, 0xFFFF66, 0xFFCC66, 0xFF9966, 0xFF7C80, 0xFF0066, 0xD60093,
         0x993366},
        {0x808000, 0xCCCC00, 0xFFFF00, 0xFFCC00, 0xFF9933, 0xFF6600, 0xFF5050, 0xCC0066, 0x660033},
        {0x996633, 0xCC9900, 0xFF9900, 0xCC6600, 0xFF3300, 0xFF0000, 0xCC0000, 0x990033},
        {0x663300, 0x996600, 0xCC3300, 0x993300, 0x990000, 0x800000, 0xA50021},
    }};
    return rows;
}

void AddRow(std::vector<Cell>& cells, int row, int x, int y, const Colours& colours) {
    int index = 0;
    for (uint32_t rgb : colours) {
        cells.push_back({row, index, x + kCellWidth * index, y, rgb});
        ++index;
    }
}

std::vector<Cell> BuildCells() {
    std::vector<Cell> cells;
    // Rows of the hexagon are 12 pixels apart, so the pointed ends of one row
    // fill the gaps between the cells of the next; a shorter row is indented
    // by half a cell per missing cell.
    for (int row = 1; row <= 13; ++row) {
        const Colours& colours = HexagonRows()[static_cast<size_t>(row - 1)];
        const int n = static_cast<int>(colours.size());
        AddRow(cells, row, 4 + 7 * (13 - n), 1 + 12 * (row - 1), colours);
    }
    // The greys, below a 2-pixel white strip.
    AddRow(cells, 14, 39, 162,
           {0xF8F8F8, 0xDDDDDD, 0xB2B2B2, 0x808080, 0x5F5F5F, 0x333333, 0x1C1C1C, 0x000000});
    AddRow(cells, 15, 46, 174,
           {0xEAEAEA, 0xC0C0C0, 0x969696, 0x777777, 0x4D4D4D, 0x292929, 0x111111});
    return cells;
}

QImage BuildPicture() {
    QImage image(kPictureSize, kPictureSize, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    for (const Cell& cell : Cells()) {
        const QRgb colour = 0xFF000000u | cell.rgb;
        for (int r = 0; r < kCellHeight; ++r) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(cell.y + r));
            for (int c = kSpans[r].first; c <= kSpans[r].last; ++c) {
                line[cell.x + c] = colour;
            }
        }
    }
    return image;
}

} // namespace

bool InHexagon(int column, int row) {
    return row >= 0 && row < kCellHeight && column >= kSpans[row].first &&
           column <= kSpans[row].last;
}

const std::vector<Cell>& Cells() {
    static const std::vector<Cell> cells = BuildCells();
    return cells;
}

QImage ChartPicture() {
    static const QImage picture = BuildPicture();
    return picture;
}

} // namespace chart
