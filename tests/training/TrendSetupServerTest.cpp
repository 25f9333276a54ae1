// The trend-training set-up page against the real data server on loopback, logged in as a
// guest: the ranges arrive over the network, five sessions a day, the sixth refused until
// the next day.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Config.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/RequestChannel.h"
#include "marketdata/Security.h"
#include "marketdata/net/LoginSession.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "training/TotalTrainingRecord.h"
#include "training/wnd/TrainingReportWnd.h"
#include "training/wnd/TrendTrainingSetWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

TEST(TrendSetupAgainstServer, AGuestsSixthSessionOfADayIsRefusedTheNextDayItIsNot) {
    EnsurePlatform();
    ResetDataCenter();
    CScratchHome home;
    WriteFile((home.Path() / "appconfig.xml").string(),
              "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<config><system></system></config>\n");
    ASSERT_TRUE(LoadConfig((home.Path() / "appconfig.xml").string()));
    SetGuestLogin(true);
    GetCommonVar()->LoadColours();
    GetAppInfo()->SetClock(20240610, 100000);
    TrainedNumCounter().clear();
    auto records = std::make_shared<CTotalTrainingRecord>((home.Path() / "totalRecord.xml").string());
    GetDataCenter()->SetTrainingRecords(records, [] {});
    for (const char* code : {"600000", "600036", "600519"}) {
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(1, code));
        s->SetName(code);
        s->SetSecurityType();
        GetDataCenter()->AddSecurity(s);
    }
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](const std::string& text, const std::string& caption, UINT) {
        boxes.push_back(caption + ":" + text);
        return IDOK;
    });
    std::vector<std::shared_ptr<CTrainingRecord>> opened;
    SetTrainingSessionOpener([&](const std::shared_ptr<CTrainingRecord>& r) { opened.push_back(r); });

    {
        CServerProcess server;
        ASSERT_TRUE(server.Running());
        CClientHarness client({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
        client.Connect();
        ASSERT_TRUE(WaitUntil([&] { return client.Client().IsConnected(); }));
        ASSERT_EQ(GetAccountName(), "");
        SetRequestChannel(&client.Client());

        CWnd host;
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 380, 680), nullptr, 0);
        auto page = std::make_unique<TrendTrainingSetWnd>();
        ASSERT_TRUE(page->Create(&host));
        page->MoveWindow(0, 0, 360, 660);
        auto startEnabled = [&] { return page->m_buttons[8]->IsWindowEnabled() != FALSE; };
        auto startOnce = [&] {
            page->AttachData();
            EXPECT_TRUE(platform::PumpUntil(startEnabled, int(HangBound(std::chrono::seconds(20)).count())));
            const TrendSupportRange& range = page->GetRange();
            EXPECT_TRUE(range.Complete());
            EXPECT_LT(range.begin, range.end);
            page->m_pDays->SetWindowText("20");
            page->Start();
        };
        for (int i = 0; i < kGuestSessionsPerDay; ++i) {
            startOnce();
            ASSERT_EQ(opened.size(), size_t(i + 1)) << (boxes.empty() ? "" : boxes.back());
            records->EndSession(*opened.back());
        }
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(TrainedNumCounter()[20240610], kGuestSessionsPerDay);
        startOnce();
        EXPECT_EQ(opened.size(), size_t(kGuestSessionsPerDay));
        EXPECT_EQ(boxes, (std::vector<std::string>{
                             "提示:游客权限一天只能训练5只股票。请您到官网注册账号，使用账号登录"}));
        // The next day counts afresh.
        GetAppInfo()->SetClock(20240611, 93000);
        page->Start();
        EXPECT_EQ(opened.size(), size_t(kGuestSessionsPerDay) + 1);
        EXPECT_EQ(TrainedNumCounter()[20240611], 1);
        EXPECT_GT(server.CountLines("login accepted: (guest)"), 0u);

        page->DetachData();
        page.reset();
        host.DestroyWindow();
        SetRequestChannel(nullptr);
    }
    SetMessageBoxHook(nullptr);
    SetTrainingSessionOpener(nullptr);
    SetGuestLogin(false);
    ResetConfig();
    TrainedNumCounter().clear();
    ResetDataCenter();
}

}  // namespace
