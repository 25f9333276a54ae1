// The server list file: what it reads from files of any root name, and what it writes.
#include <gtest/gtest.h>

#include <fstream>

#include "common/ScratchDir.h"
#include "marketdata/net/HostInfo.h"

namespace {

TEST(HostInfo, ReadsItemsUnderAnyRootAndWritesThemBack) {
    ScratchDir dir;
    const std::string path = dir.File("HostInfo.xml");
    std::ofstream(path) << "<Servers><Other/><HostList><item name=\"a\" ip=\"10.0.0.1\" "
                           "port=\"7709\"/><item ip=\"h\"/><item name=\"b\" ip=\"x\" "
                           "port=\"99999\"/></HostList></Servers>";
    CHostInfo hosts;
    ASSERT_TRUE(hosts.Load(path));
    ASSERT_EQ(hosts.m_hosts.size(), 3u);
    EXPECT_EQ(hosts.m_hosts[0].name, "a");
    EXPECT_EQ(hosts.m_hosts[0].port, 7709);
    EXPECT_EQ(hosts.m_hosts[1].name, "");
    EXPECT_EQ(hosts.m_hosts[1].port, 0);  // no port
    EXPECT_EQ(hosts.m_hosts[2].port, 0);  // not a port
    ASSERT_EQ(hosts.m_addresses.size(), 3u);
    EXPECT_EQ(hosts.m_addresses[0], (HostAddress{"10.0.0.1", 7709}));

    hosts.m_hosts.push_back({"本地行情主站", "127.0.0.1", 17709});
    ASSERT_TRUE(hosts.Save(path));
    CHostInfo back;
    ASSERT_TRUE(back.Load(path));
    ASSERT_EQ(back.m_hosts.size(), 4u);
    EXPECT_EQ(back.m_hosts[3].name, "本地行情主站");
    EXPECT_EQ(back.m_hosts[3].port, 17709);
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("encoding=\"gb2312\""), std::string::npos);
    EXPECT_NE(text.find("<HostInfo>"), std::string::npos);
}

TEST(HostInfo, MissingOrDamagedFilesGiveAnEmptyListAndKeepTheDamage) {
    ScratchDir dir;
    CHostInfo none;
    EXPECT_FALSE(none.Load(dir.File("HostInfo.xml")));
    EXPECT_TRUE(none.m_hosts.empty());
    std::ofstream(dir.File("HostInfo.xml")) << "<HostInfo><HostList><item";
    CHostInfo damaged;
    EXPECT_FALSE(damaged.Load(dir.File("HostInfo.xml")));
    EXPECT_TRUE(damaged.m_hosts.empty());
    // Kept aside, so the save at exit writes a fresh file next to it.
    EXPECT_FALSE(std::filesystem::exists(dir.File("HostInfo.xml")));
    int aside = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        aside += e.path().filename().string().rfind("HostInfo.xml.bad", 0) == 0;
    EXPECT_EQ(aside, 1);
    std::ofstream(dir.File("NoList.xml")) << "<HostInfo/>";
    CHostInfo noList;
    EXPECT_FALSE(noList.Load(dir.File("NoList.xml")));
}

}  // namespace
