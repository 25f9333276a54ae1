// The trend-training set-up page: the start checks in their order, the fee text, the range
// text and the offline range, then the page driven like a user against a scripted request
// channel (replies decoded off the page, stale and incomplete replies, the days query).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "marketdata/FakeChannel.h"
#include "marketdata/MarketFixture.h"
#include "marketdata/net/LoginSession.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Services.h"
#include "protocol/Bodies.h"
#include "training/TotalTrainingRecord.h"
#include "training/wnd/TrainingCentre.h"
#include "training/wnd/TrainingReportWnd.h"
#include "training/wnd/TrendTrainingSetWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/DateTimeCtrl.h"
#include "ui/dialog/SkinControls.h"
#include "ui/input/InputCodeWnd.h"

namespace {

const char* const kNoRange =
    "无法获取数据支持的日期，原因可能是：没有连网；服务器没有相关代码的数据；网速较慢。请换只代码看看!!!";
const char* const kGuestLimit = "游客权限一天只能训练5只股票。请您到官网注册账号，使用账号登录";

TEST(TrendStartChecksTest, EachCheckInItsOrder) {
    TrendStartState ok;
    ok.accountName = "";
    ok.hasSecurity = true;
    ok.range = {20050104, 20241231, 300};
    ok.daysText = "20";
    struct Case {
        const char* what;
        std::function<void(TrendStartState&)> change;
        const char* message;
        int days;
    } cases[] = {
        {"valid days", [](TrendStartState&) {}, "", 20},
        {"guest's sixth", [](TrendStartState& s) { s.guestSessionsToday = 5; }, kGuestLimit, 0},
        {"guest's fifth", [](TrendStartState& s) { s.guestSessionsToday = 4; }, "", 20},
        {"account never counted", [](TrendStartState& s) { s.accountName = "lee"; s.guestSessionsToday = 9; }, "", 20},
        {"guest limit comes first",
         [](TrendStartState& s) { s.guestSessionsToday = 5; s.sessionRunning = true; s.range = {}; }, kGuestLimit, 0},
        {"running session", [](TrendStartState& s) { s.sessionRunning = true; }, "请先结束正在进行的趋势训练!!!", 0},
        {"chosen mode, none chosen",
         [](TrendStartState& s) { s.chosenSecurityMode = true; s.hasSecurity = false; }, "请先指定股票代码!!!", 0},
        {"random mode needs no choice", [](TrendStartState& s) { s.hasSecurity = false; }, "", 20},
        {"range unknown", [](TrendStartState& s) { s.range = {}; }, kNoRange, 0},
        {"end date unknown", [](TrendStartState& s) { s.range.end = 0; }, kNoRange, 0},
        {"empty days", [](TrendStartState& s) { s.daysText = ""; }, "请输入训练天数", 0},
        {"12a", [](TrendStartState& s) { s.daysText = "12a"; }, "训练天数输入有误!!!", 0},
        {"1.5 trains 1 day", [](TrendStartState& s) { s.daysText = "1.5"; }, "", 1},
        {"0", [](TrendStartState& s) { s.daysText = "0"; }, "请输入训练天数", 0},
        {"the maximum", [](TrendStartState& s) { s.daysText = "300"; }, "", 300},
        {"one more", [](TrendStartState& s) { s.daysText = "301"; }, "训练天数最多300天", 0},
        {"huge", [](TrendStartState& s) { s.daysText = "99999999999999"; }, "训练天数最多300天", 0},
        {"dates inside",
         [](TrendStartState& s) { s.datesMode = true; s.startDate = 20100104; s.endDate = 20120104; }, "", 0},
        {"dates: days text ignored",
         [](TrendStartState& s) {
             s.datesMode = true;
             s.daysText = "x";
             s.startDate = 20050104;
             s.endDate = 20241231;
         },
         "", 0},
        {"start equals end",
         [](TrendStartState& s) { s.datesMode = true; s.startDate = 20100104; s.endDate = 20100104; },
         "开始时间必须小于结束时间", 0},
        {"start after end",
         [](TrendStartState& s) { s.datesMode = true; s.startDate = 20120104; s.endDate = 20100104; },
         "开始时间必须小于结束时间", 0},
        {"start before the range",
         [](TrendStartState& s) { s.datesMode = true; s.startDate = 20050103; s.endDate = 20100104; },
         "起止日期不在合理的区间内", 0},
        {"end after the range",
         [](TrendStartState& s) { s.datesMode = true; s.startDate = 20100104; s.endDate = 20250102; },
         "起止日期不在合理的区间内", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrendStartState s = ok;
        c.change(s);
        int days = -1;
        EXPECT_EQ(CheckTrendStart(s, days), c.message);
        EXPECT_EQ(days, c.days);
    }
}

TEST(TrendStartChecksTest, FeeTextAndRangeText) {
    struct Case {
        const char* text;
        bool ok;
        double rate;
        const char* label;
        const char* message;
    } cases[] = {
        {"10", true, 0.001, "10", ""},
        {"3", true, 0.0003, "3", ""},
        {"0", true, 0, "0", ""},
        {"", true, 0, "", ""},           // empty counts as a number: no fee
        {"2.5", true, 0.0002, "2", ""},  // whole parts of ten thousand, and the label says so
        {"11", false, 9, "x", "费率不得超过10‱!"},
        {"1e3", false, 9, "x", "输入不合法!"},
        {"-1", false, 9, "x", "输入不合法!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double rate = 9;
        std::string label = "x", message;
        EXPECT_EQ(ParseFeeText(c.text, rate, label, message), c.ok);
        EXPECT_DOUBLE_EQ(rate, c.rate);
        EXPECT_EQ(label, c.label);
        EXPECT_EQ(message, c.message);
    }
    EXPECT_EQ(FormatSupportRange({20050104, 20241231, 4800}), "2005-01-04至2024-12-31");
    EXPECT_EQ(FormatSupportRange({20050104, 0, 4800}), "--");
}

class OfflineRangeTest : public MarketTest {};

TEST_F(OfflineRangeTest, ComesFromTheStoredDayBars) {
    CSecurity* stored = Add(1, "600000", "浦发银行");
    CSecurity* empty = Add(1, "600036", "招商银行");
    {
        auto series = GetDayData(4, CIndSecuCode(1, "600000"), 1);
        ASSERT_TRUE(series);
        {
            auto edit = series->Write();
            for (int d : {20240102, 20240103, 20240104, 20240105})
                edit.RawBars().Insert(MakeBar(d, 1000, 1100, 900, 1050, 500));
        }
        ASSERT_TRUE(series->SaveLocal());
    }
    EXPECT_EQ(LocalSupportRange(stored), (TrendSupportRange{20240102, 20240105, 4}));
    EXPECT_EQ(LocalSupportRange(empty), TrendSupportRange{});
    EXPECT_EQ(LocalSupportRange(nullptr), TrendSupportRange{});
}

// ---------------------------------------------------------------- the page

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct Host : CWnd {
    Host() {
        EnsurePlatform();
        CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 380, 680), nullptr, 0);
    }
    ~Host() override {
        if (m_hWnd) DestroyWindow();
    }
};

CBuffer Encode(const auto& body) {
    CBuffer b;
    body.Encode(b);
    return b;
}

template <class Body>
Body Decode(const FakeChannel::Sent& sent) {
    CBuffer b;
    b.Write(sent.body.data(), uint32_t(sent.body.size()));
    Body body;
    body.Decode(b);
    return body;
}

class TrendPageTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        EnsurePlatform();
        GetCommonVar()->LoadColours();
        GetAppInfo()->SetClock(20240610, 100000);
        TrainedNumCounter().clear();
        m_records = std::make_shared<CTotalTrainingRecord>((m_dir.Path() / "totalRecord.xml").string());
        GetDataCenter()->SetTrainingRecords(m_records, [] {});
        m_a = Add(1, "600000", "浦发 银行");
        m_b = Add(1, "600036", "招商 银行");
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
        SetTrainingSessionOpener([this](const std::shared_ptr<CTrainingRecord>& r) { opened.push_back(r); });
        host = std::make_unique<Host>();
        page = std::make_unique<TrendTrainingSetWnd>();
        ASSERT_TRUE(page->Create(host.get()));
        host->ShowWindow(SW_SHOW);
        page->MoveWindow(0, 0, 360, 660);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        page.reset();
        host.reset();
        SetMessageBoxHook(nullptr);
        SetTrainingSessionOpener(nullptr);
        TrainedNumCounter().clear();
        MarketTest::TearDown();
    }
    void Click(int id) {
        MyButton* b = page->m_buttons[size_t(id - TrendTrainingSetWnd::kRandomDateId)].get();
        b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        b->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    // Answers the newest request (12001) with a range for the security it named.
    void AnswerRange(TrendSupportRange range, bool withRange = true) {
        ASSERT_FALSE(channel.m_sent.empty());
        auto request = Decode<wire::SupportRangeRequest>(channel.m_sent.back());
        wire::SupportRangeReply reply;
        reply.security = request.security;
        reply.hasRange = withRange;
        reply.begin = range.begin;
        reply.end = range.end;
        reply.maxDays = range.maxDays;
        channel.ReplyToLast(Encode(reply));
        platform::ProcessPendingEvents();
    }
    void ChooseCode(const std::string& key) {
        page->m_pCode->m_list.m_chosen.kind = 3;
        page->m_pCode->m_list.m_chosen.key = key;
        page->SendMessage(UM_CODE_CHOSEN, 0, 0);
    }
    bool StartEnabled() { return page->m_buttons[8]->IsWindowEnabled(); }
    size_t Sent(uint16_t command) {
        size_t n = 0;
        for (auto& s : channel.m_sent) n += s.head.m_wCommand == command;
        return n;
    }

    FakeChannel channel;
    std::shared_ptr<CTotalTrainingRecord> m_records;
    CSecurity* m_a = nullptr;
    CSecurity* m_b = nullptr;
    std::unique_ptr<Host> host;
    std::unique_ptr<TrendTrainingSetWnd> page;
    std::vector<std::string> boxes;
    std::vector<std::shared_ptr<CTrainingRecord>> opened;
};

