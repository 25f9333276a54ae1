// The stock-code input: matching by code, name and pinyin initials, the candidate order
// and duplicate refusal, the typed-key rules, the list's keys and the hand-over of the
// chosen security; a picture of the candidate list.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "platform/Services.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/CommonVar.h"
#include "ui/input/InputCodeWnd.h"
#include "ui/status/BarStatus.h"

using grid_test::Canvas;
using grid_test::HostWnd;

namespace {

std::vector<std::string> Codes(const CSortArray<CInputResult>& r) {
    std::vector<std::string> out;
    for (const auto& c : r) out.push_back(c.code);
    return out;
}

// A data centre with named securities whose abbreviations come from its pinyin tables.
std::unique_ptr<CDataCenter> MakeCentre(const std::vector<std::tuple<int, std::string, std::string>>& list) {
    auto dc = std::make_unique<CDataCenter>();
    for (const auto& [market, code, name] : list) {
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(market, code));
        s->SetName(name);
        dc->AddSecurity(s);
    }
    dc->BuildPinyinTables();
    dc->BuildAbbreviations();
    return dc;
}

std::unique_ptr<CDataCenter> SampleCentre() {
    return MakeCentre({{1, "600000", "浦发银行"},
                       {2, "000001", "平安银行"},
                       {1, "600036", "招商银行"},
                       {1, "601600", "中国铝业"},
                       {2, "000600", "建投能源"},
                       {1, "600519", "贵州 茅台"},
                       {2, "300600", "瑞特股份"}});
}

TEST(CodeMatch, ByCodeNameAndPinyinInitials) {
    auto dc = SampleCentre();
    std::vector<std::string> abbr = dc->FindSecurity(CIndSecuCode(1, "600000"))->GetAbbreviations();
    EXPECT_NE(std::find(abbr.begin(), abbr.end(), "PFYH"), abbr.end());
    CCodeMatcher m;
    m.Rebuild(*dc);
    CSortArray<CInputResult> r;
    struct Case {
        const char* text;
        std::vector<std::string> codes;
    } cases[] = {
        {"600", {"000600", "300600", "600000", "600036", "600519", "601600"}},  // ordered by code
        {"000001", {"000001"}},
        {"PF", {"600000"}},
        {"PAYH", {"000001"}},
        {"YH", {"000001", "600000", "600036"}},
        {"银行", {"000001", "600000", "600036"}},
        {"贵州茅台", {"600519"}},  // spaces leave the name
        {"ZZZ", {}},
    };
    for (const Case& c : cases) {
        m.Match(c.text, r);
        EXPECT_EQ(Codes(r), c.codes) << c.text;
        for (const auto& cand : r) EXPECT_EQ(cand.kind, 3);
    }
    m.Match("PAYH", r);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].key, "0002000001");
    EXPECT_EQ(r[0].name, "平安银行");
    EXPECT_EQ(r[0].abbreviation, "PAYH");
    m.Match("000001", r);  // digits only: no abbreviation is carried
    EXPECT_EQ(r[0].abbreviation, "");
}

TEST(CodeMatch, NarrowingGivesWhatAFullSearchGives) {
    auto dc = SampleCentre();
    CCodeMatcher narrowed, fresh;
    narrowed.Rebuild(*dc);
    fresh.Rebuild(*dc);
    CSortArray<CInputResult> a, b;
    std::string typed;
    for (char c : std::string("600519")) {
        typed.push_back(c);
        narrowed.Match(typed, a);
        fresh.ForgetLastText();
        fresh.Match(typed, b);
        EXPECT_EQ(Codes(a), Codes(b)) << typed;
    }
    EXPECT_EQ(narrowed.LastScanned(), 1u);  // only the previous hit was looked at
    narrowed.Match("60", a);                // shorter again: the whole table
    EXPECT_EQ(narrowed.LastScanned(), fresh.Entries().size());
}

