// What the host and login dialogs decide, without the dialogs: proxy types, ports, the
// chosen server, stored proxy settings read back at start-up, edited hosts reaching the
// running client, the stored account and remembered password, the account pages, and a
// guest's empty account name against the real server.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "common/ScratchDir.h"
#include "foundation/Base64.h"
#include "foundation/Buffer.h"
#include "foundation/Config.h"
#include "marketdata/net/HostSettings.h"
#include "marketdata/net/LoginConfig.h"
#include "marketdata/net/LoginSession.h"
#include "protocol/Bodies.h"
#include "protocol/DataHead.h"
#include "protocol/Wire.h"

namespace {

// A loaded appconfig.xml in a scratch directory, forgotten afterwards with every
// process-wide login and proxy value the tests touch.
struct ConfigFixture {
    ScratchDir dir;
    std::string path = dir.File("appconfig.xml");
    explicit ConfigFixture(const std::string& host = "") {
        WriteFile(path, "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<config><system>" + host +
                            "</system></config>\n");
        EXPECT_TRUE(LoadConfig(path));
    }
    ~ConfigFixture() {
        ResetConfig();
        SetLoginPassword("");
        SetGuestLogin(false);
        SetProxySettings({});
    }
    std::string Text() const { return ReadFile(path); }
};

TEST(HostSettings, ProxyTypeOfEachRadioChoice) {
    struct Case {
        int radio;
        const char* user;
        const char* password;
        uint16_t expected;
    } cases[] = {
        {kRadioSocks4, "u", "p", 100},  {kRadioSocks4, "", "", 100},
        {kRadioSocks5, "u", "p", 103},  {kRadioSocks5, "u", "", 102},
        {kRadioSocks5, "", "p", 102},   {kRadioSocks5, "", "", 102},
        {kRadioHttp, "u", "p", 105},    {kRadioHttp, "u", "", 104},
        {kRadioHttp, "", "", 104},      {0, "u", "p", 101},  // no radio: unchanged
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProxyTypeForChoice(c.radio, c.user, c.password, 101), c.expected)
            << c.radio << " '" << c.user << "' '" << c.password << "'";
    }
    EXPECT_EQ(RadioForProxyType(100), kRadioSocks4);
    EXPECT_EQ(RadioForProxyType(102), kRadioSocks5);
    EXPECT_EQ(RadioForProxyType(103), kRadioSocks5);
    EXPECT_EQ(RadioForProxyType(104), kRadioHttp);
    EXPECT_EQ(RadioForProxyType(105), kRadioHttp);
    EXPECT_EQ(RadioForProxyType(101), 0);
}

TEST(HostSettings, PortTextOutsideTheRangeIsRefusedWithAMessage) {
    struct Case {
        const char* text;
        int port;  // -1: refused
    } cases[] = {{"1", 1},     {"7709", 7709}, {"65535", 65535}, {"08080", 8080},
                 {"0", -1},    {"65536", -1},  {"99999", -1},    {"123456", -1},
                 {"", -1},     {"-1", -1},     {"80a", -1},      {" 80", -1}};
    for (const Case& c : cases) {
        uint16_t port = 42;
        std::string error;
        const bool ok = ParsePortText(c.text, port, error);
        EXPECT_EQ(ok, c.port >= 0) << c.text;
        if (ok) {
            EXPECT_EQ(port, c.port) << c.text;
        } else {
            EXPECT_EQ(port, 42) << c.text;
            EXPECT_NE(error.find("65535"), std::string::npos) << c.text;
        }
    }
}