TEST_F(TrendPageTest, StartsOnlyOnceTheRangeOfTheSecurityArrived) {
    EXPECT_FALSE(StartEnabled());
    EXPECT_FALSE(page->m_pDays->IsWindowEnabled());
    EXPECT_EQ(page->m_nPeriodMode, 1);
    EXPECT_EQ(page->m_nSecurityMode, 1);
    // A stored session on 600000: attaching settles on the other one.
    auto old = m_records->CreateRecord(0, 0, m_a, m_a->GetCode(), "浦发银行", 0, 0, 0, 1e6, 0.0003);
    m_records->EndSession(*old);
    page->AttachData();
    ASSERT_EQ(page->GetCurrentSecurity(), m_b);
    ASSERT_EQ(Sent(wire::kSupportRange), 1u);
    EXPECT_EQ(Decode<wire::SupportRangeRequest>(channel.m_sent.back()).security, (wire::SecurityRef{1, "600036"}));
    // A reply about another security changes nothing.
    wire::SupportRangeReply stale;
    stale.security = {1, "600000"};
    stale.begin = 20050104, stale.end = 20241231, stale.maxDays = 4000;
    channel.ReplyToLast(Encode(stale));
    platform::ProcessPendingEvents();
    EXPECT_EQ(page->GetRange(), TrendSupportRange{});
    EXPECT_EQ(Sent(wire::kSupportRange), 1u);  // and asks for nothing else

    page->AttachData();
    AnswerRange({20050104, 20241231, 4000});
    EXPECT_EQ(page->GetRange(), (TrendSupportRange{20050104, 20241231, 4000}));
    EXPECT_TRUE(StartEnabled());
    EXPECT_TRUE(page->m_pDays->IsWindowEnabled());
    EXPECT_EQ(page->m_pDays->GetWindowText(), "");
    EXPECT_EQ(TrendTrainingSetWnd::FieldDate(*page->m_dates[0]), 20050104u);
    EXPECT_EQ(TrendTrainingSetWnd::FieldDate(*page->m_dates[1]), 20241231u);
    EXPECT_EQ(page->SupportRangeText(), "--");  // days mode
    Click(TrendTrainingSetWnd::kChosenDatesId);
    EXPECT_EQ(page->SupportRangeText(), "2005-01-04至2024-12-31");
    EXPECT_FALSE(page->m_pDays->IsWindowEnabled());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TrendPageTest, ChangingTheSecurityForgetsTheRangeAndTheStartSaysSo) {
    page->AttachData();
    AnswerRange({20050104, 20241231, 4000});
    ASSERT_TRUE(StartEnabled());
    CSecurity* before = page->GetCurrentSecurity();
    Click(TrendTrainingSetWnd::kChosenSecurityId);
    EXPECT_EQ(page->GetCurrentSecurity(), before);  // choosing the mode keeps the security
    ChooseCode(before == m_a ? "0001600036" : "0001600000");
    CSecurity* chosen = before == m_a ? m_b : m_a;
    ASSERT_EQ(page->GetCurrentSecurity(), chosen);
    EXPECT_EQ(page->GetRange(), TrendSupportRange{});
    EXPECT_FALSE(StartEnabled());
    EXPECT_EQ(Decode<wire::SupportRangeRequest>(channel.m_sent.back()).security.code, chosen->GetCode().m_strCode);
    EXPECT_EQ(page->m_pCode->GetEditText(), chosen == m_a ? "600000 浦发银行" : "600036 招商银行");
    page->m_pDays->SetWindowText("20");
    page->Start();
    EXPECT_EQ(boxes, (std::vector<std::string>{std::string("提示:") + kNoRange}));
    EXPECT_TRUE(opened.empty());
    // An unknown code leaves no security: the start asks for one.
    ChooseCode("0001999999");
    EXPECT_EQ(page->GetCurrentSecurity(), nullptr);
    page->Start();
    EXPECT_EQ(boxes.back(), "提示:请先指定股票代码!!!");
}

