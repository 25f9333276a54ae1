// The panel's look: its 41 text items, the buttons and edits at their places, the quote
// and account boxes, and the painting. Every position is measured from the content
// rectangle's top minus the scroll position.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "training/TrainingRecord.h"
#include "training/wnd/BackTraceWnd.h"
#include "training/wnd/TradeDetailWnd.h"
#include "training/wnd/TrainingAssistWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "ui/draw/DrawHelpers.h"

namespace {
constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kLabel = RGB(140, 183, 216);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGrey = RGB(136, 146, 158);

template <typename... Args>
std::string Fmt(const char* format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

int ItemFont(int i) {
    switch (i) {
    case 0: return CommonVar::kFontSong26Bold;
    case 1: return CommonVar::kFontTimes30Bold;
    case 2: case 6: case 15: case 16: case 17: case 18: case 20: case 21: case 22: case 26:
    case 27: case 28: case 33: case 38:
        return CommonVar::kFontTimes16;
    case 3: case 4: return CommonVar::kFontTimes20;
    case 5: return CommonVar::kFontSong12;
    case 36: return CommonVar::kFontSong14BoldUnderline;
    default: return CommonVar::kFontSong14;
    }
}

std::string WithoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}
}  // namespace

void CTrainingAssistWnd::CreateItems() {
    static const char* const kLabels[8] = {"今开", "最高", "总量", "换手率",
                                           "行业", "最低", "量比", "流通股"};
    for (int i = 0; i < kItemCount; ++i) {
        m_items[i].font = ItemFont(i);
        m_items[i].colour = kLabel;
    }
    m_items[0].colour = kWhite;
    m_items[1].colour = kYellow;
    m_items[2].colour = kWhite;
    m_items[3].colour = kYellow;
    m_items[4].colour = kWhite;
    m_items[5] = {"当期历史：", ItemFont(5), kGrey, {}};
    m_items[6].colour = kGrey;
    for (int i = 0; i < 8; ++i) m_items[7 + i].text = kLabels[i];
    for (int i = 15; i <= 22; ++i) {
        m_items[i].colour = kWhite;
        m_items[i].text = "--";
    }
    m_items[23].text = "当前资产";
    m_items[24].text = "可用余额";
    m_items[25].text = "账户盈亏";
    m_items[26].colour = m_items[27].colour = kWhite;
    m_items[29].text = "可买数量/手";
    m_items[30].text = "现持有数/手";
    m_items[33] = {"0", ItemFont(33), kWhite, {}};
    m_items[34].colour = kRed;
    m_items[35].colour = kGreen;
    m_items[kEndItem].text = "结束交易";
    m_items[37].text = "冻结资金";
    m_items[38] = {"0", ItemFont(38), kWhite, {}};
    m_items[39].text = "%止损";
    m_items[40].text = "%止盈";
}

CRect CTrainingAssistWnd::SwitchRect() const {
    return m_rcSwitch;
}

