#include "favourites/ColourFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace favourites {

namespace {

// Bytes 80..9F of Windows-1252; the rest of the upper half equals Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte for a character, or -1 when the code page lacks it.
int Windows1252Byte(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return u;
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == u) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
bool IsDelimiter(char c) {
    return c == ',' || IsLineEnd(c);
}

constexpr int32_t kMaxColour = 0xFFFFFF;

// Reads the records of the file's bytes, one field at a time. Fields are
// separated by commas or line ends (CR LF, LF or CR).
class Reader {
public:
    Reader(const char* begin, const char* end, bool utf8) : p_(begin), end_(end), utf8_(utf8) {}

    ReadResult Run() {
        ReadResult r;
        for (;;) {
            while (p_ != end_ && (IsBlank(*p_) || IsLineEnd(*p_))) {
                ++p_;
            }
            if (p_ == end_) {
                break;
            }
            int32_t colour = 0;
            QString name;
            if (!ReadColour(colour) || !ReadName(name)) {
                r.ok = false;
                r.error = ReadError::BadRecord;
                r.badRecord = static_cast<int>(r.list.colors.size()) + 1;
                break;
            }
            r.list.colors.append(colour);
            r.list.names.append(std::move(name));
        }
        std::reverse(r.list.colors.begin(), r.list.colors.end());
        std::reverse(r.list.names.begin(), r.list.names.end());
        return r;
    }

private:
    const char* p_;
    const char* end_;
    bool utf8_;

    void SkipDelimiter() {
        if (p_ == end_) {
            return;
        }
        const char c = *p_++;
        if (c == '\r' && p_ != end_ && *p_ == '\n') {
            ++p_;
        }
    }

    // A signed decimal integer that fits 32 bits and lies in 0..FFFFFF,
    // followed by a delimiter (the name field must follow).
    bool ReadColour(int32_t& colour) {
        const char* start = p_;
        while (p_ != end_ && !IsDelimiter(*p_)) {
            ++p_;
        }
        const char* stop = p_;
        while (stop != start && IsBlank(stop[-1])) {
            --stop;
        }
        if (p_ == end_) {
            return false;
        }
        SkipDelimiter();
        bool negative = false;
        if (start != stop && (*start == '-' || *start == '+')) {
            negative = *start++ == '-';
        }
        if (start == stop) {
            return false;
        }
        int64_t value = 0;
        for (const char* q = start; q != stop; ++q) {
            if (*q < '0' || *q > '9') {
                return false;
            }
            value = value * 10 + (*q - '0');
            if (value > int64_t{INT32_MAX} + 1) {
                return false;
            }
        }
        value = negative ? -value : value;
        if (value < 0 || value > kMaxColour) {
            return false;
        }
        colour = static_cast<int32_t>(value);
        return true;
    }

    // A quoted name runs to the next double quote (line ends included) and
    // anything after it up to the delimiter is ignored; an unquoted name runs
    // to the next delimiter. A record the end of the file cuts off before its
    // name is malformed.
    bool ReadName(QString& name) {
        while (p_ != end_ && IsBlank(*p_)) {
            ++p_;
        }
        if (p_ == end_) {
            return false;
        }
        const char* start = p_;
        const char* stop = nullptr;
        if (*p_ == '"') {
            ++start;
            const void* quote = std::memchr(start, '"', static_cast<std::size_t>(end_ - start));
            if (quote == nullptr) {
                return false;
            }
            stop = static_cast<const char*>(quote);
            p_ = stop + 1;
            while (p_ != end_ && !IsDelimiter(*p_)) {
                ++p_;
            }
        } else {
            while (p_ != end_ && !IsDelimiter(*p_)) {
                ++p_;
            }
            stop = p_;
        }
        SkipDelimiter();
        // Decoded keeping a leading U+FEFF, which QString::fromUtf8 drops.
        name = utf8_ ? QString(QStringDecoder(QStringConverter::Utf8,
                                              QStringConverter::Flag::ConvertInitialBom)(
                           QByteArrayView(start, stop - start)))
                     : FromWindows1252(start, stop - start);
        return true;
    }
};

SaveResult Failure(SaveError error, int number, const QString& text, const QString& reason) {
    return {error, number, reason.isEmpty() ? text : text + " (" + reason + ")"};
}

SaveResult AccessDenied() {
    return {SaveError::AccessDenied, 75, QStringLiteral("Ingen tilgang til bane/fil")};
}

SaveResult WriteFailure(const QFileDevice& out) {
    return out.error() == QFileDevice::ResourceError
               ? Failure(SaveError::Other, 61, QStringLiteral("Disken er full"), out.errorString())
               : Failure(SaveError::Other, 57, QStringLiteral("I/U-feil på enheten"),
                         out.errorString());
}

bool WriteAll(QFileDevice& out, const QByteArray& bytes) {
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            return false;
        }
        written += n;
    }
    return true;
}

