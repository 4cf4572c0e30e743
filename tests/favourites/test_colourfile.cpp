#include "favourites/ColourFile.h"

#include <gtest/gtest.h>

using namespace favourites;

namespace {
ColourList List(QList<int32_t> c, QStringList n) {
    return {std::move(c), std::move(n)};
}
} // namespace

// Windows-1252 unless a name needs UTF-8; loose records read, a bad one stops.
TEST(ColourFile, WritesAndReads) {
    EXPECT_EQ(WriteColourFile({}), QByteArray());
    EXPECT_EQ(WriteColourFile(List({255, 0}, {"Rød", "Blå"})),
              QByteArray("0,\"Bl\xE5\"\r\n255,\"R\370d\"\r\n"));
    EXPECT_EQ(WriteColourFile(List({1, 2}, {"Blå", "日本 ǅ €"})),
              QByteArray("2,\"日本 ǅ €\"\r\n1,\"Blå\"\r\n")); // the whole file in UTF-8
    // Windows-1252 bytes that would pass for UTF-8 are written as UTF-8.
    EXPECT_EQ(WriteColourFile(List({7}, {"Ã¥"})), QByteArray("7,\"Ã¥\"\r\n"));
    // A quote cannot be stored; its stand-in keeps the records after it.
    EXPECT_EQ(ReadColourFile(WriteColourFile(List({1, 2}, {"a\"b", "c"}))).list.names,
              QStringList({"a”b", "c"}));

    const ReadResult loose = ReadColourFile(" 1 , \"a,b\" junk\n2,plain\r3\n\"next line\"\r\n\r\n"
                                            "4,\"x\r\ny\",5,\r\n");
    EXPECT_TRUE(loose.ok);
    EXPECT_EQ(loose.list.colors, QList<int32_t>({5, 4, 3, 2, 1}));
    EXPECT_EQ(loose.list.names, QStringList({"", "x\r\ny", "next line", "plain", "a,b"}));
    EXPECT_EQ(ReadColourFile("\xEF\xBB\xBF\x31,\"Rød\"").list.names, QStringList("Rød"));
    // Bad colours: not a number, out of range, empty, two numbers, a NUL, 40 digits.
    const QByteArray bad[] = {
        "x", "16777216", "-1", "2147483648", "", "1 2", QByteArray("7\0", 2), QByteArray(40, '9')};
    for (const QByteArray& colour : bad) {
        const ReadResult r = ReadColourFile("0,\"ok\"\r\n" + colour + ",\"a\"\r\n9,\"after\"\r\n");
        EXPECT_TRUE(!r.ok && r.badRecord == 2 && r.list.names == QStringList("ok"))
            << colour.toStdString();
    }
    EXPECT_FALSE(ReadColourFile("0,\"ok\"\r\n7\r\n").ok); // the name is missing
}
