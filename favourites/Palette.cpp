#include "favourites/Palette.h"

#include <QList>

#include <algorithm>

namespace favourites {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A component, 0..255, ending at a blank or the line's end.
bool ReadComponent(QByteArrayView line, qsizetype& i, int& value) {
    while (i < line.size() && IsBlank(line[i])) {
        ++i;
    }
    const qsizetype start = i;
    value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - start < 4) {
        value = value * 10 + (line[i++] - '0');
    }
    return i > start && value <= 255 && (i == line.size() || IsBlank(line[i]));
}
} // namespace

PaletteRead ReadPalette(const QByteArray& bytes) {
    PaletteRead r;
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    int number = 0;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        ++number;
        const QByteArrayView trimmed = line.trimmed();
        if (number == 1) {
            if (trimmed != "GIMP Palette") {
                r.isPalette = r.ok = false;
                r.badLine = 1;
                break;
            }
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith('#') || trimmed.startsWith("Columns:")) {
            continue;
        }
        if (trimmed.startsWith("Name:")) {
            r.name = QString::fromUtf8(trimmed.sliced(5)).trimmed();
            continue;
        }
        // The name is the rest of the line after the blanks that end the
        // colour, kept as it stands (but for a CR of a CR LF line end).
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        qsizetype i = 0;
        int rgb[3];
        if (!ReadComponent(line, i, rgb[0]) || !ReadComponent(line, i, rgb[1]) ||
            !ReadComponent(line, i, rgb[2])) {
            r.ok = false;
            r.badLine = number;
            break;
        }
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        r.list.colors.append(rgb[0] + 256 * rgb[1] + 65536 * rgb[2]);
        r.list.names.append(QString::fromUtf8(line.sliced(i)));
    }
    if (number == 0) {
        r.isPalette = r.ok = false;
        r.badLine = 1;
    }
    std::reverse(r.list.colors.begin(), r.list.colors.end());
    std::reverse(r.list.names.begin(), r.list.names.end());
    return r;
}

QByteArray WritePalette(const QString& name, const ColourList& list) {
    const auto oneLine = [](QString s) {
        for (QChar& c : s) {
            if (c == QChar('\n') || c == QChar('\r')) {
                c = QChar(' ');
            }
        }
        return s.toUtf8();
    };
    QByteArray out = "GIMP Palette\nName: " + oneLine(name).trimmed() + "\n#\n";
    for (qsizetype i = list.colors.size() - 1; i >= 0; --i) {
        const int32_t c = list.colors[i];
        out += QByteArray::number(c & 0xFF).rightJustified(3) + ' ' +
               QByteArray::number((c >> 8) & 0xFF).rightJustified(3) + ' ' +
               QByteArray::number((c >> 16) & 0xFF).rightJustified(3) + '\t' +
               oneLine(list.names.value(i)) + '\n';
    }
    return out;
}

} // namespace favourites