// Writes over `file` from its first byte, shortening it only once the new
// bytes are in, with a copy of the old ones kept elsewhere until the new
// ones are on disk. A write that fails puts the old bytes back.
SaveResult WriteInPlace(const QString& file, const QByteArray& bytes, const InPlaceCopy& copy) {
    QFile out(file);
    if (!out.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        return AccessDenied();
    }
    const QByteArray old = out.readAll();
    if (out.error() != QFileDevice::NoError) {
        return WriteFailure(out);
    }
    if (!copy.keep || !copy.keep(file, old, bytes)) {
        return {SaveError::Other, 75,
                QString::fromUtf8("Kan ikke ta en kopi av filen før den skrives over")};
    }
    const auto put = [&out](const QByteArray& b) {
        return out.seek(0) && WriteAll(out, b) && out.resize(b.size()) &&
               ::fsync(out.handle()) == 0;
    };
    if (put(bytes)) {
        out.close();
        if (copy.drop) {
            copy.drop();
        }
        return {};
    }
    const SaveResult failed = WriteFailure(out);
    // The copy stays where the old bytes cannot be put back whole.
    if (put(old) && copy.drop) {
        copy.drop();
    }
    return failed;
}

} // namespace

bool FitsWindows1252(QChar c) {
    return Windows1252Byte(c.unicode()) >= 0;
}

bool FitsWindows1252(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return FitsWindows1252(c); });
}

QByteArray ToWindows1252(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = Windows1252Byte(text[i].unicode());
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

QString FromWindows1252(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

bool IsMultiByteUtf8(const QByteArray& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    bool multi = false;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if ((b & 0xE0) == 0xC0) {
            len = 2;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            least = 0x10000;
        } else {
            return false;
        }
        cp = b & (0x7F >> len);
        if (n - i < len) {
            return false;
        }
        for (int k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        multi = true;
        i += len;
    }
    return multi;
}

QByteArray WriteColourFile(const ColourList& list) {
    QString text;
    for (qsizetype i = list.colors.size() - 1; i >= 0; --i) {
        QString name = list.names.value(i);
        name.replace(QChar('"'), QChar(0x201D));
        text += QString::number(list.colors[i]) + ",\"" + name + "\"\r\n";
    }
    if (FitsWindows1252(text)) {
        QByteArray bytes = ToWindows1252(text);
        // Such bytes would read back as UTF-8; UTF-8 itself reads back right.
        if (!IsMultiByteUtf8(bytes)) {
            return bytes;
        }
    }
    return text.toUtf8();
}

ReadResult ReadColourFile(const QByteArray& bytes) {
    const char* begin = bytes.constData();
    const bool utf8 = IsMultiByteUtf8(bytes);
    if (utf8 && bytes.startsWith("\xEF\xBB\xBF")) {
        begin += 3;
    }
    return Reader(begin, bytes.constData() + bytes.size(), utf8).Run();
}

SaveResult SaveColourFile(const QString& path, const ColourList& list, const InPlaceCopy& copy) {
    return SaveBytes(path, WriteColourFile(list), copy);
}

ReadError Reach(const QString& path) {
    const QString file = QDir::fromNativeSeparators(path);
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) == 0) {
        return ReadError::None;
    }
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return file.contains(QChar::ReplacementCharacter) ? ReadError::BadName : ReadError::Missing;
    case ELOOP:
        return ReadError::Loop;
    case EACCES:
        return ReadError::Unsearchable;
    case ENAMETOOLONG:
        return ReadError::TooLong;
    default:
        return ReadError::Failed;
    }
}

