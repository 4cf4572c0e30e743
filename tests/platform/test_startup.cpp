// What the program puts in its environment for the display connection is
// taken out again once connected; what the user set stays.
#include "platform/Startup.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <initializer_list>

TEST(Startup, DisplayConnectionLeavesTheEnvironmentAsItWas) {
    for (const char* users : std::initializer_list<const char*>{"", "0", nullptr}) {
        if (users) {
            qputenv("QT_XCB_NO_MITSHM", users);
        } else {
            qunsetenv("QT_XCB_NO_MITSHM");
        }
        platform::PrepareDisplayConnection();
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), users ? users : "1");
        platform::DisplayConnected();
        EXPECT_EQ(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"), users != nullptr);
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), users ? users : "");
    }
}
