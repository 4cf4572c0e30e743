// Numbers read back from stored text, and the filters handed to Qt's file
// dialogs.
#include "platform/Convert.h"
#include "platform/QtServices.h"

#include <gtest/gtest.h>

TEST(Convert, StoredNumbersAndFileFilters) {
    using namespace platform;
    EXPECT_EQ(ToInt16(" 5 "), int16_t(5));
    EXPECT_EQ(ToInt16("2.5"), int16_t(2)); // half to even
    EXPECT_EQ(ToInt16("3.5"), int16_t(4));
    for (const char* bad : {"abc", "", "40000"}) {
        EXPECT_FALSE(ToInt16(bad)) << bad;
    }
    EXPECT_EQ(ToSingle("250"), 250.0f);
    EXPECT_EQ(SingleText(3750.0f).toStdString(), "3750");
    EXPECT_EQ(ToQtFilter("Fargefil (*.KVC)|*.kvc").toStdString(), "Fargefil (*.kvc *.KVC)");
}