SaveResult SaveBytes(const QString& path, const QByteArray& bytes, const InPlaceCopy& copy) {
    const QString file = QDir::fromNativeSeparators(path);
    // Never through a name that stands for another file, nor over one that
    // is there but cannot be reached (a link loop would become a file).
    switch (Reach(file)) {
    case ReadError::None:
    case ReadError::Missing:
        break;
    case ReadError::BadName:
        return {SaveError::BadName, 75, QStringLiteral("Navnet er ikke gyldig UTF-8")};
    default:
        return {SaveError::Unreachable, 75, QStringLiteral("Filen kan ikke nås")};
    }
    const QFileInfo target(file);
    // Follows links: a link to a named pipe or a device must not be replaced
    // by a plain file, nor written into.
    if (target.exists() && !target.isFile()) {
        return {SaveError::NotAFile, 75, QStringLiteral("Ikke en vanlig fil")};
    }
    if (target.exists() && !target.isWritable()) {
        return AccessDenied();
    }
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir()) {
        return Failure(SaveError::Other, 76, QStringLiteral("Finner ikke banen"), {});
    }
    QSaveFile out(file);
    // Unbuffered, so a write the disk cuts short is seen here and not lost
    // in a later flush.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (!target.exists()) {
            return folder.isWritable() ? AccessDenied()
                                       : SaveResult{SaveError::FolderDenied, 75,
                                                    QStringLiteral("Ingen tilgang til bane/fil")};
        }
        // The folder refuses a new file beside it; the file itself may be written.
        return WriteInPlace(file, bytes, copy);
    }
    if (WriteAll(out, bytes) && out.size() == bytes.size() && out.commit()) {
        return {};
    }
    const SaveResult failed = WriteFailure(out);
    out.cancelWriting();
    return failed;
}

ReadResult LoadColourFile(const QString& path) {
    ReadResult r;
    if (const auto bytes = LoadBytes(path, r.error)) {
        return ReadColourFile(*bytes);
    }
    r.ok = false;
    r.badRecord = 1;
    return r;
}

std::optional<QByteArray> LoadBytes(const QString& path, ReadError& error) {
    QFile in(QDir::fromNativeSeparators(path));
    error = Reach(in.fileName());
    if (error == ReadError::None && !QFileInfo(in.fileName()).isFile()) {
        error = ReadError::NotAFile;
    }
    if (error != ReadError::None) {
        return std::nullopt;
    }
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.error() == QFileDevice::PermissionsError ? ReadError::Denied : ReadError::Failed;
        return std::nullopt;
    }
    error = ReadError::TooLarge;
    if (in.size() > kMaxColourFileSize) {
        return std::nullopt;
    }
    // As much as the file holds, with room to see it grow while it is read;
    // bounded also for files that report no size.
    const qint64 size = in.size();
    QByteArray bytes = in.read(size + 1);
    if (bytes.size() > size && bytes.size() <= kMaxColourFileSize) {
        bytes += in.read(kMaxColourFileSize + 1 - bytes.size());
    }
    if (bytes.size() > kMaxColourFileSize) {
        return std::nullopt;
    }
    error = in.error() == QFileDevice::NoError ? ReadError::None : ReadError::Failed;
    return error == ReadError::None ? std::optional(bytes) : std::nullopt;
}

} // namespace favourites
