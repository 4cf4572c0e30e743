#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"
#include "favourites/FavouritesModel.h"

#include <QFile>
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
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.list.colors, list.colors);
        EXPECT_EQ(r.list.names, list.names);
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
    const QByteArray bad[] = {"x,\"a\"",
                              "16777216,\"a\"",
                              "-1,\"a\"",
                              "2147483648,\"a\"",
                              ",\"a\"",
                              "1 2,\"a\"",
                              QByteArray("7\0,\"a\"", 7),
                              QByteArray(40, '9') + ",\"a\""};
    for (const QByteArray& tail : bad) {
        const ReadResult r = ReadColourFile("0,\"ok\"\r\n" + tail + "\r\n9,\"after\"\r\n");
        EXPECT_FALSE(r.ok) << tail.toStdString();
        EXPECT_EQ(r.badRecord, 2);
        EXPECT_EQ(r.list.names, QStringList("ok"));
    }
    EXPECT_FALSE(ReadColourFile("0,\"ok\"\r\n7\r\n").ok); // the name is missing
}

TEST(ColourFile, CopesWithHostileInput) {
    const QByteArray longName(10 * 1024 * 1024, 'n');
    ReadResult r = ReadColourFile("1,\"" + longName + "\"\r\n2,\"" + QByteArray("a\0b", 3) + "\"");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.list.names[1].size(), longName.size());
    EXPECT_EQ(r.list.names[0], QString::fromLatin1("a\0b", 3));
    EXPECT_FALSE(ReadColourFile(QByteArray(10 * 1024 * 1024, '7')).ok);
    EXPECT_FALSE(ReadColourFile("1,\"" + longName).ok);
}

TEST(ColourFile, ReportsWhatStopsSavingAndLoading) {
    QTemporaryDir dir;
    EXPECT_EQ(SaveColourFile(dir.filePath("no/a.kvc"), {}).number, 76);
    EXPECT_FALSE(LoadColourFile(dir.filePath("none.kvc")).ok);
    EXPECT_FALSE(LoadColourFile(dir.path()).ok);
}

TEST(FavPaths, SplitsAtTheLastSeparator) {
    EXPECT_EQ(FilnavnISti("/farger/Mine.kvc"), "Mine.kvc");
    EXPECT_EQ(StiUtenFilnavn("/farger/Mine.kvc"), "/farger/");
    EXPECT_EQ(FilnavnISti("Mine.kvc"), "Mine.kvc");
    EXPECT_EQ(StiUtenFilnavn("Mine.kvc"), "");
    EXPECT_EQ(FilnavnISti("/farger/"), "");
    EXPECT_EQ(StiUtenFilnavn("/farger/"), "/farger/");
}

TEST(FavouritesModel, KeepsColoursAndNamesInStep) {
    FavouritesModel m;
    m.Load(List({2, 1}, {"b", "a"}));
    m.AddColor(3, "c");
    EXPECT_EQ(m.FavColors(), QList<int32_t>({3, 2, 1}));
    EXPECT_TRUE(m.Rename(3, "z") && m.Delete(2) && !m.Delete(3) && !m.Rename(0, "x"));
    EXPECT_EQ(m.FavNames(), QStringList({"c", "z"}));
    m.ListChanged = false;
    m.Clear(); // emptying for a new file is not a change
    EXPECT_FALSE(m.ListChanged);
    m.DeleteAll();
    EXPECT_TRUE(m.ListChanged && m.Count() == 0);
}
