#include "training/wnd/SelStockTraining.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "foundation/CommonColors.h"
#include "foundation/Format.h"
#include "marketdata/net/Report.h"
#include "platform/CommonDialogs.h"
#include "platform/home/ProgramDir.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "ui/draw/DrawHelpers.h"

namespace {

std::function<void(const std::string&)>& LayoutOpener() {
    static std::function<void(const std::string&)> opener;
    return opener;
}

constexpr COLORREF kLabelColour = RGB(140, 183, 216);

struct Label {
    const char* text;
    CRect rect;
};
const Label kLabels[] = {
    {"期数", CRect(42, 264, 84, 290)},
    {"涨幅", CRect(42, 303, 84, 329)},
    {"隐藏日期", CRect(74, 373, 214, 391)},
    {"隐藏股票名称/代码", CRect(74, 413, 214, 431)},
    {"%", CRect(171, 303, 181, 329)},
};

const char* const kIntro[] = {
    "    系统将会随机选出股票组，每组股票中会有一些未来走势比较好的股票，请您对这些股票图形进行分析比较，最后选出您认为最好的个股。",
    "    通过本模块训练，将会培养您形成独特的选股思路，提高你的选股能力。",
};

// A whole number from text that holds only digits and '.', saturating instead of wrapping.
int IntegerPart(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return int(std::clamp(std::floor(value), double(INT_MIN), double(INT_MAX)));
}

void Tell(const char* text) {
    ::MessageBox(nullptr, text, "提示", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

SelStockSettings& GetSelStockSettings() {
    static SelStockSettings settings;
    return settings;
}

void SetTrainingLayoutOpener(std::function<void(const std::string&)> opener) {
    LayoutOpener() = std::move(opener);
}

bool ApplySelStockInput(const std::string& periodsText, const std::string& riseText, bool hideDate,
                        bool hideName, std::string& message) {
    if (periodsText.empty()) message = "期数没有设置!!!";
    else if (riseText.empty()) message = "涨跌幅没有设置!!!";
    // No period would leave a board with nothing to judge: 0 is refused like a bad number.
    else if (!IsNumericText(periodsText) || IntegerPart(periodsText) <= 0) message = "期数输入有误!!!";
    else if (!IsNumericText(riseText)) message = "涨跌幅输入有误!!!";
    else message.clear();
    if (!message.empty()) return false;
    SelStockSettings& s = GetSelStockSettings();
    s.periods = IntegerPart(periodsText);
    // Tenths of a percent: 2.3 must give 23, though 2.3 × 10 is 22.999... in binary.
    const double tenths = std::strtod(riseText.c_str(), nullptr) * 10;
    s.riseTenths = int(std::clamp(std::floor(tenths + 1e-9), double(INT_MIN), double(INT_MAX)));
    s.hideDate = hideDate;
    s.hideName = hideName;
    return true;
}

void DrawStartButton(CDC* dc, const CRect& client, const std::string& text) {
    CBrush frame(RGB(0, 0, 0));
    dc->FrameRect(&client, &frame);
    CRect inside = client;
    inside.DeflateRect(1, 1);
    dc->FillSolidRect(&inside, RGB(203, 76, 76));
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong16));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    dc->DrawText(text, &inside, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

// ---------------------------------------------------------------- the set-up page

namespace {
void DrawStartButtonCallback(CDC* dc, int, MyButton* button) {
    CRect rc;
    button->GetClientRect(&rc);
    DrawStartButton(dc, rc);
}
}  // namespace

SelStockSetWnd::SelStockSetWnd() {
    SetTypeName("SelStockSetWnd");
    m_nContentHeight = kContentHeight;
}

SelStockSetWnd::~SelStockSetWnd() = default;

int SelStockSetWnd::OnCreate(LPCREATESTRUCT cs) {
    if (ScrollElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    for (int i = 0; i < 3; ++i) m_buttons[i] = std::make_unique<MyButton>();
    m_buttons[0]->SetUpImageButton(CRect(45, 372, 61, 388), GetCommonVar()->GetColor(CommonColor::uniBackGround),
                                   kHideDateId, "");
    m_buttons[1]->SetUpImageButton(CRect(45, 413, 61, 429), GetCommonVar()->GetColor(CommonColor::uniBackGround),
                                   kHideNameId, "");
    m_buttons[2]->m_rcPlace = CRect(105, 490, 105 + 175, 490 + 59);
    m_buttons[2]->m_nCommandId = kStartId;
    m_buttons[2]->m_nType = MyButton::kPush;
    m_buttons[2]->m_nDrawType = MyButton::kDrawCallback;
    m_buttons[2]->m_fnDraw = DrawStartButtonCallback;
    m_buttons[2]->m_strText = "开始训练";
    for (auto& b : m_buttons) b->Create(b->m_strText.c_str(), 0, b->m_rcPlace, this, UINT(b->m_nCommandId));
    m_pPeriods = std::make_unique<CMyEditCtrl>();
    m_pRise = std::make_unique<CMyEditCtrl>();
    const CRect places[2] = {CRect(84, 264, 84 + 77, 264 + 26), CRect(84, 303, 84 + 77, 303 + 26)};
    CMyEditCtrl* edits[2] = {m_pPeriods.get(), m_pRise.get()};
    for (int i = 0; i < 2; ++i) {
        CMyEditCtrl& e = *edits[i];
        e.m_rcPlace = places[i];
        e.m_bHasBorder = true;
        e.m_clrBk = RGB(20, 29, 37);
        e.m_clrText = RGB(235, 235, 235);
        e.m_clrNormalBorder = RGB(60, 75, 90);
        e.m_clrHighBorder = RGB(47, 111, 208);
        e.CreateEdit(this);
        e.SetFont(GetCommonVar()->GetFont(CommonVar::kFontSong14), TRUE);
    }
    RepositionControls();
    return 0;
}

void SelStockSetWnd::RecalcLayout() {
    ScrollElementWnd::RecalcLayout();
    RepositionControls();
}

void SelStockSetWnd::RepositionControls() {
    const int dy = -m_nScrollPos;
    for (auto& b : m_buttons)
        if (b && b->m_hWnd)
            b->SetWindowPos(nullptr, b->m_rcPlace.left, b->m_rcPlace.top + dy, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (CMyEditCtrl* e : {m_pPeriods.get(), m_pRise.get()})
        if (e && e->m_hWnd)
            e->SetWindowPos(nullptr, e->m_rcPlace.left, e->m_rcPlace.top + dy, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_hWnd) Invalidate(FALSE);
}

void SelStockSetWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CRect client;
    GetClientRect(&client);
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&client, common->GetColor(CommonColor::uniBackGround));
    const int dy = -m_nScrollPos;
    CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    RECT text{30, 30 + dy, client.right - 30, client.bottom};
    for (const char* paragraph : kIntro) DrawWrappedChars(paragraph, text, dc);
    CPen pen(PS_SOLID, 1, common->GetColor(CommonColor::uniPic_GridLine));
    CPen* oldPen = dc->SelectObject(&pen);
    for (int y : {254, 348, 453}) DrawDashedLine(dc, 2, 2, client.left, y + dy, client.right, y + dy);
    dc->SelectObject(oldPen);
    dc->SetTextColor(kLabelColour);
    for (const Label& l : kLabels) {
        CRect rc = l.rect;
        rc.OffsetRect(0, dy);
        dc->DrawText(l.text, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    dc->SelectObject(old);
}

BOOL SelStockSetWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case kHideDateId:
            m_bHideDate = m_buttons[0]->GetCheck() ? 1 : 0;
            return TRUE;
        case kHideNameId:
            m_bHideName = m_buttons[1]->GetCheck() ? 1 : 0;
            return TRUE;
        case kStartId:
            Start();
            return TRUE;
        default:
            return ScrollElementWnd::OnCommand(wParam, lParam);
    }
}

void SelStockSetWnd::Start() {
    std::string message;
    if (!ApplySelStockInput(m_pPeriods->GetWindowText(), m_pRise->GetWindowText(), m_bHideDate != 0,
                            m_bHideName != 0, message)) {
        Tell(message.c_str());
        return;
    }
    SendUsageAction(2, 1);
    if (LayoutOpener()) LayoutOpener()(platform::GetProgramDir() + "layout/selstocktraining.xlay");
}

// ---------------------------------------------------------------- the result dialog

void CDlgSelStockTip::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
}

std::vector<std::string> CDlgSelStockTip::Lines() const {
    const SelStockSettings& s = GetSelStockSettings();
    char line[512];
    if (m_bPassed) {
        std::snprintf(line, sizeof line, "%s (%s) 在%d天内，最高涨幅为%.02f%%，真棒！", m_strName.c_str(),
                      m_strCode.c_str(), s.periods, m_fRise / 10);
        return {"恭喜您！", line};
    }
    std::snprintf(line, sizeof line, "%s (%s) 在%d天内，最高涨幅未达到%.02f%%，", m_strName.c_str(),
                  m_strCode.c_str(), s.periods, s.riseTenths / 10.0);
    return {"真遗憾！", line, "加油！继续努力呦！"};
}

void CDlgSelStockTip::DrawTitle(CDC* dc) {
    dc->FillSolidRect(CRect(15, 34, 421, 121), m_clrBk2);
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    const std::vector<std::string> lines = Lines();
    const int tops[3] = {50, 76, 102};
    for (size_t i = 0; i < lines.size() && i < 3; ++i) {
        CRect rc(25, tops[i], 421, tops[i] + 16);
        dc->DrawText(lines[i], &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    dc->SelectObject(old);
    CDlgTemplate::DrawTitle(dc);
}
