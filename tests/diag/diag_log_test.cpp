#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "diag/diag_log.h"
#include "ui/res/resource.h"

namespace {

// The queue lives for the whole process; each test starts from an empty one.
class DiagLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(g_DiagLog, 0, sizeof g_DiagLog);
        g_nDiagWrite = g_nDiagRead = g_nDiagCount = 0;
    }
};

TEST_F(DiagLogTest, PushedTextIsPeekedThenPopped) {
    EXPECT_EQ(0, DiagLogHasEntries());
    DiagLogPush("cannot load wnaspi32.dll");
    EXPECT_EQ(1, DiagLogHasEntries());
    EXPECT_STREQ("cannot load wnaspi32.dll", DiagLogPeek());
    DiagLogPop();
    EXPECT_EQ(0, DiagLogHasEntries());
}

TEST_F(DiagLogTest, TextsComeBackOldestFirst) {
    DiagLogPush("first");
    DiagLogPush("second");
    EXPECT_STREQ("first", DiagLogPeek());
    DiagLogPop();
    EXPECT_STREQ("second", DiagLogPeek());
}

TEST_F(DiagLogTest, FullRingOverwritesTheOldestAndKeepsCounting) {
    for (int i = 1; i <= 31; ++i)
        DiagLogPush(("message " + std::to_string(i)).c_str());
    EXPECT_STREQ("message 31", g_DiagLog[0]);
    EXPECT_STREQ("message 2", g_DiagLog[1]);
    EXPECT_EQ(1, g_nDiagWrite);
    EXPECT_EQ(31, g_nDiagCount);
}

TEST_F(DiagLogTest, ReadIndexWrapsAfterTheLastSlot) {
    for (int i = 0; i < DIAG_LOG_SLOTS; ++i) {
        DiagLogPush("x");
        DiagLogPop();
    }
    EXPECT_EQ(0, g_nDiagRead);
    EXPECT_EQ(0, g_nDiagCount);
}

TEST_F(DiagLogTest, LongTextIsCutToTheSlot) {
    const std::string longText(300, 'a');
    DiagLogPush("neighbour");
    DiagLogPush(longText.c_str());
    EXPECT_EQ(longText.substr(0, 199), g_DiagLog[1]);
    EXPECT_STREQ("neighbour", g_DiagLog[0]);
    EXPECT_EQ('\0', g_DiagLog[2][0]);
}

TEST_F(DiagLogTest, StringTableTextIsQueuedByNumber) {
    DiagLogPushString(IDS_ASPI_SEND_COMMAND_MISSING);
    EXPECT_STREQ("cannot get address of SendASPI32Command()", DiagLogPeek());
}

} // namespace
