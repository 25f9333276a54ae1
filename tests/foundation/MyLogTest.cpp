#include <gtest/gtest.h>

#include <filesystem>

#include "common/ScratchDir.h"
#include "foundation/MyLog.h"

namespace {

class MyLogTest : public ::testing::Test {
protected:
    void SetUp() override { SetLogDirectory(dir.Path().string()); }
    void TearDown() override { SetLogDirectory(""); }
    std::string LogText() { return ReadFile(dir.File("log.txt")); }
    ScratchDir dir;
};

}  // namespace

TEST_F(MyLogTest, WithoutMarkerNothingIsWritten) {
    EXPECT_FALSE(IsLogEnabled());
    CMyLog log;
    EXPECT_EQ(log.WriteLog("%s %d", "CDataCenter::Init", 27), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("log.txt"))) << "only Open creates the file";
    log.Open(LogFilePath("log.txt"));
    EXPECT_EQ(log.WriteLog("%s %d", "CDataCenter::Init", 27), 0);
    EXPECT_EQ(LogText(), "");
}

TEST_F(MyLogTest, MarkerSwitchesLoggingAtOnceOneCrLfLinePerCall) {
    CMyLog log;
    log.Open(LogFilePath("log.txt"));
    WriteFile(dir.File("log.dat"), "");
    EXPECT_TRUE(IsLogEnabled());
    EXPECT_EQ(log.WriteLog("%s %d", "CommonVar::Init", 12), 1);
    EXPECT_EQ(log.WriteLog("%s %d", "CMainFrame::OnLogin", 40), 1);
    std::filesystem::remove(dir.File("log.dat"));
    EXPECT_EQ(log.WriteLog("%s %d", "gone", 1), 0);
    EXPECT_EQ(LogText(), "CommonVar::Init 12\r\nCMainFrame::OnLogin 40\r\n");
}

TEST_F(MyLogTest, LongMessageIsCutTo259Characters) {
    WriteFile(dir.File("log.dat"), "");
    CMyLog log;
    log.Open(LogFilePath("log.txt"));
    std::string longText(300, 'x');
    EXPECT_EQ(log.WriteLog("%s", longText.c_str()), 1);
    EXPECT_EQ(LogText(), std::string(259, 'x') + "\r\n");

    // A character the limit would split is left out whole: 257 + 3 bytes of "中".
    std::filesystem::remove(dir.File("log.txt"));
    CMyLog cut;
    cut.Open(LogFilePath("log.txt"));
    EXPECT_EQ(cut.WriteLog("%s中中", std::string(257, 'y').c_str()), 1);
    EXPECT_EQ(LogText(), std::string(257, 'y') + "\r\n");
}

TEST_F(MyLogTest, BacklogReachesFileOnlyWhenFlushedOrDestroyed) {
    {
        CMyLog log;
        log.Open(LogFilePath("log.txt"));
        log.AppendLine("one", false);
        EXPECT_EQ(LogText(), "");
        log.FlushBacklog();
        EXPECT_EQ(LogText(), "one\r\n");
        log.AppendLine("two", false);
    }
    EXPECT_EQ(LogText(), "one\r\ntwo\r\n");

    CMyLog again;  // appends, never truncates
    again.Open(LogFilePath("log.txt"));
    again.AppendLine("three", true);
    EXPECT_EQ(LogText(), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(MyLogTest, BeforeOpenAndAfterCloseNothingHappens) {
    WriteFile(dir.File("log.dat"), "");
    CMyLog log;
    EXPECT_EQ(log.WriteLog("early %d", 1), 1);
    log.Open(LogFilePath("log.txt"));
    log.Close();
    EXPECT_EQ(log.WriteLog("late %d", 2), 1);
    log.AppendLine("late", true);
    EXPECT_EQ(LogText(), "");
    EXPECT_FALSE(log.IsOpen());
}
