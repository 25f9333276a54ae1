// The caret: shown over the window without touching its buffer, nesting of hide and show,
// blinking, ownership; and where the input method is told the text goes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/App.h"
#include "platform/Caret.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/Wnd.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

COLORREF OnScreen(CWnd& w, int x, int y) {
    CBitmap shot;
    if (!platform::CaptureWindow(&w, shot)) return CLR_INVALID;
    return shot.GetPixel(x, y);
}

struct CaretFixture : ::testing::Test {
    CWnd w, other;
    void SetUp() override {
        ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 40),
                               nullptr, 0));
        ASSERT_TRUE(other.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        w.UpdateWindow();
        SetCaretBlinkTime(100000);  // no blinking unless a test asks for it
    }
    void TearDown() override {
        DestroyCaret();
        SetCaretBlinkTime(0);
    }
};

TEST_F(CaretFixture, ShownOverTheWindowHiddenAndShownInNestedPairs) {
    ASSERT_TRUE(w.CreateSolidCaret(2, 14));
    EXPECT_EQ(GetCaretOwner(), w.m_hWnd);
    w.SetCaretPos(CPoint(10, 5));
    EXPECT_EQ(OnScreen(w, 10, 10), kWhite);  // a new caret is hidden
    w.ShowCaret();
    EXPECT_EQ(OnScreen(w, 10, 10), kBlack);  // inverts white
    EXPECT_EQ(OnScreen(w, 11, 18), kBlack);
    EXPECT_EQ(OnScreen(w, 12, 10), kWhite);  // two pixels wide
    EXPECT_EQ(OnScreen(w, 10, 19), kWhite);  // fourteen high

    // moved: nothing left behind
    w.SetCaretPos(CPoint(40, 5));
    EXPECT_EQ(OnScreen(w, 10, 10), kWhite);
    EXPECT_EQ(OnScreen(w, 40, 10), kBlack);
    EXPECT_EQ(CWnd::GetCaretPos(), CPoint(40, 5));

    // drawing under it needs no hiding; the buffer never holds the caret
    {
        CClientDC dc(&w);
        dc.FillSolidRect(CRect(30, 0, 60, 40), RGB(255, 0, 0));
        EXPECT_EQ(dc.GetPixel(40, 10), RGB(255, 0, 0));
    }
    w.UpdateWindow();
    EXPECT_EQ(OnScreen(w, 40, 10), RGB(0, 255, 255));  // red inverted
    EXPECT_EQ(OnScreen(w, 50, 10), RGB(255, 0, 0));

    // hiding nests
    EXPECT_TRUE(HideCaret(w.m_hWnd));
    EXPECT_TRUE(HideCaret(nullptr));  // null means the owner
    EXPECT_TRUE(ShowCaret(w.m_hWnd));
    EXPECT_EQ(OnScreen(w, 40, 10), RGB(255, 0, 0));
    EXPECT_TRUE(ShowCaret(w.m_hWnd));
    EXPECT_EQ(OnScreen(w, 40, 10), RGB(0, 255, 255));
    EXPECT_FALSE(ShowCaret(w.m_hWnd));  // shown already: nothing to undo
    // another window cannot show or hide it
    EXPECT_FALSE(HideCaret(other.m_hWnd));
    EXPECT_EQ(OnScreen(w, 40, 10), RGB(0, 255, 255));

    EXPECT_TRUE(DestroyCaret());
    EXPECT_EQ(OnScreen(w, 40, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetCaretOwner(), nullptr);
    EXPECT_FALSE(SetCaretPos(1, 1));
    EXPECT_FALSE(DestroyCaret());
}

TEST_F(CaretFixture, OneCaretInTheApplicationAndItGoesWithItsWindow) {
    ASSERT_TRUE(w.CreateSolidCaret(0, 10));  // width 0: the border width
    w.ShowCaret();
    EXPECT_EQ(OnScreen(w, 0, 5), kBlack);
    EXPECT_EQ(OnScreen(w, 1, 5), kWhite);
    ASSERT_TRUE(other.CreateSolidCaret(3, 3));  // takes it from w
    EXPECT_EQ(GetCaretOwner(), other.m_hWnd);
    EXPECT_EQ(OnScreen(w, 0, 5), kWhite);
    other.DestroyWindow();
    EXPECT_EQ(GetCaretOwner(), nullptr);
    EXPECT_FALSE(CreateCaret(other.m_hWnd, nullptr, 1, 1));
}

TEST_F(CaretFixture, ItBlinksWhileShownAndIsOnRightAfterAMove) {
    ASSERT_TRUE(w.CreateSolidCaret(2, 10));
    w.SetCaretPos(CPoint(20, 5));
    SetCaretBlinkTime(15);
    w.ShowCaret();
    EXPECT_EQ(OnScreen(w, 20, 8), kBlack);
    EXPECT_TRUE(platform::PumpUntil([&] { return OnScreen(w, 20, 8) == kWhite; }, 3000));
    EXPECT_TRUE(platform::PumpUntil([&] { return OnScreen(w, 20, 8) == kBlack; }, 3000));
    SetCaretBlinkTime(100000);
    w.SetCaretPos(CPoint(50, 5));  // on at once after a move
    EXPECT_EQ(OnScreen(w, 50, 8), kBlack);
}

class ImeLog : public CWnd {
public:
    std::vector<std::pair<UINT, LPARAM>> log;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_IME_STARTCOMPOSITION || msg == WM_IME_COMPOSITION ||
            msg == WM_IME_ENDCOMPOSITION)
            log.emplace_back(msg, lp);
        else if (msg == WM_CHAR)
            log.emplace_back(msg, (LPARAM)wp);
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST(InputMethod, CandidatesGoWhereTheCaretOrTheCompositionPointIs) {
    ImeLog w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 60), nullptr,
                           0));
    RECT rc;
    ASSERT_TRUE(GetImeCursorRect(w.m_hWnd, &rc));
    EXPECT_EQ(CRect(rc), CRect(0, 0, 1, 1));  // nothing known: the top left
    ASSERT_TRUE(w.CreateSolidCaret(1, 16));
    w.SetCaretPos(CPoint(37, 12));
    ASSERT_TRUE(GetImeCursorRect(w.m_hWnd, &rc));
    EXPECT_EQ(CRect(rc), CRect(37, 12, 38, 28));

    HIMC imc = ImmGetContext(w.m_hWnd);
    ASSERT_NE(imc, nullptr);
    COMPOSITIONFORM cf{CFS_POINT, {120, 30}, {}};
    EXPECT_TRUE(ImmSetCompositionWindow(imc, &cf));
    ASSERT_TRUE(GetImeCursorRect(w.m_hWnd, &rc));
    EXPECT_EQ(rc.left, 120);
    EXPECT_EQ(rc.top, 30);
    EXPECT_GT(rc.bottom, 30);  // a line high, so the candidates open below
    cf.dwStyle = CFS_DEFAULT;  // back to the caret
    EXPECT_TRUE(ImmSetCompositionWindow(imc, &cf));
    ASSERT_TRUE(GetImeCursorRect(w.m_hWnd, &rc));
    EXPECT_EQ(rc.left, 37);
    ImmReleaseContext(w.m_hWnd, imc);

    // a composition: start, changes, the result as characters, end
    platform::InjectInputMethod("zhong", "", &w);
    platform::InjectInputMethod("zhongguo", "", &w);
    platform::InjectInputMethod("", "中国", &w);
    const std::vector<std::pair<UINT, LPARAM>> expected = {
        {WM_IME_STARTCOMPOSITION, 0},     {WM_IME_COMPOSITION, GCS_COMPSTR},
        {WM_IME_COMPOSITION, GCS_COMPSTR}, {WM_IME_COMPOSITION, GCS_RESULTSTR},
        {WM_CHAR, 0x4E2D},                 {WM_CHAR, 0x56FD},
        {WM_IME_ENDCOMPOSITION, 0}};
    EXPECT_EQ(w.log, expected);
    const HWND gone = w.m_hWnd;
    w.DestroyWindow();
    EXPECT_EQ(ImmGetContext(gone), nullptr);
    EXPECT_FALSE(ImmSetCompositionWindow(imc, &cf));
}
}  // namespace
