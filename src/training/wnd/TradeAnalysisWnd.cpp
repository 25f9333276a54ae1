#include "training/wnd/TradeAnalysisWnd.h"

#include <algorithm>
#include <cstdio>

#include "foundation/CommonColors.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "platform/CommonDialogs.h"
#include "platform/ControlMessages.h"
#include "training/TotalTrainingRecord.h"
#include "training/TradeAnalysis.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeAnalysisCharts.h"
#include "training/wnd/TradeAnyalysisData.h"
#include "training/wnd/TrainingCentre.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/draw/DrawHelpers.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kLabel = RGB(140, 183, 216);
constexpr COLORREF kOrange = RGB(255, 185, 115);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT kLeftLine = DT_LEFT | DT_VCENTER | DT_SINGLELINE;

enum class FontKind { Page, Times16, Times20, Song14 };

struct ItemLook {
    const char* text;
    FontKind font;
    COLORREF colour;
};

const ItemLook kItems[TradeAnalysisWnd::kItemCount] = {
    {"", FontKind::Page, kOrange},
    {"", FontKind::Times20, kOrange},
    {"周期:", FontKind::Song14, kLabel},
    {"", FontKind::Times16, kWhite},
    {"交易天数:", FontKind::Song14, kLabel},
    {"", FontKind::Times16, kWhite},
    {"操作:", FontKind::Song14, kLabel},
    {"", FontKind::Times16, kWhite},
    {"/", FontKind::Times16, kLabel},
    {"", FontKind::Times16, kRed},
    {"", FontKind::Times16, kGreen},
    {"成功率:", FontKind::Song14, kLabel},
    {"", FontKind::Times16, RGB(255, 166, 77)},
    {"最大单次盈利:", FontKind::Song14, kLabel},
    {"", FontKind::Times16, kRed},
    {"最大单次亏损:", FontKind::Song14, kLabel},
    {"", FontKind::Times16, kGreen},
    {"交易K线预览", FontKind::Song14, kLabel},
    {"同期盈亏分析", FontKind::Song14, kLabel},
    {"", FontKind::Times16, kWhite},
};

const char* const kParagraphs[3] = {
    "    工欲善其事，必先利其器！",
    "    我们要在股市中搏杀一条出路，只有让自己成为强者，操盘强者，需要的能力包括“选股”、“选时”、“资金管理”、“资产配置”等综合能力",
    "    我们为了快速扎实的能以魔鬼的速度强化训练，开发出一套简单高效的操盘训练工具。",
};

std::string Printf(const char* format, auto... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// "value (percent%)", a positive pair with plus signs; a zero never carries a minus.
std::string TradeResultText(double value, double percent) {
    if (value > 0) return FormatUnsignedZero(value, 2) + " (+" + FormatUnsignedZero(percent, 2) + "%)";
    return FormatUnsignedZero(value, 2) + " (" + FormatUnsignedZero(percent, 2) + "%)";
}

void DrawStartButtonCallback(CDC* dc, int, MyButton* button) {
    CRect rc;
    button->GetClientRect(&rc);
    dc->FillSolidRect(&rc, RGB(203, 76, 76));
    CBrush frame(RGB(0, 0, 0));
    dc->FrameRect(&rc, &frame);
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong26Bold));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(kWhite);
    dc->DrawText(button->m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

bool HidesWhileRunning(const CTrainingRecord& r, int32_t flag) {
    return flag && r.TrainStatus != kTrainStatusEnded;
}

}  // namespace

TradeAnalysisWnd::TradeAnalysisWnd() {
    SetTypeName("TradeAnalysisWnd");
    m_nContentHeight = kContentHeight;
    m_pageFont.CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "宋体");
    m_paragraphs.assign(std::begin(kParagraphs), std::end(kParagraphs));
    m_pData = std::make_shared<TradeAnyalysisData>(this);
    m_pPreview = std::make_shared<TradeAnalysisOverlay>(this);
    m_pSamePeriod = std::make_shared<SamePeriodAnalysisOverlay>(this);
}