TEST(HostSettings, ProxySettingsWrittenAreTheOnesStartUpReads) {
    ConfigFixture config;
    ProxySettings s;
    s.m_bUseProxy = true;
    s.m_nType = ProxyTypeForChoice(kRadioSocks5, "alice", "", kProxySocks5);
    s.m_strAddress = "10.1.2.3";
    s.m_nPort = 1080;
    s.m_strUser = "alice";
    ApplyProxySettings(s);
    EXPECT_EQ(GetProxySettings().m_nType, kProxySocks5);

    // Next start: a fresh process with the file as saved.
    ResetConfig();
    SetProxySettings({});
    ASSERT_TRUE(LoadConfig(config.path));
    RestoreProxySettings();
    const ProxySettings back = GetProxySettings();
    EXPECT_TRUE(back.m_bUseProxy);
    EXPECT_EQ(back.m_nType, 102);
    EXPECT_EQ(back.m_strAddress, "10.1.2.3");
    EXPECT_EQ(back.m_nPort, 1080);
    EXPECT_EQ(back.m_strUser, "alice");
    EXPECT_EQ(back.m_strPassword, "");
    EXPECT_NE(config.Text().find("ProxyType=\"102\""), std::string::npos);

    // Without stored settings the proxy stays off.
    ResetConfig();
    ConfigFixture empty;
    SetProxySettings(s);
    RestoreProxySettings();
    EXPECT_FALSE(GetProxySettings().m_bUseProxy);
}

TEST(HostSettings, ChosenHostIsStoredForTheNextLogin) {
    ConfigFixture config;
    StoreChosenHost({"本地", "127.0.0.1", 17709});
    EXPECT_EQ(GetConfigString("system", "host", "address", ""), "127.0.0.1");
    EXPECT_EQ(GetConfigInt("system", "host", "port", 0), 17709);
    EXPECT_NE(config.Text().find("port=\"17709\""), std::string::npos);  // saved at once
}

TEST(HostSettings, EditedHostsJoinTheFailOverListAtOnce) {
    CClientHarness harness({{"10.0.0.1", 7709}}, {"10.0.0.1", 7709});
    CHostInfo hosts;
    hosts.m_hosts = {{"a", "10.0.0.1", 7709}};
    hosts.m_addresses = {{"10.0.0.1", 7709}};
    std::vector<stHostDesc> edited = hosts.m_hosts;
    edited.push_back({"b", "10.0.0.2", 7710});
    edited.push_back({"c", "10.0.0.1", 7709});  // same server under another name
    TakeEditedHosts(hosts, edited, &harness.Client());
    EXPECT_EQ(hosts.m_hosts, edited);
    const std::vector<HostAddress> expected{{"10.0.0.1", 7709}, {"10.0.0.2", 7710}};
    EXPECT_EQ(hosts.m_addresses, expected);
    EXPECT_EQ(harness.Client().GetFailOverHosts(), expected);
    // The failover after the first server now goes to the new one.
    EXPECT_EQ(harness.Client().NextHost("10.0.0.1", 7709), (HostAddress{"10.0.0.2", 7710}));
}

TEST(HostSettings, EditorAddsCompleteHostsOnlyAndSelectsThem) {
    ConfigFixture config;
    CHostListModel model({{"甲", "10.0.0.1", 7709}, {"乙", "10.0.0.2", 7710}});
    EXPECT_EQ(model.Selected(), 0);
    EXPECT_TRUE(model.Select(1));
    EXPECT_FALSE(model.Select(2));
    EXPECT_EQ(CHostListModel::RowTexts(model.Hosts()[1]),
              (std::vector<std::string>{"乙", "很快", "一般"}));

    EXPECT_STREQ(model.AddLabelText(), "新增主站");
    EXPECT_EQ(model.OnAddLabel("", "", ""), "");  // enters add mode
    EXPECT_TRUE(model.IsAdding());
    EXPECT_STREQ(model.AddLabelText(), "确定添加");
    EXPECT_FALSE(model.Select(0));  // rows are not clicked while adding
    EXPECT_EQ(model.OnAddLabel("丙", "", "7711"), "添加的主机信息不能为空！");
    EXPECT_TRUE(model.IsAdding());
    EXPECT_NE(model.OnAddLabel("丙", "10.0.0.3", "70000").find("65535"), std::string::npos);
    EXPECT_EQ(model.Hosts().size(), 2u);
    EXPECT_EQ(model.OnAddLabel("丙", "10.0.0.3", "7711"), "");
    EXPECT_FALSE(model.IsAdding());
    ASSERT_EQ(model.Hosts().size(), 3u);
    EXPECT_EQ(model.Selected(), 2);
    EXPECT_EQ(model.Hosts()[2], (stHostDesc{"丙", "10.0.0.3", 7711}));

    // Cancelling an add keeps the list.
    model.OnAddLabel("", "", "");
    model.CancelAdd();
    EXPECT_FALSE(model.IsAdding());
    EXPECT_EQ(model.Hosts().size(), 3u);

    // The selection dialog's OK writes the chosen server; an empty list writes nothing.
    ASSERT_TRUE(model.StoreSelected());
    EXPECT_EQ(GetConfigString("system", "host", "address", ""), "10.0.0.3");
    EXPECT_EQ(GetConfigInt("system", "host", "port", 0), 7711);
    CHostListModel empty;
    EXPECT_EQ(empty.Selected(), -1);
    EXPECT_FALSE(empty.StoreSelected());
}