TEST(CodeMatch, SixKeyOrderAndDuplicates) {
    auto make = [](int rank, int weight, int kind, std::string code, std::string name, std::string key) {
        CInputResult r;
        r.rank = rank;
        r.weight = weight;
        r.kind = kind;
        r.code = std::move(code);
        r.name = std::move(name);
        r.key = std::move(key);
        return r;
    };
    struct Case {
        CInputResult a, b;
        int order;
    } cases[] = {
        {make(2, 20, 3, "9", "z", "z"), make(1, 1, 0, "0", "a", "a"), -1},  // rank descending
        {make(1, 10, 3, "9", "z", "z"), make(1, 20, 0, "0", "a", "a"), -1},  // weight ascending
        {make(1, 20, 0, "9", "z", "z"), make(1, 20, 3, "0", "a", "a"), -1},  // kind ascending
        {make(1, 20, 3, "000001", "z", "z"), make(1, 20, 3, "600000", "a", "a"), -1},
        {make(1, 20, 3, "600000", "A", "z"), make(1, 20, 3, "600000", "a", "a"), -1},  // byte-wise
        {make(1, 20, 3, "600000", "a", "0001600000"), make(1, 20, 3, "600000", "a", "0002600000"), -1},
        {make(1, 20, 3, "600000", "a", "k"), make(1, 20, 3, "600000", "a", "k"), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SortArrayCompare(c.a, c.b), c.order) << c.a.code << c.a.name;
        EXPECT_EQ(SortArrayCompare(c.b, c.a), -c.order) << c.a.code << c.a.name;
    }
    CSortArray<CInputResult> list;
    CInputResult x = make(0, 20, 3, "600000", "浦发银行", "0001600000");
    EXPECT_EQ(list.Insert(x), 0);
    x.abbreviation = "PFYH";  // takes no part: still the same candidate
    EXPECT_EQ(list.Insert(x), -1);
    EXPECT_EQ(list.Insert(make(0, 20, 3, "000001", "平安银行", "0002000001")), 0);
    EXPECT_EQ(list.Insert(make(0, 20, 3, "600036", "招商银行", "0001600036")), 2);
    EXPECT_EQ(list.size(), 3u);
}

TEST(CodeKeys, WhatTypesIntoTheCode) {
    struct Case {
        unsigned vk;
        char ch;
    } keys[] = {{'A', 'A'}, {'Z', 'Z'}, {'0', '0'}, {'9', '9'}, {0x60, '0'}, {0x69, '9'},
                {46, 0},    {47, 0},    {106, 0},   {107, 0},   {110, 0},    {112, 0},
                {122, 0},   {0x20, 0},  {0x0D, 0}};
    for (const Case& k : keys) EXPECT_EQ(CodeCharOfKey(k.vk), k.ch) << k.vk;
    // Typed characters: GBK lead bytes and IME text, sign-extended or not, are refused.
    const char gbk[] = "浦";
    struct Typed {
        unsigned ch;
        bool ok;
    } typed[] = {{'a', true}, {'Z', true}, {'5', true}, {'.', true}, {'/', true}, {' ', false}, {'-', false},
                 {unsigned(static_cast<unsigned char>(gbk[0])), false}, {unsigned(int(gbk[0])), false},
                 {0x6D66, false}, {0, false}};
    for (const Typed& t : typed) EXPECT_EQ(IsCodeInputChar(t.ch), t.ok) << t.ch;
}

struct NotifyWnd : HostWnd {
    NotifyWnd() : HostWnd(10, 10) {}
    int chosen = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == UM_CODE_CHOSEN) ++chosen;
        return HostWnd::WindowProc(msg, wParam, lParam);
    }
};

// An input inside a visible window, searching its own data centre.
struct InputFixture : ::testing::Test {
    HostWnd parent{600, 400};
    NotifyWnd notify;
    std::unique_ptr<CDataCenter> dc;
    InputCodeWnd input;
    std::vector<CInputResult> chosen;
    int posted = 0;

    void SetUp() override {
        dc = MakeCentre(ManySecurities());
        input.SetDataCenter(dc.get());
        input.SetNotifyWnd(&notify);
        input.m_onChosen = [this](const CInputResult& r) { chosen.push_back(r); };
        parent.ShowWindow(SW_SHOW);
        ASSERT_TRUE(input.Create(&parent));
        input.MoveWindow(300, 350, 120, 24);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        if (input.m_hWnd) input.DestroyWindow();
    }
    static std::vector<std::tuple<int, std::string, std::string>> ManySecurities() {
        std::vector<std::tuple<int, std::string, std::string>> v{{1, "600000", "浦发银行"}, {2, "000001", "平安银行"}};
        for (int i = 0; i < 30; ++i) v.push_back({1, "70" + std::to_string(1000 + i), "测试" + std::to_string(i)});
        return v;
    }
    void Type(const std::string& s) {
        for (char c : s) input.AddChar(UINT(static_cast<unsigned char>(c)));
        platform::ProcessPendingEvents();
    }
    CKeyboardWnd& List() { return input.m_list; }
};

TEST_F(InputFixture, TypingListsCandidatesAndTheThirteenthCharacterIsIgnored) {
    EXPECT_EQ(input.GetEditText(), InputCodeWnd::kPrompt);
    Type("pf");
    EXPECT_EQ(input.GetEditText(), "PF");
    EXPECT_TRUE(input.IsListShown());
    ASSERT_EQ(List().m_results.size(), 1u);
    EXPECT_EQ(List().m_grid.m_nSelectedRow, 0);
    EXPECT_EQ(List().m_grid.m_rows.size(), 1u);
    input.Cancel();
    EXPECT_EQ(input.GetEditText(), InputCodeWnd::kPrompt);
    EXPECT_FALSE(input.IsListShown());
    Type("701001701001");
    EXPECT_EQ(input.GetEditText(), "701001701001");
    Type("9");
    EXPECT_EQ(input.GetEditText(), "701001701001");
}