TEST_F(TrendPageTest, AnIncompleteRangeIsAskedForAgainOnlySoOften) {
    Click(TrendTrainingSetWnd::kChosenSecurityId);
    ChooseCode("0001600000");
    for (int i = 0; i < 20 && channel.m_sent.size() == size_t(i + 1); ++i) AnswerRange({20050104, 0, 0});
    EXPECT_EQ(Sent(wire::kSupportRange), size_t(TrendTrainingSetWnd::kMaxRangeRounds));
    EXPECT_EQ(page->GetCurrentSecurity(), m_a);
    EXPECT_FALSE(StartEnabled());
    // Choosing again starts a new round of questions, and a full answer ends it.
    ChooseCode("0001600000");
    AnswerRange({}, false);
    AnswerRange({20050104, 20241231, 4000});
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(Sent(wire::kSupportRange), size_t(TrendTrainingSetWnd::kMaxRangeRounds) + 2);
}

TEST_F(TrendPageTest, RandomModePassesOverASecurityWithoutData) {
    page->AttachData();
    CSecurity* first = page->GetCurrentSecurity();
    AnswerRange({0, 0, 0});
    EXPECT_NE(page->GetCurrentSecurity(), first);
    EXPECT_EQ(Decode<wire::SupportRangeRequest>(channel.m_sent.back()).security.code,
              page->GetCurrentSecurity()->GetCode().m_strCode);
    AnswerRange({20100104, 20241231, 3000});
    EXPECT_TRUE(StartEnabled());
}