// --- login settings ---

TEST(LoginConfig, RememberedPasswordOnlyWhileRempwdIsSet) {
    const std::string user = Base64EncodeString("张三");
    const std::string pwd = Base64EncodeString("secret");
    {
        ConfigFixture config("<host username=\"" + user + "\" userpwd=\"" + pwd +
                             "\" rempwd=\"0\"/>");
        LoginDialogValues v = LoadLoginDialogValues();
        EXPECT_EQ(v.user, "张三");
        EXPECT_EQ(v.password, "");  // stored, but not remembered
        EXPECT_EQ(v.remember, 0);
        EXPECT_EQ(GetLoginValues().m_strPasswordText, "");
    }
    {
        ConfigFixture config("<host username=\"" + user + "\" userpwd=\"" + pwd +
                             "\" rempwd=\"1\"/>");
        LoginDialogValues v = LoadLoginDialogValues();
        EXPECT_EQ(v.password, "secret");
        EXPECT_EQ(v.remember, 1);
        EXPECT_EQ(GetLoginValues().m_strPasswordText, pwd);
    }
    {
        // Not base64: whatever the lenient decoder makes of it, no failure.
        ConfigFixture config("<host username=\"**\" rempwd=\"1\"/>");
        LoginDialogValues v = LoadLoginDialogValues();
        EXPECT_EQ(v.password, "");
    }
}