TEST_F(InputFixture, PromptGoesOnTheFirstClickAndComesBack) {
    CKeyBoardEdit& edit = input.m_edit;
    EXPECT_GE(edit.GetDlgCtrlID(), 1000);  // from the shared control-id counter
    EXPECT_EQ(edit.GetDlgCtrlID(), NextControlId() - 1);
    EXPECT_EQ(edit.GetWindowText(), InputCodeWnd::kPrompt);
    EXPECT_EQ(edit.m_bShowingPrompt, 1);
    // The first click into the field takes the prompt away; a later one keeps what is typed.
    edit.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(edit.GetWindowText(), "");
    EXPECT_EQ(edit.m_bShowingPrompt, 0);
    Type("60");
    edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(input.GetEditText(), "60");
    // Cancelling puts the prompt back, and the next click clears it again.
    input.Cancel();
    EXPECT_EQ(edit.GetWindowText(), InputCodeWnd::kPrompt);
    EXPECT_EQ(edit.m_bShowingPrompt, 1);
    edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(edit.GetWindowText(), "");
    // Typing over the prompt replaces it rather than appending to it.
    edit.ShowPrompt();
    Type("pf");
    EXPECT_EQ(input.GetEditText(), "PF");
    EXPECT_EQ(edit.m_bShowingPrompt, 0);
    edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(input.GetEditText(), "PF");
}

TEST_F(InputFixture, BackspaceRefinesAndTheLastOneCancels) {
    Type("600");
    EXPECT_EQ(Codes(List().m_results), std::vector<std::string>{"600000"});
    input.Backspace();
    platform::ProcessPendingEvents();
    EXPECT_EQ(input.GetEditText(), "60");
    input.Backspace();
    input.Backspace();
    EXPECT_EQ(input.GetEditText(), InputCodeWnd::kPrompt);
    EXPECT_FALSE(input.IsListShown());
}

TEST_F(InputFixture, ListKeysMoveSelectionAndPage) {
    Type("70");
    ASSERT_EQ(List().m_grid.m_nRowCount, 30);
    ASSERT_EQ(List().m_grid.m_nPageRows, 9);  // 236 - 18 pixels of frame, 24 a line
    struct Step {
        UINT vk;
        int selected, top;
    } steps[] = {{VK_DOWN, 1, 1}, {VK_DOWN, 2, 2}, {VK_UP, 1, 1},  {VK_NEXT, 10, 10},
                 {VK_NEXT, 19, 19}, {VK_NEXT, 28, 21}, {VK_NEXT, 29, 21}, {VK_PRIOR, 20, 12},
                 {VK_UP, 19, 11}};
    for (const Step& s : steps) {
        EXPECT_TRUE(input.OnListKey(s.vk)) << s.vk;
        EXPECT_EQ(List().m_grid.m_nSelectedRow, s.selected) << s.vk;
        EXPECT_EQ(List().m_grid.m_nTopRow, s.top) << s.vk;
    }
    // Keys that type nothing are left to the focused window.
    for (UINT vk : {46u, 47u, 106u, 112u, 122u}) EXPECT_FALSE(input.OnListKey(vk)) << vk;
    EXPECT_EQ(input.GetEditText(), "70");
    EXPECT_TRUE(input.OnListKey(0x61));  // keypad 1
    EXPECT_EQ(input.GetEditText(), "701");
}

TEST_F(InputFixture, EnterChoosesAndPostsToTheNotifyWindow) {
    Type("payh");
    input.OnListKey(VK_RETURN);
    EXPECT_EQ(input.GetEditText(), "");
    EXPECT_FALSE(input.IsListShown());
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].kind, 3);
    EXPECT_EQ(chosen[0].key, "0002000001");
    EXPECT_EQ(input.GetChosen().code, "000001");
    EXPECT_TRUE(platform::PumpUntil([&] { return notify.chosen == 1; }, 2000));
    // Nothing found: Enter closes and empties but posts nothing.
    Type("QQQ");
    EXPECT_TRUE(List().m_results.empty());
    input.OnListKey(VK_RETURN);
    EXPECT_EQ(input.GetEditText(), "");
    platform::ProcessPendingEvents();
    EXPECT_EQ(chosen.size(), 1u);
    EXPECT_EQ(notify.chosen, 1);
}

