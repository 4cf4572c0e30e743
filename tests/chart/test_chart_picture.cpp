#include "chart/ChartPicture.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Filled columns of each pixel row of a cell box.
const int kSpans[15][2] = {{6, 8},  {4, 10}, {2, 12}, {0, 13}, {0, 13}, {0, 13}, {0, 13}, {0, 13},
                           {0, 13}, {0, 13}, {0, 13}, {0, 13}, {2, 12}, {4, 10}, {6, 8}};

const char* const kRows[15] = {
    "003366 336699 3366CC 003399 000099 0000CC 000066",
    "006666 006699 0099CC 0066CC 0033CC 0000FF 3333FF 333399",
    "008080 009999 33CCCC 00CCFF 0099FF 0066FF 3366FF 3333CC 666699",
    "339966 00CC99 00FFCC 00FFFF 33CCFF 3399FF 6699FF 6666FF 6600FF 6600CC",
    "339933 00CC66 00FF99 66FFCC 66FFFF 66CCFF 99CCFF 9999FF 9966FF 9933FF 9900FF",
    "006600 00CC00 00FF00 66FF99 99FFCC CCFFFF CCECFF CCCCFF CC99FF CC66FF CC00FF 9900CC",
    "003300 008000 33CC33 66FF66 99FF99 CCFFCC FFFFFF FFCCFF FF99FF FF66FF FF00FF CC00CC 660066",
    "336600 009900 66FF33 99FF66 CCFF99 FFFFCC FFCCCC FF99CC FF66CC FF33CC CC0099 800080",
    "333300 669900 99FF33 CCFF66 FFFF99 FFCC99 FF9999 FF6699 FF3399 CC3399 990099",
    "666633 99CC00 CCFF33 FFFF66 FFCC66 FF9966 FF7C80 FF0066 D60093 993366",
    "808000 CCCC00 FFFF00 FFCC00 FF9933 FF6600 FF5050 CC0066 660033",
    "996633 CC9900 FF9900 CC6600 FF3300 FF0000 CC0000 990033",
    "663300 996600 CC3300 993300 990000 800000 A50021",
    "F8F8F8 DDDDDD B2B2B2 808080 5F5F5F 333333 1C1C1C 000000",
    "EAEAEA C0C0C0 969696 777777 4D4D4D 292929 111111",
};

} // namespace

// Every pixel is its cell's colour or white: the edges, the strip above the
// greys, round the white centre alike. (Cells' rows: test_main_window.)
TEST(ChartPicture, EveryPixelFromTheCellTableOrWhite) {
    const QImage img = chart::ChartPicture();
    ASSERT_EQ(img.size(), QSize(190, 190));
    EXPECT_EQ(img.format(), QImage::Format_RGB32); // opaque by construction
    std::vector<QRgb> expected(190 * 190, qRgb(255, 255, 255));
    std::vector<int> owners(190 * 190, 0);
    size_t i = 0;
    for (int row = 1; row <= 15; ++row) {
        const int n = row <= 13 ? 13 - std::abs(row - 7) : 22 - row;
        const int first = row <= 13 ? 4 + 7 * (13 - n) : (row == 14 ? 39 : 46);
        const int top = row <= 13 ? 1 + 12 * (row - 1) : (row == 14 ? 162 : 174);
        std::istringstream words(kRows[row - 1]);
        std::string hex;
        for (int k = 0; words >> hex; ++k, ++i) {
            ASSERT_LT(k, n);
            const QRgb rgb = 0xFF000000u | std::stoul(hex, nullptr, 16);
            for (int r = 0; r < 15; ++r)
                for (int col = kSpans[r][0]; col <= kSpans[r][1]; ++col) {
                    const int p = (top + r) * 190 + first + 14 * k + col;
                    expected[p] = rgb;
                    ASSERT_EQ(++owners[p], 1) << "cells overlap, row " << row;
                }
        }
    }
    EXPECT_EQ(chart::Cells().size(), i);
    for (int p = 0; p < 190 * 190; ++p)
        ASSERT_EQ(img.pixel(p % 190, p / 190), expected[p]) << p % 190 << "," << p / 190;
}