TEST_F(TrendPageTest, TheDaysEditAsksOnceItsTextRestsAndKeepsAChosenSecurity) {
    page->AttachData();
    AnswerRange({20200102, 20241231, 1000});
    CSecurity* current = page->GetCurrentSecurity();
    for (const char* text : {"1", "15", "150", "1500"}) page->m_pDays->SetWindowText(text);
    EXPECT_EQ(Sent(wire::kDataRange), 0u);  // not per keystroke
    page->OnDaysSettled();
    ASSERT_EQ(Sent(wire::kDataRange), 1u);
    auto query = Decode<wire::DataRangeRequest>(channel.m_sent.back());
    EXPECT_EQ(query.days, 1500u);
    EXPECT_EQ(query.security.code, current->GetCode().m_strCode);
    // Random mode: the server's security replaces the page's.
    CSecurity* other = current == m_a ? m_b : m_a;
    wire::DataRangeReply reply;
    reply.status = 1;
    reply.security = {1, other->GetCode().m_strCode};
    reply.begin = 20000104, reply.end = 20241231, reply.maxDays = 6000;
    channel.ReplyToLast(Encode(reply));
    platform::ProcessPendingEvents();
    EXPECT_EQ(page->GetCurrentSecurity(), other);
    EXPECT_EQ(page->GetRange(), (TrendSupportRange{20000104, 20241231, 6000}));
    EXPECT_EQ(page->m_pDays->GetWindowText(), "1500");  // the user's days stay
    EXPECT_TRUE(StartEnabled());
    // A value within the range asks nothing.
    page->m_pDays->SetWindowText("600");
    page->OnDaysSettled();
    EXPECT_EQ(Sent(wire::kDataRange), 1u);

    // Chosen mode: the user's security is never replaced.
    Click(TrendTrainingSetWnd::kChosenSecurityId);
    page->m_pDays->SetWindowText("9000");
    page->OnDaysSettled();
    ASSERT_EQ(Sent(wire::kDataRange), 2u);
    reply.security = {1, current->GetCode().m_strCode};
    channel.ReplyToLast(Encode(reply));
    platform::ProcessPendingEvents();
    EXPECT_EQ(page->GetCurrentSecurity(), other);
    page->Start();
    EXPECT_EQ(boxes, (std::vector<std::string>{"提示:训练天数最多6000天"}));

    // No security supports the days.
    page->m_pDays->SetWindowText("90000");
    page->OnDaysSettled();
    channel.ReplyToLast(Encode(wire::DataRangeReply{}));
    platform::ProcessPendingEvents();
    EXPECT_EQ(boxes.back(), "提示:设置天数过大，没有品种能够支持");
    // Not a number: told at once.
    page->m_pDays->SetWindowText("12a");
    EXPECT_EQ(boxes.back(), "提示:训练天数输入有误!!!");
}

