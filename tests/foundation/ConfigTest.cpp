#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tinyxml2.h>

#include <csignal>

#include "common/ScratchDir.h"
#include "foundation/Config.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override { ResetConfig(); }
    void TearDown() override { ResetConfig(); }
    ScratchDir dir{ScratchDir::Enter};  // appconfig.xml is relative to the current directory
};

}  // namespace

TEST_F(ConfigTest, MissingFileReadsDefaultsAndWritesNothing) {
    EXPECT_FALSE(LoadConfig());
    EXPECT_EQ(GetConfigInt("system", "host", "port", 7709), 7709);
    EXPECT_EQ(GetConfigString("system", "host", "address", "dflt"), "dflt");
    SetConfigInt("system", "host", "port", 1, true);
    EXPECT_EQ(GetConfigInt("system", "host", "port", 7709), 7709);
    EXPECT_TRUE(ReadFile("appconfig.xml").empty());
}

TEST_F(ConfigTest, DefaultCoversOnlyMissingElements) {
    WriteFile("appconfig.xml",
              "<config><system><host address=\"a.b\" port=\"x1\"/></system></config>");
    ASSERT_TRUE(LoadConfig());
    EXPECT_EQ(GetConfigInt("system", "host", "rempwd", 5), 0) << "element there, attribute not";
    EXPECT_EQ(GetConfigInt("system", "host", "port", 5), 0) << "not numeric";
    EXPECT_EQ(GetConfigString("system", "host", "username", "u"), "");
    EXPECT_EQ(GetConfigString("system", "host", "address", "u"), "a.b");
    EXPECT_EQ(GetConfigInt("system", "nokey", "port", 5), 5);
    EXPECT_EQ(GetConfigInt("nosection", "host", "port", 6), 6);
}

TEST_F(ConfigTest, WriteCreatesSectionThenKeyAtTheEndAndSavesBatches) {
    WriteFile("appconfig.xml",
              "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<config><system/></config>");
    ASSERT_TRUE(LoadConfig());
    SetConfigInt("self", "freqPeriod", "size", 2, false);
    SetConfigString("system", "host", "username", "张三", false);
    EXPECT_NE(ReadFile("appconfig.xml").find("<system/>"), std::string::npos)
        << "nothing saved before the flagged write";
    SetConfigInt("self", "freqPeriod", "p1", 65540, true);

    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.LoadFile("appconfig.xml"), tinyxml2::XML_SUCCESS);
    auto* root = doc.RootElement();
    ASSERT_STREQ(root->FirstChildElement()->Name(), "system");
    ASSERT_STREQ(root->LastChildElement()->Name(), "self");
    auto* freq = root->LastChildElement()->FirstChildElement("freqPeriod");
    ASSERT_NE(freq, nullptr);
    EXPECT_STREQ(freq->Attribute("size"), "2");
    EXPECT_STREQ(freq->Attribute("p1"), "65540");
    // The file declares gb2312, so the name is stored in GBK.
    EXPECT_STREQ(
        root->FirstChildElement("system")->FirstChildElement("host")->Attribute("username"),
        "\xD5\xC5\xC8\xFD");

    ResetConfig();
    ASSERT_TRUE(LoadConfig());
    EXPECT_EQ(GetConfigString("system", "host", "username", ""), "张三");
    SetConfigInt("self", "freqPeriod", "size", 3, false);  // replaces, does not add
    EXPECT_EQ(GetConfigInt("self", "freqPeriod", "size", 0), 3);
}

TEST_F(ConfigTest, FailedSaveKeepsOldFileAndNewValuesInMemory) {
    const std::string original = "<config><system><host port=\"1\"/></system></config>";
    WriteFile("appconfig.xml", original);
    ASSERT_TRUE(LoadConfig());
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lim = saved;
        lim.rlim_cur = 8;
        setrlimit(RLIMIT_FSIZE, &lim);
        SetConfigString("system", "host", "address", std::string(500, 'h'), true);
        setrlimit(RLIMIT_FSIZE, &saved);
    }
    EXPECT_EQ(ReadFile("appconfig.xml"), original);
    EXPECT_EQ(GetConfigString("system", "host", "address", ""), std::string(500, 'h'));
}

TEST_F(ConfigTest, DamagedFileIsNeverOverwritten) {
    WriteFile("appconfig.xml", "<config><system>");
    EXPECT_FALSE(LoadConfig());
    SetConfigInt("system", "host", "port", 9, true);
    EXPECT_EQ(ReadFile("appconfig.xml"), "<config><system>");
}