TEST_F(InputFixture, KeysForAnotherTextControlCloseTheList) {
    Type("70");
    ASSERT_TRUE(input.IsListShown());
    MSG msg{};
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_DOWN;
    msg.hwnd = input.m_edit.m_hWnd;
    EXPECT_TRUE(input.FilterKey(msg));
    EXPECT_EQ(List().m_grid.m_nSelectedRow, 1);
    msg.hwnd = parent.m_hWnd;  // a pane: the list still takes its keys
    msg.wParam = 'A';
    EXPECT_TRUE(input.FilterKey(msg));
    EXPECT_EQ(input.GetEditText(), "70A");
    msg.message = WM_KEYUP;
    EXPECT_FALSE(input.FilterKey(msg));
    CEdit other;
    ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), &parent, 777));
    msg.message = WM_KEYDOWN;
    msg.hwnd = other.m_hWnd;
    EXPECT_FALSE(input.FilterKey(msg));
    EXPECT_FALSE(input.IsListShown());
    EXPECT_EQ(input.GetEditText(), InputCodeWnd::kPrompt);
}

TEST_F(InputFixture, TypedCharactersOfTheEdit) {
    struct Case {
        UINT ch;
        BOOL eaten;
    } cases[] = {{'p', TRUE}, {'A', TRUE}, {0xC6, TRUE}, {unsigned(-58), TRUE}, {'-', TRUE},
                 {VK_ESCAPE, FALSE}, {VK_RETURN, FALSE}};
    for (const Case& c : cases) {
        MSG msg{};
        msg.hwnd = input.m_edit.m_hWnd;
        msg.message = WM_CHAR;
        msg.wParam = c.ch;
        EXPECT_EQ(input.PreTranslateMessage(&msg), c.eaten) << c.ch;
    }
    platform::ProcessPendingEvents();
    EXPECT_EQ(input.GetEditText(), "PA");  // only the letters went in
}

TEST_F(InputFixture, CandidateListPicture) {
    Type("70");
    input.OnListKey(VK_DOWN);
    CRect rc;
    List().GetClientRect(&rc);
    ASSERT_EQ(rc, CRect(0, 0, 360, 236));
    Canvas canvas(360, 236);
    List().Paint(&canvas.dc);
    canvas.Save("code_input_list.png");
    EXPECT_EQ(canvas.Pixel(0, 0), CKeyboardWnd::kBorder);
    EXPECT_EQ(canvas.Pixel(5, 5), CKeyboardWnd::kBack);
    // The page moved with the selection: the selected row is still the first one shown.
    EXPECT_EQ(canvas.Pixel(15, 12), RGB(93, 109, 132));
    EXPECT_EQ(canvas.Pixel(15, 36), RGB(205, 205, 205));
    int white = 0;
    for (int x = 10; x < 110; ++x)
        for (int y = 9; y < 31; ++y) {
            COLORREF c = canvas.Pixel(x, y);
            white += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
        }
    EXPECT_GT(white, 10);  // the code in the selected row
}

}  // namespace

namespace {

// The input in its status-bar slot, as the frame sets it up.
TEST(CodeInputInStatusBar, ShowsThePromptInTheBarsColours) {
    grid_test::EnsurePlatform();
    GetCommonVar()->Init();
    HostWnd host(1000, 32);
    host.ShowWindow(SW_SHOW);
    CBarStatus bar;
    ASSERT_TRUE(bar.Create(&host));
    bar.MoveWindow(CRect(0, 0, 1000, CBarStatus::kHeight));
    InputCodeWnd input;
    input.m_clrBack = CBarStatus::kInputBack;
    input.m_clrBorder = input.m_clrBorderHot = CBarStatus::kInputBorder;
    input.m_clrText = CBarStatus::kInputText;
    input.m_bBorder = 1;
    ASSERT_TRUE(input.Create(&bar));
    bar.SetCodeInput(&input);
    platform::ProcessPendingEvents();
    CRect rc;
    input.GetWindowRect(&rc);
    bar.ScreenToClient(&rc);
    EXPECT_EQ(rc, CRect(723, 2, 843, 26));
    EXPECT_EQ(input.GetEditText(), InputCodeWnd::kPrompt);
    CBitmap shot;
    platform::CaptureWindow(&bar, shot);
    shot.SavePng("code_input_statusbar.png");
    EXPECT_EQ(shot.GetPixel(rc.right - 3, rc.top + 12), CBarStatus::kInputBack);
    int ink = 0;  // the prompt's text
    for (int x = rc.left; x < rc.right; ++x)
        for (int y = rc.top; y < rc.bottom; ++y) {
            COLORREF c = shot.GetPixel(x, y);
            ink += GetBValue(c) < 150 && GetRValue(c) < 120;
        }
    EXPECT_GT(ink, 20);
    input.DestroyWindow();
    bar.DestroyWindow();
}

}  // namespace