TEST_F(TrendPageTest, AReplyArrivingAfterDetachingIsDropped) {
    page->AttachData();
    const int64_t serial = channel.m_sent.back().head.m_nSerial;
    auto request = Decode<wire::SupportRangeRequest>(channel.m_sent.back());
    // The handler already ran on the network side and its task waits for the UI thread.
    wire::SupportRangeReply reply;
    reply.security = request.security;
    reply.begin = 20050104, reply.end = 20241231, reply.maxDays = 4000;
    channel.Reply(serial, Encode(reply));
    page->DetachData();
    platform::ProcessPendingEvents();
    EXPECT_EQ(page->GetRange(), TrendSupportRange{});
    EXPECT_FALSE(StartEnabled());
}

TEST_F(TrendPageTest, OfflineTheRangeComesFromTheStoredBarsAndTheDaysQueryAsksForTheNetwork) {
    channel.m_bConnected = false;
    {
        auto series = GetDayData(4, CIndSecuCode(1, "600036"), 1);
        auto edit = series->Write();
        for (int d : {20240102, 20240103, 20240104}) edit.RawBars().Insert(MakeBar(d, 1000, 1100, 900, 1050, 500));
    }
    ASSERT_TRUE(GetDayData(4, CIndSecuCode(1, "600036"), 1)->SaveLocal());
    page->AttachData();  // random: the one without bars is passed over
    EXPECT_EQ(page->GetCurrentSecurity(), m_b);
    EXPECT_EQ(page->GetRange(), (TrendSupportRange{20240102, 20240104, 3}));
    EXPECT_TRUE(StartEnabled());
    page->m_pDays->SetWindowText("4");
    page->OnDaysSettled();
    EXPECT_EQ(boxes, (std::vector<std::string>{"提示:请保持联网状态"}));
    EXPECT_TRUE(channel.m_sent.empty());
}