TEST(LoginConfig, StoredAccountRoundTripsAndForgettingRemovesThePassword) {
    ConfigFixture config;
    StoreLoginInput("用户 one", "p@ss word");
    StoreRememberState(1);
    EXPECT_EQ(GetConfigString("system", "host", "username", ""), Base64EncodeString("用户 one"));
    EXPECT_EQ(GetConfigString("system", "host", "userpwd", ""), Base64EncodeString("p@ss word"));

    ResetConfig();
    ASSERT_TRUE(LoadConfig(config.path));  // as saved
    LoginDialogValues v = LoadLoginDialogValues();
    EXPECT_EQ(v.user, "用户 one");
    EXPECT_EQ(v.password, "p@ss word");
    EXPECT_EQ(v.remember, 1);

    // Remember switched off: the stored password leaves the file.
    StoreLoginInput("用户 one", "");
    StoreRememberState(0);
    EXPECT_EQ(config.Text().find(Base64EncodeString("p@ss word")), std::string::npos);
    EXPECT_EQ(GetConfigInt("system", "host", "rempwd", 1), 0);

    // The file holds passwords: owner-only.
    struct stat st {};
    ASSERT_EQ(::stat(config.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // An empty user name is stored empty.
    StoreLoginInput("", "x");
    EXPECT_EQ(GetConfigString("system", "host", "username", "?"), "");
}

TEST(LoginConfig, NewConfigurationFileIsOwnerOnlyFromTheStart) {
    ScratchDir dir;
    const std::string path = dir.File("appconfig.xml");
    WriteFile(path, "<config/>");
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(LoadConfig(path));
    SetConfigInt("system", "host", "rempwd", 1, true);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ResetConfig();
}

TEST(LoginConfig, AccountPagesAndRegistrationSource) {
    ScratchDir dir;
    EXPECT_EQ(ReadRegistrationSource(dir.File("wfz_open.ini")), "9@tqrmbe@pc@guanwang");
    WriteFile(dir.File("other.ini"), "[OTHER]\nREG_SRC=no\n[SOFT]\r\nFIRSTOPEN=1\r\nREG_SRC=partner@7\r\n");
    EXPECT_EQ(ReadRegistrationSource(dir.File("other.ini")), "partner@7");
    WriteFile(dir.File("nokey.ini"), "[SOFT]\nFIRSTOPEN=1\n");
    EXPECT_EQ(ReadRegistrationSource(dir.File("nokey.ini")), "9@tqrmbe@pc@guanwang");
    WriteFile(dir.File("long.ini"), "[SOFT]\nREG_SRC=" + std::string(600, 'x') + "\n");
    EXPECT_EQ(ReadRegistrationSource(dir.File("long.ini")).size(), 511u);

    {
        ConfigFixture config("<web account=\"https://accounts.test/\"/>");
        const std::string host = GetAccountWebHost();
        EXPECT_EQ(host, "https://accounts.test");
        EXPECT_EQ(MakeRegisterUrl(host, ReadRegistrationSource(dir.File("none.ini"))),
                  "https://accounts.test/account/toRegisterPage.do?reg_source=9@tqrmbe@pc@guanwang");
        EXPECT_EQ(MakeRecoverPasswordUrl(host), "https://accounts.test/account/toForgetPswd.do");
    }
    ConfigFixture none;
    EXPECT_FALSE(GetAccountWebHost().empty());
}

// --- the login a choice leads to ---

uint16_t SentLoginCommand(CLoopbackListener& listener, int64_t* serial = nullptr, int* fdOut = nullptr) {
    int fd = listener.Accept();
    if (fd < 0) return 0;
    auto header = ReadExactly(fd, 28);
    if (header.size() != 28) return 0;
    CDataHead head = CDataHead::Decode(header.data());
    ReadExactly(fd, head.m_nBodyLength);
    if (serial) *serial = head.m_nSerial;
    if (fdOut)
        *fdOut = fd;
    else
        CloseSocket(fd);
    return head.m_wCommand;
}

TEST(LoginChoice, EmptyUserAndGuestLinkSendGuestLoginsTheLoginButtonDoesNot) {
    ConfigFixture config;
    StoreLoginInput("", "");
    {
        CLoopbackListener listener;
        CClientHarness harness({}, {"127.0.0.1", listener.Port()});
        harness.Connect();
        EXPECT_EQ(SentLoginCommand(listener), wire::kGuestLogin);
    }
    StoreLoginInput("user", "pass");
    ChooseGuestLogin();
    {
        CLoopbackListener listener;
        CClientHarness harness({}, {"127.0.0.1", listener.Port()});
        harness.Connect();
        EXPECT_EQ(SentLoginCommand(listener), wire::kGuestLogin);
    }
    // The guest choice was for that login only.
    StoreLoginInput("user", "pass");
    {
        CLoopbackListener listener;
        CClientHarness harness({}, {"127.0.0.1", listener.Port()});
        harness.Connect();
        EXPECT_EQ(SentLoginCommand(listener), wire::kLogin);
    }
}

TEST(LoginChoice, AGuestHasAnEmptyAccountNameWhateverTheServerSends) {
    ConfigFixture config;
    // The real server: a guest login is answered without a name.
    StoreLoginInput("user", "pass");
    ChooseGuestLogin();
    {
        CServerProcess server;
        ASSERT_TRUE(server.Running());
        CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
        harness.Connect();
        ASSERT_TRUE(WaitUntil([&] { return harness.Record().Logins() == 1; }));
        EXPECT_EQ(harness.Record().m_loginResults, std::vector<int>{1});
        EXPECT_EQ(GetAccountName(), "");
        EXPECT_FALSE(server.WaitForLine("login accepted: (guest)").empty());
    }
    // A server that names its guests anyway.
    CLoopbackListener listener;
    CClientHarness harness({}, {"127.0.0.1", listener.Port()});
    harness.Connect();
    int64_t serial = 0;
    int fd = -1;
    ASSERT_EQ(SentLoginCommand(listener, &serial, &fd), wire::kGuestLogin);
    wire::LoginReply reply;
    reply.result = 1;
    reply.text = "ok";
    reply.account = "guest-7";
    CBuffer body;
    reply.Encode(body);
    ASSERT_TRUE(WriteAll(fd, MakeMessage(wire::kGuestLogin, serial,
                                         std::vector<uint8_t>(body.GetData(),
                                                              body.GetData() + body.GetLength()))));
    ASSERT_TRUE(WaitUntil([&] { return harness.Record().Logins() == 1; }));
    EXPECT_EQ(GetAccountName(), "");
    CloseSocket(fd);
}

}  // namespace