TradeAnalysisWnd::~TradeAnalysisWnd() {
    // The data object calls back into the page: it goes first.
    m_pData.reset();
}

int TradeAnalysisWnd::OnCreate(LPCREATESTRUCT cs) {
    if (ScrollElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    CreateItems();
    CreateButtons();
    UpdateButtons();
    return 0;
}

void TradeAnalysisWnd::CreateItems() {
    CommonVar* common = GetCommonVar();
    m_items.clear();
    for (const ItemLook& look : kItems) {
        auto item = std::make_shared<StaticEx>();
        item->m_strText = look.text;
        switch (look.font) {
            case FontKind::Page: item->m_pFont = &m_pageFont; break;
            case FontKind::Times16: item->m_pFont = common->GetFont(CommonVar::kFontTimes16); break;
            case FontKind::Times20: item->m_pFont = common->GetFont(CommonVar::kFontTimes20); break;
            case FontKind::Song14: item->m_pFont = common->GetFont(CommonVar::kFontSong14); break;
        }
        item->m_nFormat = kLeftLine;
        item->m_clrText = look.colour;
        m_items.push_back(std::move(item));
    }
}

void TradeAnalysisWnd::CreateButtons() {
    const COLORREF active = GetCommonVar()->GetColor(CommonColor::uniMenuBar_Active);
    static const char* const kTexts[3] = {"查看详细", "再来一局", "马上来一局"};
    m_buttons.clear();
    for (int i = 0; i < 3; ++i) {
        auto b = std::make_shared<MyButton>();
        b->m_nType = MyButton::kPush;
        b->m_strText = kTexts[i];
        b->m_nCommandId = kDetailsId + i;
        if (i < 2) {
            b->m_nDrawType = MyButton::kDrawColors;
            b->m_colors = {{RGB(143, 183, 216), RGB(0, 0, 0)}, {active, RGB(0, 0, 0)}, {active, RGB(0, 0, 0)}};
            b->m_bFrame = 1;
            b->m_clrFrame = RGB(0, 0, 0);
        } else {
            b->m_nDrawType = MyButton::kDrawCallback;
            b->m_fnDraw = DrawStartButtonCallback;
        }
        b->Create("", 0, CRect(), this, UINT(kDetailsId + i));
        m_buttons.push_back(std::move(b));
    }
}

// ---------------------------------------------------------------- layout

int TradeAnalysisWnd::TextWidth(CDC* dc, const std::string& text, CFont* font) const {
    CFont* old = dc->SelectObject(font);
    const int width = dc->GetTextExtent(text).cx;
    dc->SelectObject(old);
    return width;
}

void TradeAnalysisWnd::RecalcLayout() {
    ScrollElementWnd::RecalcLayout();
    if (m_hWnd) {
        // The scroll frame around the page mirrors this range.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = m_nContentHeight - 1;
        si.nPage = UINT(std::max(0, m_rcContent.Height()));
        m_nScrollPos = std::clamp(m_nScrollPos, 0, std::max(0, m_nContentHeight - m_rcContent.Height()));
        si.nPos = m_nScrollPos;
        SetScrollInfo(SB_VERT, &si, TRUE);
    }
    LayoutAll();
}

void TradeAnalysisWnd::RepositionControls() {
    LayoutAll();
    if (m_hWnd) InvalidateRect(&m_rcContent, FALSE);
}

void TradeAnalysisWnd::LayoutAll() {
    LayoutItems();
    LayoutButtons();
    LayoutPreview();
    LayoutSamePeriod();
}

void TradeAnalysisWnd::LayoutItems() {
    if (m_items.size() != size_t(kItemCount) || !m_hWnd) return;
    CommonVar* common = GetCommonVar();
    CFont* song14 = common->GetFont(CommonVar::kFontSong14);
    CFont* times16 = common->GetFont(CommonVar::kFontTimes16);
    CClientDC dc(this);
    const int L = m_rcContent.left, T = m_rcContent.top, R = m_rcContent.right, e = m_nScrollPos;
    auto item = [this](int i) -> StaticEx& { return *m_items[size_t(i)]; };
    item(kName).m_rect = CRect(L + 10, T + 14 - e, R, T + 32 - e);
    const int codeLeft = L + 10 + TextWidth(&dc, item(kName).m_strText, &m_pageFont) + 20;
    item(kCode).m_rect = CRect(codeLeft, T + 14 - e, R, T + 32 - e);
    CFont* oldFont = dc.SelectObject(song14);
    const int h = dc.GetTextExtent("将来").cy;
    dc.SelectObject(oldFont);
    auto row = [&](int i, int k, int left) {
        const int top = T + 32 - e + 13 + (h + 13) * k;
        item(i).m_rect = CRect(left, top, R, top + h);
    };
    row(2, 0, L + 10);
    row(kPeriod, 0, L + 10 + TextWidth(&dc, "周期:", song14) + 10);
    row(4, 0, L + 245);
    row(kDays, 0, L + 245 + TextWidth(&dc, "交易天数:", song14) + 10);
    row(6, 1, L + 10);
    const int tradesLeft = L + 10 + TextWidth(&dc, "操作:", song14) + 10;
    row(kTrades, 1, tradesLeft);
    const int slashLeft = tradesLeft + TextWidth(&dc, item(kTrades).m_strText, times16) + 8;
    row(8, 1, slashLeft);
    const int winsLeft = slashLeft + TextWidth(&dc, "/", times16) + 8;
    row(kWins, 1, winsLeft);
    row(kLosses, 1, winsLeft + TextWidth(&dc, item(kWins).m_strText, times16));
    row(11, 1, L + 245);
    row(kSuccessRate, 1, L + 245 + TextWidth(&dc, "成功率:", song14) + 10);
    row(13, 2, L + 10);
    row(kBest, 2, L + 10 + TextWidth(&dc, "最大单次盈利:", song14) + 10);
    row(15, 3, L + 10);
    row(kWorst, 3, L + 10 + TextWidth(&dc, "最大单次亏损:", song14) + 10);
    item(kPreviewTitle).m_rect = CRect(L + 18, T + 154 - e, R, T + 177 - e);
    item(kSamePeriodTitle).m_rect = CRect(L + 18, T + 424 - e, R, T + 446 - e);
    item(kDateRange).m_rect = CRect(R - 142, T + 424 - e, R, T + 446 - e);
}

void TradeAnalysisWnd::LayoutButtons() {
    if (m_buttons.size() != 3) return;
    const int L = m_rcContent.left, T = m_rcContent.top, R = m_rcContent.right, e = m_nScrollPos;
    const CRect places[3] = {CRect(R - 94, T + 155 - e, R - 94 + 90, T + 155 - e + 21),
                             CRect(R - 240, T + 653 - e, R - 240 + 90, T + 653 - e + 25),
                             CRect(L + 104, T + 424 - e, L + 104 + 176, T + 424 - e + 59)};
    for (int i = 0; i < 3; ++i)
        if (m_buttons[size_t(i)]->m_hWnd)
            m_buttons[size_t(i)]->MoveWindow(places[i].left, places[i].top, places[i].Width(), places[i].Height(), TRUE);
}

void TradeAnalysisWnd::LayoutPreview() {
    if (m_items.size() != size_t(kItemCount)) return;
    const int L = m_rcContent.left, R = m_rcContent.right;
    const int top = m_items[kPreviewTitle]->m_rect.bottom;
    const int below = m_items[kSamePeriodTitle]->m_rect.top;
    TradeAnalysisOverlay& p = *m_pPreview;
    p.m_rcArea = CRect(L, top, R, below - 1);
    p.m_rcPlot = CRect(L + 41, top, R, below - 11);
    p.m_axis.m_rcValue = CRect(L, top, L + 40, below - 11);
    p.m_axis.CalcScale();
}

void TradeAnalysisWnd::LayoutSamePeriod() {
    if (m_items.size() != size_t(kItemCount)) return;
    const int L = m_rcContent.left, R = m_rcContent.right, B = m_rcContent.bottom;
    const int top = m_items[kSamePeriodTitle]->m_rect.bottom;
    SamePeriodAnalysisOverlay& s = *m_pSamePeriod;
    s.m_rcArea = CRect(L, top, R, std::max(B, top + 197));
    s.m_rcPlot = CRect(L + 41, top + 20, R, top + 197);
    s.m_axis.m_rcValue = CRect(L, top + 20, L + 40, top + 197);
    s.m_axis.CalcScale();
}

// ---------------------------------------------------------------- data

int TradeAnalysisWnd::SetContextObject(void* object) {
    m_pRecord = static_cast<CTrainingRecord*>(object);
    return 1;
}

void TradeAnalysisWnd::DetachData() {
    m_pData->ReleaseSeries();
}

void TradeAnalysisWnd::AttachData() {
    m_pData->RequestData(m_pRecord);
    FillStatistics();
    UpdateButtons();
}

void TradeAnalysisWnd::OnDataNotify(WPARAM, LPARAM lParam) {
    m_pData->OnDataNotify(int(lParam));
}

void TradeAnalysisWnd::OnSecurityBars() {
    m_pPreview->CalcRange();
    if (m_hWnd) InvalidateRect(&m_pPreview->m_rcArea, TRUE);
}

void TradeAnalysisWnd::OnIndexRatios() {
    m_pSamePeriod->CalcRange();
    if (m_hWnd) {
        InvalidateRect(&m_pSamePeriod->m_rcArea, TRUE);
        UpdateWindow();
    }
}

std::string TradeAnalysisWnd::SecurityLegend() const {
    if (!m_pRecord) return {};
    if (HidesWhileRunning(*m_pRecord, m_pRecord->hideName)) return "--";
    std::string name = m_pRecord->security ? m_pRecord->security->GetName() : m_pRecord->name;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
}

void TradeAnalysisWnd::FillStatistics() {
    if (!m_pRecord || m_items.size() != size_t(kItemCount)) return;
    CTrainingRecord& r = *m_pRecord;
    if (!r.security) r.security = GetDataCenter()->FindSecurity(r.code);
    auto item = [this](int i) -> StaticEx& { return *m_items[size_t(i)]; };
    if (r.security) {
        item(kName).m_strText = SecurityLegend();
        item(kCode).m_strText = HidesWhileRunning(r, r.hideName) ? "" : r.security->GetCode().m_strCode;
    }
    const int b = r.BeginTrainDate, e = r.EndTrainDate;
    // The user hid the dates of a running session: this page keeps them hidden too.
    const bool hideDates = HidesWhileRunning(r, r.hideDate);
    item(kPeriod).m_strText = hideDates ? "--"
                                        : Printf("%d. %d.%d-%d. %d.%d", b / 10000, b / 100 % 100, b % 100,
                                                 e / 10000, e / 100 % 100, e % 100);
    item(kDays).m_strText = Printf("%d", r.TrainDays);
    CloseTradeStats stats;
    r.GetCloseTradeStats(stats);
    // A session without closing trades shows its own zeros, never the last session's.
    item(kTrades).m_strText = Printf("%d笔", stats.count);
    item(kWins).m_strText = Printf("%d盈", stats.winCount);
    item(kLosses).m_strText = Printf("%d亏", stats.lossCount);
    const int judged = stats.winCount + stats.lossCount;
    item(kSuccessRate).m_strText = FormatUnsignedZero(judged > 0 ? stats.winCount * 100.0 / judged : 0, 1) + "%";
    item(kBest).m_strText = TradeResultText(stats.maxGain, stats.maxGainPercent);
    item(kBest).m_clrText = stats.maxGain > 0 ? kRed : kGreen;
    item(kWorst).m_strText = TradeResultText(stats.maxLoss, stats.maxLossPercent);
    item(kWorst).m_clrText = stats.maxLoss > 0 ? kRed : kGreen;
    item(kDateRange).m_strText =
        hideDates ? "--"
                  : Printf("%d.%d.%d-%d.%d.%d", b / 10000, b / 100 % 100, b % 100, e / 10000, e / 100 % 100, e % 100);
    // The name moved the code, the counts moved the slash and the wins.
    LayoutItems();
}

void TradeAnalysisWnd::UpdateButtons() {
    m_bShowing = m_pRecord != nullptr;
    if (m_buttons.size() != 3) return;
    for (int i = 0; i < 3; ++i) {
        MyButton& b = *m_buttons[size_t(i)];
        if (b.m_hWnd) b.ShowWindow((i < 2) == m_bShowing ? SW_SHOW : SW_HIDE);
    }
}

BOOL TradeAnalysisWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id >= kDetailsId && id <= kStartId) {
        OnButtonCommand(id);
        return TRUE;
    }
    return ScrollElementWnd::OnCommand(wParam, lParam);
}