int CTrainingAssistWnd::OnCreate(LPCREATESTRUCT cs) {
    if (ScrollElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    static const char* const kCaptions[7] = {"流水", "回溯", "多开", "多平", "空开", "空平", "下一根"};
    static const UINT kIds[7] = {kTabJournal, kTabReview, 102, 103, 104, 105, kNextBar};
    CommonVar* common = GetCommonVar();
    const COLORREF back = common->GetColor(CommonColor::uniBackGround);
    const COLORREF second = common->GetColor(CommonColor::uniSmallTitle);
    for (int i = 0; i < 7; ++i) {
        auto b = std::make_unique<MyButton>();
        b->m_nType = i < 2 ? MyButton::kRadio : MyButton::kPush;
        b->m_bGroup = i == 0;
        b->m_nDrawType = MyButton::kDrawColors;
        b->m_strText = kCaptions[i];
        b->m_nCommandId = int(kIds[i]);
        if (i < 2) {
            b->m_colors = {{back, RGB(133, 145, 157)}, {second, RGB(0, 0, 0)}, {back, RGB(133, 145, 157)}};
        } else if (i == 6) {
            b->m_colors = {{RGB(126, 161, 191), 0}, {RGB(126, 161, 191), 0}, {RGB(126, 161, 191), 0}};
        } else if (i == 2 || i == 4) {
            b->m_colors = {{RGB(255, 96, 96), RGB(76, 29, 29)}, {RGB(255, 96, 96), RGB(76, 29, 29)},
                           {RGB(114, 56, 61), RGB(42, 29, 34)}};
        } else {
            b->m_colors = {{RGB(0, 255, 255), RGB(0, 76, 76)}, {RGB(0, 255, 255), RGB(0, 76, 76)},
                           {RGB(12, 119, 124), RGB(12, 48, 53)}};
        }
        if (i >= 2) {
            b->m_bFrame = 1;
            b->m_clrFrame = RGB(5, 5, 5);
        }
        b->Create(kCaptions[i], 0, CRect(0, 0, 10, 10), this, kIds[i]);
        m_buttons[size_t(i)] = std::move(b);
    }
    if (m_buttons[0]->m_hWnd) m_buttons[0]->SetCheck(1);
    m_pStopLoss = std::make_unique<CMyEditCtrl>();
    m_pStopProfit = std::make_unique<CMyEditCtrl>();
    for (auto* e : {m_pStopLoss.get(), m_pStopProfit.get()}) {
        e->m_nCommandId = int(e == m_pStopLoss.get() ? kStopLossEdit : kStopProfitEdit);
        e->m_bHasBorder = true;
        e->m_clrNormalBorder = RGB(157, 168, 187);
        e->m_clrBk = RGB(128, 128, 128);
        e->m_clrText = kWhite;
        e->m_rcPlace = CRect(0, 0, 50, 22);
        e->CreateEdit(this);
        e->SetFont(common->GetFont(CommonVar::kFontTimes16), TRUE);
    }
    // The review shares the journal's place and waits hidden for its tab.
    m_pReview = std::make_unique<CBackTraceWnd>();
    if (m_pReview->Create(this)) m_pReview->ShowWindow(SW_HIDE);
    m_pJournal = std::make_unique<CTradeDetailWnd>();
    m_pJournal->Create(this);
    m_pJournal->SetRecord(m_pRecord);
    LayoutButtons();
    RepositionControls();
    return 0;
}

void CTrainingAssistWnd::RecalcLayout() {
    ScrollElementWnd::RecalcLayout();
    LayoutButtons();
    RepositionControls();
}

void CTrainingAssistWnd::LayoutButtons() {
    const CRect& c = m_rcContent;
    const int left = c.left;
    const bool canPut = m_pRecord && m_pRecord->CanPut;
    const int top = c.top;  // the scroll offset is applied when the controls move
    CRect client;
    if (m_hWnd) GetClientRect(&client);
    const bool shortClient = client.Height() < kContentHeight;
    const int tabY = shortClient ? top + kContentHeight - 32 : client.bottom - 24;
    m_buttons[0]->m_rcPlace = CRect(left + 5, tabY, left + 60, tabY + 22);
    m_buttons[1]->m_rcPlace = CRect(left + 64, tabY, left + 119, tabY + 22);
    if (canPut) {
        const int xs[4] = {10, 69, 133, 192};
        for (int i = 0; i < 4; ++i)
            m_buttons[size_t(2 + i)]->m_rcPlace =
                CRect(left + xs[i], top + 450, left + xs[i] + 58, top + 478);
        m_buttons[6]->m_rcPlace = CRect(left + 147, top + 490, left + 219, top + 521);
        m_rcSwitch = CRect(left + 218, top + 490, left + 235, top + 521);
    } else {
        m_buttons[2]->m_rcPlace = CRect(left + 10, top + 450, left + 73, top + 478);
        m_buttons[3]->m_rcPlace = CRect(left + 74, top + 450, left + 137, top + 478);
        m_buttons[4]->m_rcPlace = m_buttons[5]->m_rcPlace = CRect();
        m_buttons[6]->m_rcPlace = CRect(left + 142, top + 447, left + 214, top + 478);
        m_rcSwitch = CRect(left + 213, top + 447, left + 230, top + 478);
    }
    if (m_buttons[2]->m_hWnd) {
        m_buttons[2]->SetWindowText(canPut ? "多开" : "买入");
        m_buttons[3]->SetWindowText(canPut ? "多平" : "卖出");
    }
    m_buttons[2]->m_strText = canPut ? "多开" : "买入";
    m_buttons[3]->m_strText = canPut ? "多平" : "卖出";
    m_pStopLoss->m_rcPlace = CRect(left + 20, top + 405, left + 70, top + 427);
    m_pStopProfit->m_rcPlace = CRect(left + 122, top + 405, left + 172, top + 427);
    LayoutItems();
}

void CTrainingAssistWnd::LayoutItems() {
    const CRect& c = m_rcContent;
    const int L = c.left, R = c.right, M = c.left + c.Width() / 2, T = c.top;
    const CRect rects[kItemCount] = {
        {L + 21, T + 14, L + 129, T + 40},   {L + 129, T + 14, R, T + 40},
        {L + 31, T + 49, L + 96, T + 61},    {L + 97, T + 48, L + 161, T + 64},
        {L + 169, T + 48, R, T + 64},        {L + 54, T + 82, L + 112, T + 96},
        {L + 114, T + 82, L + 179, T + 96},  {L + 11, T + 107, L + 41, T + 121},
        {L + 11, T + 129, L + 41, T + 143},  {L + 11, T + 152, L + 41, T + 166},
        {L + 11, T + 174, L + 59, T + 188},  {M + 9, T + 107, M + 39, T + 121},
        {M + 9, T + 129, M + 39, T + 143},   {M + 9, T + 152, M + 39, T + 166},
        {M + 9, T + 174, M + 57, T + 188},   {L + 60, T + 107, L + 110, T + 121},
        {L + 60, T + 129, L + 110, T + 143}, {L + 60, T + 152, L + 110, T + 166},
        {L + 60, T + 174, L + 110, T + 188}, {M + 60, T + 107, M + 110, T + 121},
        {M + 60, T + 129, M + 110, T + 143}, {M + 60, T + 152, M + 110, T + 166},
        {M + 60, T + 174, M + 110, T + 188}, {L + 11, T + 229, L + 71, T + 243},
        {L + 11, T + 273, L + 71, T + 287},  {L + 11, T + 296, L + 71, T + 310},
        {L + 79, T + 229, L + 199, T + 243}, {L + 79, T + 273, L + 199, T + 287},
        {L + 79, T + 296, L + 229, T + 310}, {L + 11, T + 356, L + 109, T + 370},
        {L + 11, T + 380, L + 109, T + 394}, {L + 55, T + 480, L + 135, T + 502},
        {L + 126, T + 480, L + 179, T + 502}, {L + 100, T + 356, L + 200, T + 370},
        {L + 100, T + 380, L + 200, T + 394}, {L + 210, T + 380, L + 310, T + 394},
        {},                                  {L + 11, T + 251, L + 71, T + 265},
        {L + 79, T + 251, L + 199, T + 265}, {L + 75, T + 405, L + 155, T + 427},
        {L + 177, T + 405, L + 257, T + 427}};
    for (int i = 0; i < kItemCount; ++i) m_items[i].rect = rects[i];
    const bool canPut = m_pRecord && m_pRecord->CanPut;
    const CRect& s = m_rcSwitch;
    m_items[kEndItem].rect = canPut ? CRect(s.right - 160, s.top + 12, s.right - 102, s.top + 26)
                                    : CRect(s.right - 72, s.bottom + 17, s.right - 14, s.bottom + 31);
}

void CTrainingAssistWnd::RepositionControls() {
    const int dy = -m_nScrollPos;
    auto place = [dy](CWnd* w, const CRect& rc) {
        if (w && w->m_hWnd)
            w->SetWindowPos(nullptr, rc.left, rc.top + dy, rc.Width(), rc.Height(),
                            SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (auto& b : m_buttons)
        if (b) {
            place(b.get(), b->m_rcPlace);
            if (b->m_hWnd) b->ShowWindow(b->m_rcPlace.IsRectEmpty() ? SW_HIDE : SW_SHOW);
        }
    if (m_pStopLoss) place(m_pStopLoss.get(), m_pStopLoss->m_rcPlace);
    if (m_pStopProfit) place(m_pStopProfit.get(), m_pStopProfit->m_rcPlace);
    if (m_pJournal && m_pJournal->m_hWnd) {
        CRect client;
        GetClientRect(&client);
        const CRect& c = m_rcContent;
        const int bottom = client.Height() < kContentHeight ? c.top + kContentHeight - 39
                                                            : client.bottom - 28;
        const CRect tab(c.left, c.top + 550, c.right, std::max(bottom, c.top + 551));
        place(m_pJournal.get(), tab);
        place(m_pReview.get(), tab);
    }
    if (m_hWnd) Invalidate(FALSE);
}

// ---------------------------------------------------------------------------------------
// Boxes

void CTrainingAssistWnd::UpdateQuoteBox() {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    if (!r.security) r.security = GetDataCenter()->FindSecurity(r.code);
    if (!r.security) return;
    // Indices are quoted to the tenth of a fen, stocks to the fen.
    const char* price = IsIndexSecurity(r.code) ? "%.03f" : "%.02f";
    const bool ended = r.TrainStatus == kTrainStatusEnded;
    SetItem(0, r.hideName && !ended ? "--" : WithoutSpaces(r.security->GetName()));
    SetItem(1, Fmt(price, r.price));
    SetItem(2, r.hideName ? "--" : r.code.m_strCode);
    const double change = r.price - r.preclose;
    const double percent =
        std::fabs(r.preclose) <= 0.00001 ? 0 : (r.price / r.preclose - 1) * 100;
    SetItem(4, Fmt(change > 0 ? "+%.02f" : "%.02f", change));
    SetItem(3, Fmt(percent > 0 ? "+%.02f%%" : "%.02f%%", percent));
    const int64_t date = r.dataType == 4 ? r.quoteTime : r.quoteTime / 10000;
    SetItem(6, r.hideDate ? "--"
                          : Fmt("%d-%02d-%02d", int(date / 10000), int(date / 100 % 100),
                                int(date % 100)));
    const double values[3] = {r.open, r.high, r.low};
    const int slots[3] = {15, 16, 20};
    for (int k = 0; k < 3; ++k)
        SetItem(slots[k], Fmt(price, values[k]), values[k] > r.preclose ? kRed : kGreen);
    SetItem(17, VolumeText(r.volume));
}

// The bar's volume in whole shares while that fits its place beside "成交量"; a larger one
// (a big bank trades tens of millions a day) is given in 万 or 亿 instead of losing its last
// digits off the box's edge. Counted in 64 bits: a day over 2^31 shares stays positive.
std::string CTrainingAssistWnd::VolumeText(double volume) {
    const double v = std::isfinite(volume) && volume > 0 ? std::min(std::trunc(volume), 9.0e18) : 0;
    std::string whole = Fmt("%lld", static_cast<long long>(v));
    const TextItem& item = m_items[17];
    if (!m_hWnd || item.rect.IsRectEmpty()) return whole;
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GetCommonVar()->GetFont(item.font));
    std::vector<std::string> choices{std::move(whole)};
    if (v < 1e8) {
        choices.push_back(Fmt("%.1f万", v / 1e4));
        choices.push_back(Fmt("%.0f万", v / 1e4));
    }
    choices.push_back(Fmt("%.2f亿", v / 1e8));
    choices.push_back(Fmt("%.1f亿", v / 1e8));
    choices.push_back(Fmt("%.0f亿", v / 1e8));
    std::string text = choices.back();
    for (std::string& choice : choices) {
        if (dc.GetTextExtent(choice).cx <= item.rect.Width()) {
            text = std::move(choice);
            break;
        }
    }
    dc.SelectObject(old);
    return text;
}

void CTrainingAssistWnd::UpdateAccountBox() {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    const double asset = CurrentAsset();
    SetItem(26, Fmt("%.02f", asset));
    SetItem(27, Fmt("%.02f", r.leftCapital));
    SetItem(38, Fmt("%.02f", r.FrozenCapital));
    const double p = asset - r.InitCapital;
    const double percent = r.InitCapital != 0 ? p / r.InitCapital * 100 : 0;
    SetItem(28, Fmt(p > 0 ? "%.02f  (+%.02f%%)" : "%.02f  (%.02f%%)", p, percent),
            p > 0 ? kRed : kGreen);
    const int32_t unit = HandUnit();
    SetItem(33, Fmt("%d", OrderMaxima().buyable));
    if (r.CanPut) {
        SetItem(34, Fmt("多单%d", r.GetPositionVolume(true) / unit), kRed);
        SetItem(35, Fmt("空单%d", r.GetPositionVolume(false) / unit));
    } else {
        SetItem(34, Fmt("%d", r.GetPositionVolume(true) / unit), kWhite);
        SetItem(35, std::string());
    }
    if (m_hWnd) UpdateWindow();
}

void CTrainingAssistWnd::UpdateButtons() {
    if (!m_pRecord) return;
    CTrainingRecord& r = *m_pRecord;
    auto enable = [](MyButton* b, bool on) {
        if (b && b->m_hWnd) b->EnableWindow(on ? TRUE : FALSE);
    };
    enable(m_buttons[2].get(), true);
    enable(m_buttons[3].get(), r.GetPositionVolume(true) > 0);
    enable(m_buttons[4].get(), r.CanPut != 0);
    enable(m_buttons[5].get(), r.CanPut && r.GetPositionVolume(false) != 0);
    SetItem(kEndItem, r.TrainStatus == kTrainStatusEnded && r.EndTrainDate != r.EndDate ? "继续交易"
                                                                                        : "结束交易");
    m_bFilling = true;
    for (bool profit : {true, false})
        if (CMyEditCtrl* e = StopEdit(profit); e && e->m_hWnd)
            e->SetWindowText(Fmt("%.01f", (profit ? r.zy : r.zs) * 100));
    m_bFilling = false;
}

// ---------------------------------------------------------------------------------------
// Painting and mouse

void CTrainingAssistWnd::SetItem(int i, std::string text, COLORREF colour) {
    TextItem& item = m_items[size_t(i)];
    if (item.text == text && item.colour == colour) return;
    item.text = std::move(text);
    item.colour = colour;
    InvalidateContent(item.rect);
}

void CTrainingAssistWnd::InvalidateContent(const CRect& rc) {
    if (!m_hWnd || rc.IsRectEmpty()) return;
    CRect shown = rc;
    shown.OffsetRect(0, -m_nScrollPos);
    CRgn part;
    part.CreateRectRgnIndirect(&shown);
    if (m_dirty.IsNull())
        m_dirty.CopyRgn(&part);
    else
        m_dirty.CombineRgn(&m_dirty, &part, RGN_OR);
    InvalidateRect(&shown, FALSE);
}

void CTrainingAssistWnd::RepaintAll() {
    if (!m_hWnd) return;
    Invalidate(FALSE);
    UpdateWindow();
}

void CTrainingAssistWnd::RepaintPanel() {
    // Everything a bar changes was marked when it changed: a step repaints those items,
    // not the panel.
    if (m_hWnd) UpdateWindow();
}

LRESULT CTrainingAssistWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return ScrollElementWnd::WindowProc(msg, wParam, lParam);
    // The parts this panel marked are painted alone while nothing else asked for more; a
    // resize, a scroll or anyone else's invalidation reaches beyond them and paints the
    // whole pending rectangle.
    CRect update;
    GetUpdateRect(&update, FALSE);
    CRect marked;
    const bool onlyMarked = !m_dirty.IsNull() && m_dirty.GetRgnBox(&marked) != NULLREGION &&
                            update.left >= marked.left && update.top >= marked.top &&
                            update.right <= marked.right && update.bottom <= marked.bottom;
    if (onlyMarked)
        m_painting.CopyRgn(&m_dirty);
    else
        m_painting.CreateRectRgnIndirect(&update);
    m_dirty.DeleteObject();
    const LRESULT result = ScrollElementWnd::WindowProc(msg, wParam, lParam);
    m_painting.DeleteObject();
    return result;
}

void CTrainingAssistWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    // Within a paint only the part being painted is drawn; the memory DC keeps the rest
    // from the paints before.
    const bool clipped = !m_painting.IsNull();
    if (clipped) dc->SelectClipRgn(&m_painting);
    auto visible = [&](const CRect& rc) { return !clipped || m_painting.RectInRegion(&rc); };
    CRect client;
    GetClientRect(&client);
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&client, common->GetColor(CommonColor::uniBackGround));
    const int dy = -m_nScrollPos;
    const CRect& c = m_rcContent;
    const int T = c.top + dy;
    CPen pen(PS_SOLID, 1, common->GetColor(CommonColor::uniPic_GridLine));
    CPen* oldPen = dc->SelectObject(&pen);
    const int lineY = client.Height() < kContentHeight ? T + kContentHeight - 34 : client.bottom - 26;
    dc->MoveTo(c.left, lineY);
    dc->LineTo(c.right, lineY);
    dc->MoveTo(c.left, T + 99);
    dc->LineTo(c.right, T + 99);
    const int mid = c.left + c.Width() / 2;
    dc->MoveTo(mid, T + 99);
    dc->LineTo(mid, T + 196);
    dc->SelectObject(oldPen);
    dc->FillSolidRect(CRect(c.left + 1, T + 1, c.right - 1, T + 74), RGB(137, 41, 39));
    dc->SetBkMode(TRANSPARENT);
    CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong12));
    const struct {
        const char* text;
        int top;
    } captions[2] = {{"资金", 197}, {"操盘（模拟下单）", 324}};
    for (const auto& caption : captions) {
        CRect band(c.left, T + caption.top, c.right, T + caption.top + 22);
        if (!visible(band)) continue;
        dc->FillSolidRect(&band, common->GetColor(CommonColor::uniTitle));
        dc->SetTextColor(RGB(133, 145, 157));
        dc->DrawText(caption.text, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    for (const TextItem& item : m_items) {
        if (item.text.empty()) continue;
        CRect rc = item.rect;
        rc.OffsetRect(0, dy);
        // The text is clipped to its rectangle: an item outside the painted part leaves it
        // as it was.
        if (!visible(rc)) continue;
        dc->SelectObject(common->GetFont(item.font));
        dc->SetTextColor(item.colour);
        dc->DrawText(item.text, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    dc->SelectObject(old);
    CRect s = m_rcSwitch;
    s.OffsetRect(0, dy);
    if (visible(s)) DrawSwitch(dc);
    if (clipped) dc->SelectClipRgn(nullptr);
}

void CTrainingAssistWnd::DrawSwitch(CDC* dc) {
    CRect s = m_rcSwitch;
    s.OffsetRect(0, -m_nScrollPos);
    dc->FillSolidRect(&s, RGB(128, 164, 193));
    CBrush frame(RGB(5, 5, 5));
    dc->FrameRect(&s, &frame);
    if (m_bPlaying) {
        const int top = s.top + (s.Height() - 10) / 2;
        dc->FillSolidRect(CRect(s.left + 6, top, s.left + 8, top + 10), RGB(5, 5, 5));
        dc->FillSolidRect(CRect(s.left + 10, top, s.left + 12, top + 10), RGB(5, 5, 5));
    } else {
        DrawTriangleLines(dc, RGB(20, 29, 38), 4, 6, s);
    }
}

void CTrainingAssistWnd::OnElementLButtonUp(UINT, int x, int y) {
    const CPoint pt(x, y + m_nScrollPos);
    if (m_rcSwitch.PtInRect(pt)) {
        ToggleAutoPlay();
    } else if (m_items[kEndItem].rect.PtInRect(pt)) {
        EndOrResume();
    }
}

int CTrainingAssistWnd::OnElementMouseWheel(UINT flags, int delta, int x, int y) {
    if (m_pJournal && m_pJournal->m_hWnd && m_pJournal->IsWindowVisible())
        return m_pJournal->OnElementMouseWheel(flags, delta, x, y);
    return 0;
}