TEST_F(TrendPageTest, AStartCreatesTheSessionCountsTheGuestAndOpensItsWorkspace) {
    page->AttachData();
    AnswerRange({20050104, 20241231, 4000});
    CSecurity* security = page->GetCurrentSecurity();
    Click(TrendTrainingSetWnd::kHideDateId);
    Click(TrendTrainingSetWnd::kShortSellId);
    ASSERT_TRUE(page->ApplyFeeText("5"));
    EXPECT_EQ(page->m_labels[4]->m_strText, "5");
    EXPECT_FALSE(page->ApplyFeeText("11"));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("费率不得超过10‱!"), std::string::npos);
    boxes.clear();
    page->m_pDays->SetWindowText("30");
    page->Start();
    ASSERT_TRUE(boxes.empty()) << boxes[0];
    ASSERT_EQ(opened.size(), 1u);
    const CTrainingRecord& r = *opened[0];
    EXPECT_EQ(m_records->GetSelectedRecord(), opened[0]);
    EXPECT_EQ(r.code, security->GetCode());
    EXPECT_EQ(r.WantDays, 30);
    EXPECT_EQ(r.TrainPeriodType, 0);
    EXPECT_EQ(r.hideDate, 1);
    EXPECT_EQ(r.hideName, 0);
    EXPECT_EQ(r.CanPut, 1);
    EXPECT_EQ(r.T0, 0);
    EXPECT_DOUBLE_EQ(r.commitrate, 0.0005);
    EXPECT_EQ(TrainedNumCounter()[20240610], 1);
    // The file holds the session with its days and the guest's count.
    CTotalTrainingRecord reread(m_records->GetFilePath());
    TrainedNumCounter().clear();
    ASSERT_TRUE(reread.Load());
    ASSERT_EQ(reread.records.size(), 1u);
    EXPECT_EQ(reread.records[0]->WantDays, 30);
    EXPECT_EQ(TrainedNumCounter()[20240610], 1);

    // Dates mode.
    m_records->EndSession(*opened[0]);
    Click(TrendTrainingSetWnd::kChosenDatesId);
    page->m_dates[0]->m_value = CalDate{2010, 1, 4};
    page->m_dates[1]->m_value = CalDate{2012, 6, 29};
    page->Start();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1]->TrainPeriodType, 1);
    EXPECT_EQ(opened[1]->StartDate, 20100104);
    EXPECT_EQ(opened[1]->EndDate, 20120629);
    EXPECT_EQ(opened[1]->WantDays, 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TrendPageTest, LooksLikeTheSetUpPage) {
    page->AttachData();
    AnswerRange({20050104, 20241231, 4000});
    Click(TrendTrainingSetWnd::kChosenDatesId);
    page->Invalidate();
    page->UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(page.get(), shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/trend_setup.png");
    // The red start button and its black frame, the background between the rows, the
    // light fee value, the radio images: dates mode (clicked) and random security checked.
    EXPECT_EQ(shot.GetPixel(130, 560), RGB(203, 76, 76));
    EXPECT_EQ(shot.GetPixel(109, 560), RGB(0, 0, 0));
    EXPECT_EQ(shot.GetPixel(300, 100), GetCommonVar()->GetColor(CommonColor::uniBackGround));
    int light = 0;
    const CRect fee = page->m_labels[4]->m_rect;
    for (int y = fee.top; y < fee.bottom; ++y)
        for (int x = fee.left; x < fee.right; ++x) {
            const COLORREF c = shot.GetPixel(x, y);
            light += GetRValue(c) > 180 && GetGValue(c) > 180 && GetBValue(c) > 180;
        }
    EXPECT_GT(light, 3);
    const CRect days = page->m_labels[6]->m_rect, dates = page->m_labels[7]->m_rect;
    const CRect random = page->m_labels[13]->m_rect;
    EXPECT_EQ(shot.GetPixel(14 + 8, dates.top + 2 + 8), RGB(47, 111, 208));
    EXPECT_NE(shot.GetPixel(14 + 8, days.top + 2 + 8), RGB(47, 111, 208));
    EXPECT_EQ(shot.GetPixel(14 + 8, random.top + 2 + 8), RGB(47, 111, 208));
}

TEST_F(TrendPageTest, TheCentresTrendTabShowsThePage) {
    RegisterTrainingElementTypes();  // the page itself, not a stand-in
    CWnd frame;
    frame.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 420, 760), nullptr, 0);
    AnalysisAndTrainingWnd centre;
    ASSERT_TRUE(centre.Create(&frame));
    frame.ShowWindow(SW_SHOW);
    centre.MoveWindow(0, 0, 400, 740);
    auto* trend = dynamic_cast<TrendTrainingSetWnd*>(centre.m_pages[1].get());
    ASSERT_NE(trend, nullptr);
    centre.AttachData();
    AnswerRange({20050104, 20241231, 4000});
    EXPECT_EQ(trend->GetRange(), (TrendSupportRange{20050104, 20241231, 4000}));
    centre.Invalidate();
    centre.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&centre, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/centre_trend_tab.png");
    CRect start;
    trend->m_buttons[8]->GetWindowRect(&start);
    centre.ScreenToClient(&start);
    EXPECT_EQ(shot.GetPixel(start.left + 20, start.top + 15), RGB(203, 76, 76));
    centre.DetachData();
    centre.DestroyWindow();
    frame.DestroyWindow();
}

}  // namespace