void TradeAnalysisWnd::OnButtonCommand(int id) {
    const auto list = GetDataCenter()->GetTrainingRecords();
    if (id == kDetailsId) {
        if (!m_pRecord || !list) return;
        for (const auto& held : list->records)
            if (held.get() == m_pRecord) OpenTrainingSession(held);
        return;
    }
    // One session runs at a time, whichever record this page shows.
    if (list && list->HasRunningRecord()) {
        ::MessageBox(m_hWnd, kRunningMessage, "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    for (CWnd* w = GetParent(); w; w = w->GetParent()) {
        if (auto* centre = dynamic_cast<AnalysisAndTrainingWnd*>(w)) {
            centre->ShowTrendTrainingTab();
            return;
        }
    }
}

// ---------------------------------------------------------------- painting

const std::string& TradeAnalysisWnd::ItemText(int item) const {
    static const std::string none;
    return item >= 0 && size_t(item) < m_items.size() ? m_items[size_t(item)]->m_strText : none;
}

COLORREF TradeAnalysisWnd::ItemColour(int item) const {
    return item >= 0 && size_t(item) < m_items.size() ? m_items[size_t(item)]->m_clrText : 0;
}

void TradeAnalysisWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CommonVar* common = GetCommonVar();
    const CRect& c = m_rcContent;
    const COLORREF back = common->GetColor(CommonColor::uniBenefitWndBK);
    dc->FillSolidRect(&c, back);
    dc->SetBkMode(TRANSPARENT);
    const int e = m_nScrollPos;
    if (m_bShowing && m_items.size() == size_t(kItemCount)) {
        for (const auto& item : m_items) item->Draw(dc);
        CPen border(PS_SOLID, 1, common->GetColor(CommonColor::uniWnd_Border));
        CPen* old = dc->SelectObject(&border);
        const int y = m_items[kSamePeriodTitle]->m_rect.top;
        dc->MoveTo(c.left, y);
        dc->LineTo(c.right, y);
        dc->SelectObject(old);
        dc->FillSolidRect(&m_pPreview->m_rcArea, back);
        m_pPreview->m_axis.Draw(dc);
        m_pPreview->Draw(dc);
        m_pSamePeriod->Draw(dc);
        return;
    }
    CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong16));
    dc->SetTextColor(kWhite);
    RECT text{c.left + 30, c.top + 30 - e, c.right - 30, c.bottom};
    for (const std::string& paragraph : m_paragraphs) DrawWrappedChars(paragraph, text, dc);
    dc->SelectObject(old);
}
