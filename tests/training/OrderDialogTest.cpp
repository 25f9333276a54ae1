// The order dialog of a trend-training session: the rules of one order as tables (fraction
// buttons, hands bound, price range, index units, dates), then the real dialog run modally and
// typed into like a user would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "training/TrainingOrder.h"
#include "training/TrainingRecord.h"
#include "training/wnd/DlgTrainingBS.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "ui/input/InputCodeWnd.h"

namespace {

// A session whose revealed bar is 2024-01-03, low 9.50, high 10.50, close 10.00.
CTrainingRecord MakeSession(const CIndSecuCode& code = CIndSecuCode(1, "600000"),
                            double capital = 100000) {
    CTrainingRecord r(nullptr, code, 0, 1, 0, 0, 0, capital, "测试", 0);
    r.dataType = 4;
    r.quoteTime = 20240103;
    r.open = 9.8;
    r.low = 9.5;
    r.high = 10.5;
    r.price = 10.0;
    return r;
}

TEST(TrainingOrderRules, FractionsOfAMaximumTruncateToWholeHands) {
    struct Case {
        int32_t maximum;
        int index;
        int32_t hands;
    } cases[] = {
        {10, 0, 10}, {10, 1, 6}, {10, 2, 5}, {10, 3, 3}, {10, 4, 2}, {10, 5, 1},
        {9, 1, 6},   {9, 3, 3},  {6, 5, 1},  {5, 5, 0},  {0, 1, 0},  {7, 9, 7},  // out of range = all
    };
    for (const Case& c : cases)
        EXPECT_EQ(FractionOfMaximum(c.maximum, c.index), c.hands) << c.maximum << " " << c.index;
}

TEST(TrainingOrderRules, EachKindHasItsTitleAndMaximum) {
    const TrainingOrderMaxima m{30, 20, 10};
    struct Case {
        int kind;
        const char* title;
        int32_t maximum;
    } cases[] = {{0, "买入", 30}, {1, "卖出", 20}, {2, "多开", 30}, {3, "多平", 20},
                 {4, "空开", 30}, {5, "空平", 10}, {-1, "", 0},    {6, "", 0}};
    for (const Case& c : cases) {
        EXPECT_STREQ(TrainingOrderTitle(c.kind), c.title) << c.kind;
        EXPECT_EQ(TrainingOrderMaximum(c.kind, m), c.maximum) << c.kind;
    }
}

TEST(TrainingOrderRules, PriceMustLieWithinTheRevealedBar) {
    CTrainingRecord r = MakeSession();
    struct Case {
        double price;
        bool ok;
    } cases[] = {{9.5, true}, {10.5, true}, {10.0, true}, {10.51, false}, {9.49, false}, {0, false}};
    for (const Case& c : cases) {
        TrainingOrderInput in{kOrderBuy, c.price, 1, 0, {100, 0, 0}, false, ""};
        const TrainingOrderOutcome out = PlaceTrainingOrder(r, in);
        EXPECT_EQ(out.priceRefused, !c.ok) << c.price;
        EXPECT_EQ(out.placed, c.ok) << c.price;
    }
    // Three accepted buys of one hand each; nothing from the refused ones.
    EXPECT_EQ(r.GetPositionVolume(true), 300);
}

TEST(TrainingOrderRules, HandsAreBoundByTheChosenFractionAndDatedAtTheBar) {
    CTrainingRecord r = MakeSession();
    // 50 typed with a maximum of 10 at 2/3: 6 hands, 600 shares.
    TrainingOrderInput in{kOrderBuy, 10.0, 50, 1, {10, 0, 0}, false, "突破"};
    TrainingOrderOutcome out = PlaceTrainingOrder(r, in);
    ASSERT_TRUE(out.placed) << out.message;
    EXPECT_EQ(out.shares, 600);
    ASSERT_EQ(r.trades.size(), 1u);
    EXPECT_EQ(r.trades[0].TradeDate, 20240103);
    // Valued at the bar's close 10.00, not at the order price: cash + 600 × 10.
    ASSERT_FALSE(r.assets.empty());
    EXPECT_EQ(r.assets.back().date, 20240103u);
    EXPECT_DOUBLE_EQ(r.assets.back().asset, r.leftCapital + 600 * 10.0);

    // Fewer typed than allowed: what was typed.
    in = {kOrderBuy, 10.2, 2, 0, {10, 0, 0}, false, ""};
    out = PlaceTrainingOrder(r, in);
    EXPECT_EQ(out.shares, 200);

    // Zero hands: a zero-share order the record refuses without a text.
    in = {kOrderBuy, 10.0, 0, 0, {10, 0, 0}, false, ""};
    out = PlaceTrainingOrder(r, in);
    EXPECT_FALSE(out.placed);
    EXPECT_TRUE(out.message.empty());

    // Selling more than is closable: the record's refusal text comes back.
    in = {kOrderSell, 10.0, 100, 0, {0, 100, 0}, false, ""};
    out = PlaceTrainingOrder(r, in);
    EXPECT_FALSE(out.placed);
    EXPECT_FALSE(out.message.empty());
}

TEST(TrainingOrderRules, AnIndexOrdersSingleUnitsAndMinuteBarsKeepTheirTime) {
    CTrainingRecord index = MakeSession(CIndSecuCode(1, "000001"));
    EXPECT_EQ(BuyableHands(index, 10.0, true), 10000);  // 100000 / 10, in units
    TrainingOrderInput in{kOrderBuy, 10.0, 7, 0, {10000, 0, 0}, true, ""};
    EXPECT_EQ(PlaceTrainingOrder(index, in).shares, 7);

    CTrainingRecord minute = MakeSession();
    minute.dataType = 3;
    minute.quoteTime = 202401031035;
    in = {kOrderBuy, 10.0, 1, 0, {100, 0, 0}, false, ""};
    ASSERT_TRUE(PlaceTrainingOrder(minute, in).placed);
    EXPECT_EQ(minute.trades.at(0).TradeDate, 20240103);
    EXPECT_EQ(minute.trades.at(0).TradeTime, 1035);
    EXPECT_EQ(minute.assets.back().date, 20240103u);
}

// --- the dialog itself -----------------------------------------------------------------

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct DialogFixture : ::testing::Test {
    std::vector<std::string> boxes;
    void SetUp() override {
        EnsurePlatform();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxHook(nullptr); }
};

// Runs fn inside the dialog's modal loop once its controls exist.
void WhenShown(CDlgTrainingBS* dlg, std::shared_ptr<bool> running,
               std::function<void(CDlgTrainingBS*)> fn) {
    platform::PostTask([dlg, running, fn] {
        if (!*running) return;
        if (dlg->m_hWnd && dlg->m_pPriceEdit && dlg->m_pHandsEdit && dlg->m_pComment)
            fn(dlg);
        else
            WhenShown(dlg, running, fn);
    });
}

int RunDialog(CDlgTrainingBS& dlg, std::function<void(CDlgTrainingBS*)> fn) {
    auto running = std::make_shared<bool>(true);
    WhenShown(&dlg, running, std::move(fn));
    const int result = int(dlg.DoModal());
    *running = false;
    return result;
}

void Click(CWnd* w) {
    ASSERT_NE(w, nullptr);
    platform::InjectMouse(w, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(w, WM_LBUTTONUP, 5, 5);
}

TEST_F(DialogFixture, TypedOrderWithAFractionAndAReasonIsCarriedOut) {
    CTrainingRecord r = MakeSession();
    CDlgTrainingBS dlg;
    dlg.SetOrder(&r, kOrderBuy, {10, 0, 0});
    std::string price, hands, handsAtTwoThirds, info, comment;
    const int result = RunDialog(dlg, [&](CDlgTrainingBS* d) {
        price = d->m_pPriceEdit->GetWindowText();
        hands = d->m_pHandsEdit->GetWindowText();
        info = d->InfoText();
        comment = d->m_pComment->GetWindowText();
        Click(d->m_pFractionButtons[1]);  // 2/3
        handsAtTwoThirds = d->m_pHandsEdit->GetWindowText();
        d->m_pComment->SetFocus();  // a click focuses, then takes the prompt away
        Click(d->m_pComment.get());
        platform::InjectText("均线金叉", d->m_pComment.get());
        d->m_pHandsEdit->SetWindowText("50");
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_strTitle, "买入");
    EXPECT_EQ(price, "10.000");
    EXPECT_EQ(hands, "10");
    EXPECT_EQ(handsAtTwoThirds, "6");
    EXPECT_EQ(info, "可买数量/手： 10");
    EXPECT_EQ(comment, CDlgTrainingBS::kCommentPrompt);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(r.trades.size(), 1u);
    EXPECT_EQ(r.GetPositionVolume(true), 600);  // 50 typed, 6 allowed
    EXPECT_EQ(r.trades[0].TradeDate, 20240103);
    EXPECT_EQ(r.trades[0].comment, "均线金叉");
}

TEST_F(DialogFixture, PriceOutsideTheBarKeepsTheDialogOpenAndBadTextIsNamed) {
    CTrainingRecord r = MakeSession();
    CDlgTrainingBS dlg;
    dlg.SetOrder(&r, kOrderBuy, {10, 0, 0});
    int boxesAfterHighPrice = -1;
    std::string handsAtNine;
    bool stillOpen = false;
    const int result = RunDialog(dlg, [&](CDlgTrainingBS* d) {
        d->m_pPriceEdit->SetWindowText("10.51");
        Click(d->m_pLayout->GetControl(IDOK).get());
        stillOpen = d->m_hWnd != nullptr;
        boxesAfterHighPrice = int(boxes.size());
        d->m_pPriceEdit->SetWindowText("");    // cleared: not a price
        d->m_pPriceEdit->SetWindowText("20");  // buyable hands follow: 100000 / 20 / 100
        handsAtNine = d->m_pHandsEdit->GetWindowText();
        d->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stillOpen);
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "提示:下单价格不在合理区间内");
    EXPECT_EQ(boxesAfterHighPrice, 1);
    EXPECT_EQ(boxes[1], "提示:请输入合法的下单价格");
    EXPECT_EQ(handsAtNine, "50");
    EXPECT_TRUE(r.trades.empty());
}

TEST_F(DialogFixture, RefusalOfTheRecordIsShownAndTheDialogCloses) {
    CTrainingRecord r = MakeSession();
    CDlgTrainingBS dlg;
    dlg.SetOrder(&r, kOrderSell, {10, 3, 0});
    std::string info, comment;
    const int result = RunDialog(dlg, [&](CDlgTrainingBS* d) {
        info = d->InfoText();
        Click(d->m_pLayout->GetControl(IDOK).get());  // 3 hands to sell, none held
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(info, "可卖数量/手： 3");
    EXPECT_EQ(dlg.InfoColour(), RGB(11, 134, 72));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("提示:", 0), 0u);
    EXPECT_EQ(dlg.m_lastOutcome.shares, 300);
    EXPECT_FALSE(dlg.m_lastOutcome.placed);
    EXPECT_TRUE(r.trades.empty());
}

TEST_F(DialogFixture, CommentLeftAtItsPromptIsStoredEmptyAndLongTextIsCut) {
    CTrainingRecord r = MakeSession();
    CDlgTrainingBS dlg;
    dlg.SetOrder(&r, kOrderBuy, {10, 0, 0});
    std::string cut;
    RunDialog(dlg, [&](CDlgTrainingBS* d) {
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    ASSERT_EQ(r.trades.size(), 1u);
    EXPECT_EQ(r.trades[0].comment, "");

    CDlgTrainingBS second;
    second.SetOrder(&r, kOrderBuy, {10, 0, 0});
    RunDialog(second, [&](CDlgTrainingBS* d) {
        d->m_pComment->SetFocus();
        Click(d->m_pComment.get());
        std::string longText;
        for (int i = 0; i < 60; ++i) longText += "涨";
        d->m_pComment->SetWindowText(longText);
        cut = d->GetComment();
        d->m_pComment->SetWindowText("");  // emptied while typing: stays empty
        EXPECT_EQ(d->m_pComment->m_bShowingPrompt, 0);
        d->m_pPriceEdit->SetFocus();  // leaving it brings the prompt back
        platform::ProcessPendingEvents();
        EXPECT_EQ(d->m_pComment->GetWindowText(), CDlgTrainingBS::kCommentPrompt);
        d->EndDialog(IDCANCEL);
    });
    std::string expected;
    for (int i = 0; i < 50; ++i) expected += "涨";
    EXPECT_EQ(cut, expected);
}

// The look: the panel and its rule, the chosen fraction amber and the others grey, the
// information line in the buy colour.
TEST_F(DialogFixture, LooksRightOnTheDarkSkin) {
    CTrainingRecord r = MakeSession();
    CDlgTrainingBS dlg;
    dlg.SetOrder(&r, kOrderBuy, {10, 0, 0});
    ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.Invalidate();
    dlg.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&dlg, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/order_dialog.png");
    EXPECT_EQ(shot.GetPixel(20, 45), dlg.m_clrBk2);
    EXPECT_EQ(shot.GetPixel(100, 82), RGB(152, 155, 160));
    EXPECT_EQ(shot.GetPixel(27, 91), RGB(255, 190, 0));   // "全部", chosen
    EXPECT_EQ(shot.GetPixel(60, 91), RGB(166, 170, 179));  // "2/3"
    int infoPixels = 0;
    for (int y = 55; y < 70; ++y)
        for (int x = 26; x < 200; ++x) {
            const COLORREF c = shot.GetPixel(x, y);  // the red text, smoothed at its edges
            infoPixels += GetRValue(c) > 80 && GetGValue(c) < 40 && GetBValue(c) < 45;
        }
    EXPECT_GT(infoPixels, 20);
    dlg.DestroyWindow();
}

}  // namespace
