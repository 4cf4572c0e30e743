#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"
#include "favourites/FavouritesModel.h"
#include "tests/Support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace favourites;

namespace {
ColourList List(QList<int32_t> c, QStringList n) {
    return {std::move(c), std::move(n)};
}
} // namespace

TEST(ColourFile, WritesWindows1252UnlessANameNeedsUtf8AndReadsBack) {
    EXPECT_EQ(WriteColourFile({}), QByteArray());
    const auto example = List({255, 0}, {"Rød", "Blå"});
    EXPECT_EQ(WriteColourFile(example), QByteArray("0,\"Bl\xE5\"\r\n255,\"R\xF8"
                                                   "d\"\r\n"));
    EXPECT_EQ(WriteColourFile(List({1}, {"€Ÿ"})), QByteArray("1,\"\x80\x9F\"\r\n"));
    EXPECT_EQ(WriteColourFile(List({1, 2}, {"Blå", "日本"})),
              QByteArray("2,\"日本\"\r\n1,\"Blå\"\r\n")); // the whole file in UTF-8
    const ColourList lists[] = {example, List({16777215, 0, 0}, {"Blå, mørk", "", "to\r\nlinjer"}),
                                List({7}, {"Ã¥"}), // Windows-1252 bytes that would pass for UTF-8
                                List({3, 4}, {"ǅ €", "\x01 tab\t"})};
    for (const auto& list : lists) {
        const ReadResult r = ReadColourFile(WriteColourFile(list));
        EXPECT_TRUE(r.ok && support::Same(r.list, list)) << list.names.join('|').toStdString();
    }
    // A quote cannot be stored; its stand-in keeps the records after it.
    EXPECT_EQ(ReadColourFile(WriteColourFile(List({1, 2}, {"a\"b", "c"}))).list.names,
              QStringList({"a”b", "c"}));
}

TEST(ColourFile, ReadsLooseRecordsAndStopsAtABadOne) {
    const ReadResult loose = ReadColourFile(" 1 , \"a,b\" junk\n2,plain\r3\n\"next line\"\r\n\r\n"
                                            "4,\"x\r\ny\",5,\r\n");
    EXPECT_TRUE(loose.ok);
    EXPECT_EQ(loose.list.colors, QList<int32_t>({5, 4, 3, 2, 1}));
    EXPECT_EQ(loose.list.names, QStringList({"", "x\r\ny", "next line", "plain", "a,b"}));
    EXPECT_EQ(ReadColourFile("\xEF\xBB\xBF"
                             "1,\"Rød\"")
                  .list.names,
              QStringList("Rød"));
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

TEST(ColourFile, ReportsWhatStopsSavingAndLoading) {
    QTemporaryDir dir;
    EXPECT_EQ(SaveColourFile(dir.filePath("no/a.kvc"), {}).number, 76);
    EXPECT_FALSE(LoadColourFile(dir.filePath("none.kvc")).ok);
    EXPECT_FALSE(LoadColourFile(dir.path()).ok);
}

TEST(FavPaths, SplitsAtTheLastSeparator) {
    const char* cases[][3] = {{"/farger/Mine.kvc", "/farger/", "Mine.kvc"},
                              {"Mine.kvc", "", "Mine.kvc"},
                              {"/farger/", "/farger/", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(StiUtenFilnavn(c[0]) + "|" + FilnavnISti(c[0]), QString(c[1]) + "|" + c[2]);
    }
}

TEST(FavouritesModel, KeepsColoursAndNamesInStep) {
    FavouritesModel m;
    m.Load(List({2, 1}, {"b", "a"}));
    m.AddColor(3, "c");
    EXPECT_EQ(m.FavColors(), QList<int32_t>({3, 2, 1}));
    EXPECT_TRUE(m.Rename(3, "z") && !m.Delete(4) && !m.Rename(0, "x"));
    m.ListChanged = false;
    EXPECT_TRUE(m.Delete(2) && m.ListChanged && m.FavNames() == QStringList({"c", "z"}));
    m.ListChanged = false;
    m.Clear(); // emptying for a new file is not a change
    EXPECT_FALSE(m.ListChanged);
    m.DeleteAll(); // but "Slett alle" is, even of an empty list
    EXPECT_TRUE(m.ListChanged && m.Count() == 0);
}
