#include "training/wnd/BackTraceWnd.h"

#include <algorithm>
#include <cstdio>

#include "foundation/CommonColors.h"
#include "marketdata/DataCenter.h"
#include "platform/CommonDialogs.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeDetailWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "ui/draw/DrawHelpers.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kLabel = RGB(140, 183, 216);
constexpr COLORREF kOrange = RGB(255, 185, 115);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT kLeft = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

enum class FontKind { Song14, Times16 };

struct ItemLook {
    const char* text;
    FontKind font;
    UINT format;
    COLORREF colour;
};

const ItemLook kItems[CBackTraceWnd::kItemCount] = {
    {"", FontKind::Times16, kLeft, kOrange},
    {"交易评价：", FontKind::Song14, kLeft, kLabel},
    {"正确", FontKind::Song14, kCentred, RGB(76, 29, 29)},
    {"错误", FontKind::Song14, kCentred, RGB(0, 76, 76)},
    {"交易方向：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Song14, kLeft, kRed},
    {"成交股数：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Times16, kLeft, kWhite},
    {"成交价格：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Times16, kLeft, kWhite},
    {"成交金额：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Times16, kLeft, kWhite},
    {"盈亏：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Times16, kLeft, kRed},
    {"盈亏比：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Times16, kLeft, kRed},
    {"交易评价：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Song14, kLeft, kRed},
    {"交易理由：", FontKind::Song14, kLeft, kLabel},
    {"", FontKind::Song14, kLeft, kOrange},
};

std::string Printf(const char* format, auto... args) {
    char text[96];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

size_t CountChars(const std::string& utf8) {
    return size_t(std::count_if(utf8.begin(), utf8.end(),
                                [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

CBackTraceWnd::CBackTraceWnd() {
    SetTypeName("CBackTraceWnd");
}

CBackTraceWnd::~CBackTraceWnd() = default;

int CBackTraceWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    CreateItems();
    CreateSubmitButton();
    CreateReasonEdit();
    return 0;
}

void CBackTraceWnd::CreateItems() {
    CommonVar* common = GetCommonVar();
    m_items.clear();
    for (const ItemLook& look : kItems) {
        auto item = std::make_shared<StaticEx>();
        item->m_strText = look.text;
        item->m_pFont = common->GetFont(look.font == FontKind::Song14 ? CommonVar::kFontSong14
                                                                      : CommonVar::kFontTimes16);
        item->m_nFormat = look.format;
        item->m_clrText = look.colour;
        m_items.push_back(std::move(item));
    }
}

void CBackTraceWnd::CreateSubmitButton() {
    m_pSubmit = std::make_shared<MyButton>();
    MyButton& b = *m_pSubmit;
    b.m_nType = MyButton::kPush;
    b.m_nDrawType = MyButton::kDrawColors;
    const stBtnColor colour{RGB(126, 162, 191), RGB(0, 0, 0)};
    b.m_colors = {colour, colour, colour};
    b.m_bFrame = 1;
    b.m_clrFrame = RGB(5, 5, 5);
    b.m_bErase = 0;
    b.m_nCommandId = kSubmitId;
    b.m_strText = "提交";
    b.Create("", 0, CRect(), this, kSubmitId);
}

void CBackTraceWnd::CreateReasonEdit() {
    m_pReasonEdit = std::make_shared<CMyEditCtrl>();
    CMyEditCtrl& e = *m_pReasonEdit;
    e.m_clrNormalBorder = e.m_clrHighBorder = e.m_clrDisabledBorder = RGB(0, 0, 0);
    e.m_clrBk = RGB(157, 169, 187);
    e.m_clrText = RGB(0, 0, 0);
    e.m_clrDisabledBk = RGB(128, 128, 128);
    e.m_clrDisabledText = RGB(255, 255, 255);
    e.m_bHasBorder = true;
    e.CreateEdit(this);
    if (e.m_hWnd) e.SetFont(GetCommonVar()->GetFont(CommonVar::kFontSong14), TRUE);
}

void CBackTraceWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    if (m_items.size() != size_t(kItemCount)) return;
    const int L = m_rcContent.left, T = m_rcContent.top, R = m_rcContent.right, B = m_rcContent.bottom;
    auto place = [&](int item, int left, int top, int right, int bottom) {
        m_items[size_t(item)]->m_rect = CRect(L + left, T + top, L + right, T + bottom);
    };
    place(0, 76, 37, 161, 49);
    place(1, 22, 70, 92, 86);
    place(2, 40, 105, 106, 130);
    place(3, 123, 105, 189, 130);
    // Rows of a label and its value, 25 pixels apart from 140 down.
    for (int row = 0; row < 7; ++row) {
        const int d = 140 + 25 * row;
        place(4 + 2 * row, 33, d, 108, d + 16);
        place(5 + 2 * row, 112, d, 182, d + 16);
    }
    place(18, 23, 320, 98, 336);
    place(19, 33, 343, 173, 359);
    m_rcPrev = CRect(L + 21, T + 36, L + 29, T + 50);
    m_rcNext = CRect(L + 208, T + 36, L + 216, T + 50);
    if (m_pReasonEdit && m_pReasonEdit->m_hWnd) m_pReasonEdit->MoveWindow(L + 16, T + 370, 205, 25, TRUE);
    if (m_pSubmit && m_pSubmit->m_hWnd) m_pSubmit->MoveWindow(R - 70, B - 28, 50, 22, TRUE);
}

void CBackTraceWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CommonVar* common = GetCommonVar();
    const CRect& c = m_rcContent;
    dc->FillSolidRect(&c, common->GetColor(CommonColor::uniBenefitWndBK));
    dc->SetBkMode(TRANSPARENT);
    CRect band(c.left + 1, c.top, c.right - 1, c.top + 22);
    if (band.Width() > 0) {
        dc->FillSolidRect(&band, common->GetColor(CommonColor::uniBackGround));
        CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong12));
        dc->SetTextColor(RGB(133, 145, 157));
        dc->DrawText("买卖回溯", &band, kCentred);
        dc->SelectObject(old);
    }
    DrawTriangleLines(dc, kWhite, 3, 6, m_rcPrev);
    DrawTriangleLines(dc, kWhite, 4, 6, m_rcNext);
    if (m_items.size() != size_t(kItemCount)) return;
    CBrush black(RGB(0, 0, 0));
    dc->FillSolidRect(&m_items[2]->m_rect, kRed);
    dc->FrameRect(&m_items[2]->m_rect, &black);
    dc->FillSolidRect(&m_items[3]->m_rect, kGreen);
    dc->FrameRect(&m_items[3]->m_rect, &black);
    for (const auto& item : m_items) item->Draw(dc);
    CPen pen(PS_SOLID, 1, common->GetColor(CommonColor::uniWnd_Border));
    CPen* oldPen = dc->SelectObject(&pen);
    const int y = m_items[18]->m_rect.top - 8;
    DrawDashedLine(dc, 2, 2, c.left, y, c.right, y);
    dc->SelectObject(oldPen);
}

const TradeDetailItem* CBackTraceWnd::CurrentTrade() const {
    if (!m_pRecord || m_nCurrent < 0 || size_t(m_nCurrent) >= m_pRecord->trades.size()) return nullptr;
    return &m_pRecord->trades[size_t(m_nCurrent)];
}

const std::string& CBackTraceWnd::ItemText(int item) const {
    static const std::string none;
    return item >= 0 && size_t(item) < m_items.size() ? m_items[size_t(item)]->m_strText : none;
}

COLORREF CBackTraceWnd::ItemColour(int item) const {
    return item >= 0 && size_t(item) < m_items.size() ? m_items[size_t(item)]->m_clrText : 0;
}

int CBackTraceWnd::ShowRecord(CTrainingRecord* record) {
    if (!record || record->trades.empty()) return 0;
    m_pRecord = record;
    m_nCurrent = int32_t(std::min<size_t>(record->trades.size() - 1, INT32_MAX));
    return ShowCurrentTrade();
}

int CBackTraceWnd::ShowCurrentTrade() {
    const TradeDetailItem* trade = CurrentTrade();
    if (!trade || m_items.size() != size_t(kItemCount)) return 0;
    auto item = [this](int i) -> StaticEx& { return *m_items[size_t(i)]; };
    item(kReason).m_strText = trade->comment;
    const int date = trade->TradeDate;
    if (m_pRecord->TrainStatus != kTrainStatusEnded && m_pRecord->hideDate)
        item(kDate).m_strText = "--";
    else
        item(kDate).m_strText = Printf("%d.%d.%d", date / 10000, date % 10000 / 100, date % 100);
    if ((trade->bsdir == 1 || trade->bsdir == -1) && (trade->opdir == 1 || trade->opdir == -1))
        item(kDirection).m_strText = TradeActionText(*trade);
    item(kDirection).m_clrText = trade->bsdir == 1 ? kRed : kGreen;
    item(kShares).m_strText = Printf("%d", trade->vol);
    item(kPrice).m_strText = Printf("%.02f", trade->TradePrice);
    item(kAmount).m_strText = Printf("%.02f", trade->Turnover);
    if (trade->bsdir == 1) {
        for (int i : {kGainLoss, kGainLossRatio, kVerdict}) item(i).m_strText = "-";
    } else {
        const bool right = trade->praise == 1;
        item(kGainLoss).m_strText = Printf("%.02f", trade->GainLoss);
        item(kGainLossRatio).m_strText = Printf("%.02f%%", trade->GLPercent * 100);
        item(kVerdict).m_strText = right ? "正确" : "错误";
        for (int i : {kGainLoss, kGainLossRatio, kVerdict}) item(i).m_clrText = right ? kRed : kGreen;
    }
    if (!m_hWnd) return 1;
    Invalidate(TRUE);
    UpdateWindow();
    return 1;
}

void CBackTraceWnd::OnElementLButtonUp(UINT, int x, int y) {
    if (!CurrentTrade()) return;
    const int count = int(std::min<size_t>(m_pRecord->trades.size(), INT32_MAX));
    int next = m_nCurrent;
    const CPoint pt(x, y);
    if (m_rcPrev.PtInRect(pt))
        next = std::max(0, m_nCurrent - 1);
    else if (m_rcNext.PtInRect(pt))
        next = std::min(count - 1, m_nCurrent + 1);
    if (next == m_nCurrent) return;
    m_nCurrent = next;
    ShowCurrentTrade();
}

BOOL CBackTraceWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == kSubmitId) {
        OnSubmit();
        return TRUE;
    }
    return CElementWnd::OnCommand(wParam, lParam);
}

void CBackTraceWnd::OnSubmit() {
    TradeDetailItem* trade = const_cast<TradeDetailItem*>(CurrentTrade());
    if (!trade || !m_pReasonEdit || !m_pReasonEdit->m_hWnd) return;
    const std::string text = m_pReasonEdit->GetWindowText();
    // The record file and the journal's tip show the reason whole: a longer one is the
    // user's to shorten, not ours to cut.
    if (CountChars(text) > kMaxReasonChars) {
        ::MessageBox(m_hWnd, kReasonTooLong, "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (m_items.size() == size_t(kItemCount)) {
        m_items[kReason]->m_strText = text;
        InvalidateRect(&m_items[kReason]->m_rect, TRUE);
        UpdateWindow();
    }
    trade->comment = text;
    // A reason typed after the last order would otherwise live only until the next save.
    if (auto list = GetDataCenter()->GetTrainingRecords(); list && !list->Save())
        ::MessageBox(m_hWnd, "训练记录保存失败，交易理由暂未写入文件", "提示", MB_OK | MB_ICONWARNING);
}
