#include "training/wnd/TrendTrainingSetWnd.h"

#include <algorithm>
#include <cstdio>

#include "foundation/Buffer.h"
#include "foundation/CommonColors.h"
#include "foundation/Format.h"
#include "foundation/IndSecuCode.h"
#include "foundation/ParseError.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/RequestChannel.h"
#include "marketdata/Security.h"
#include "marketdata/net/LoginSession.h"
#include "marketdata/net/Report.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "protocol/Bodies.h"
#include "protocol/DataHead.h"
#include "protocol/Wire.h"
#include "training/TotalTrainingRecord.h"
#include "training/wnd/SelStockTraining.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/DateTimeCtrl.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/dialog/SkinControls.h"
#include "ui/draw/DrawHelpers.h"
#include "ui/input/InputCodeWnd.h"

namespace {

constexpr COLORREF kLabelBlue = RGB(143, 183, 216);
constexpr COLORREF kLabelGrey = RGB(133, 145, 157);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct LabelSpec {
    const char* text;
    CRect rect;  // fixed places; the first row's are computed from the text widths
    COLORREF colour;
};
const LabelSpec kLabelSpecs[TrendTrainingSetWnd::kLabels] = {
    {"初始资金", CRect(12, 27, 92, 47), kLabelBlue},
    {"1000000", CRect(0, 27, 70, 47), kWhite},
    {"元", CRect(0, 27, 20, 47), kLabelBlue},
    {"费率", CRect(0, 27, 40, 47), kLabelBlue},
    {"3", CRect(0, 27, 13, 47), kWhite},
    {"设置", CRect(-40, 26, -15, 42), kLabelBlue},  // from the right edge
    {"随机日期", CRect(42, 70, 112, 90), kLabelBlue},
    {"指定日期", CRect(42, 108, 107, 128), kLabelBlue},
    {"--", CRect(216, 108, 224, 128), kLabelBlue},
    {"训练天数", CRect(42, 149, 107, 169), kLabelBlue},
    {"天", CRect(209, 149, 229, 169), kLabelBlue},
    {"数据支持", CRect(42, 192, 111, 208), kLabelGrey},
    {"--", CRect(115, 192, 273, 208), kLabelGrey},
    {"随机股票", CRect(43, 236, 113, 256), kLabelBlue},
    {"指定股票", CRect(43, 270, 113, 290), kLabelBlue},
    {"隐藏日期", CRect(73, 339, 213, 357), kLabelBlue},
    {"隐藏股票名称/代码", CRect(73, 379, 213, 397), kLabelBlue},
    {"允许T+0", CRect(73, 419, 213, 437), kLabelBlue},
    {"允许卖空", CRect(73, 459, 213, 477), kLabelBlue},
};

CFont* LabelFont(int index) {
    CommonVar* common = GetCommonVar();
    switch (index) {
        case 1:
        case 4:
        case 12:
            return common->GetFont(CommonVar::kFontSong14Bold);
        case 5:
            return common->GetFont(CommonVar::kFontSong12Underline);
        case 11:
            return common->GetFont(CommonVar::kFontSong12);
        default:
            return common->GetFont(CommonVar::kFontSong14);
    }
}

void DrawStartCallback(CDC* dc, int, MyButton* button) {
    CRect rc;
    button->GetClientRect(&rc);
    DrawStartButton(dc, rc);
}

CalDate ToCalDate(uint32_t yyyymmdd) {
    return CalDate{int(yyyymmdd / 10000), int(yyyymmdd / 100 % 100), int(yyyymmdd % 100)};
}

bool SameCode(const CSecurity* a, const wire::SecurityRef& b) {
    return a && uint32_t(a->GetCode().m_nMarket) == b.market &&
           CompareSecuCode(a->GetCode(), CIndSecuCode(int32_t(b.market), b.code)) == 0;
}

bool CodeInRecords(const CSecurity& security) {
    auto list = GetDataCenter()->GetTrainingRecords();
    if (!list) return false;
    const CIndSecuCode& code = security.GetCode();
    for (const auto& r : list->records)
        if (r && CompareSecuCode(CIndSecuCode(0, r->code.m_strCode), CIndSecuCode(0, code.m_strCode)) == 0)
            return true;
    return false;
}

std::string RemoveBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

}  // namespace

TrendTrainingSetWnd::TrendTrainingSetWnd() : m_pSelf(std::make_shared<TrendTrainingSetWnd*>(this)) {
    SetTypeName("TrendTrainingSetWnd");
    m_nContentHeight = kContentHeight;
}

TrendTrainingSetWnd::~TrendTrainingSetWnd() {
    if (CRequestChannel* channel = GetRequestChannel()) channel->CancelPending(OwnerTag(this));
    *m_pSelf = nullptr;
}

// ---------------------------------------------------------------- creation and layout

int TrendTrainingSetWnd::OnCreate(LPCREATESTRUCT cs) {
    if (ScrollElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    CreateButtons();
    for (auto& field : m_dates) {
        field = std::make_unique<CPBQOwnerDrawDateTimeCtrl>();
        field->Create(WS_VISIBLE, CRect(0, 0, 100, 20), this, kDateFieldId);
        field->Enable(false);
    }
    CreateLabels();
    m_pDays = std::make_unique<CMyEditCtrl>();
    CMyEditCtrl& e = *m_pDays;
    e.m_nCommandId = kDaysEditId;
    e.m_rcPlace = CRect(115, 149, 115 + 82, 149 + 22);
    e.m_bHasBorder = true;
    e.m_clrBk = RGB(20, 29, 37);
    e.m_clrText = RGB(235, 235, 235);
    e.m_clrNormalBorder = RGB(60, 75, 90);
    e.m_clrHighBorder = RGB(47, 111, 208);
    e.m_clrDisabledBorder = RGB(50, 58, 66);
    e.m_clrDisabledBk = RGB(38, 45, 52);
    e.m_clrDisabledText = RGB(120, 120, 120);
    e.CreateEdit(this);
    e.SetFont(GetCommonVar()->GetFont(CommonVar::kFontSong14), TRUE);
    e.EnableWindow(FALSE);
    m_pCode = std::make_shared<InputCodeWnd>();
    m_pCode->m_clrBack = RGB(20, 29, 37);
    m_pCode->m_clrBorder = RGB(60, 75, 90);
    m_pCode->m_clrBorderHot = RGB(47, 111, 208);
    m_pCode->m_clrText = RGB(235, 235, 235);
    m_pCode->m_clrDisabledBack = RGB(38, 45, 52);
    m_pCode->m_clrDisabledText = RGB(120, 120, 120);
    m_pCode->m_bBorder = 1;
    m_pCode->SetNotifyWnd(this);
    if (m_pCode->Create(this) && m_pCode->m_edit.m_hWnd) m_pCode->m_edit.EnableWindow(FALSE);
    m_fontSymbol.CreateFont(-16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Lucida Sans Unicode");
    RepositionControls();
    return 0;
}

void TrendTrainingSetWnd::CreateButtons() {
    const COLORREF bk = GetCommonVar()->GetColor(CommonColor::uniBackGround);
    for (int i = 0; i < kButtons; ++i) {
        auto b = std::make_shared<MyButton>();
        const int id = kRandomDateId + i;
        if (id <= kChosenSecurityId) {
            b->m_nType = MyButton::kRadio;
            b->m_nDrawType = MyButton::kDrawImage;
            b->LoadImageStrip(224);
            b->m_bErase = 1;
            b->m_clrErase = bk;
            b->m_nCommandId = id;
            b->m_bGroup = id == kRandomDateId || id == kRandomSecurityId;
            b->m_rcPlace = CRect(0, 0, 16, 16);
        } else if (id < kStartId) {
            b->SetUpImageButton(CRect(0, 0, 16, 16), bk, id, "");
            b->m_bGroup = id == kHideDateId;  // ends the security radios' group
        } else {
            b->m_nType = MyButton::kPush;
            b->m_nDrawType = MyButton::kDrawCallback;
            b->m_fnDraw = DrawStartCallback;
            b->m_nCommandId = id;
            b->m_strText = "开始训练";
            b->m_rcPlace = CRect(109, 543, 109 + 176, 543 + 59);
        }
        b->m_nWidth = b->m_rcPlace.Width();
        b->m_nHeight = b->m_rcPlace.Height();
        b->Create(b->m_strText.c_str(), 0, b->m_rcPlace, this, UINT(id));
        m_buttons[size_t(i)] = b;
    }
    m_buttons[0]->SetCheck(1);
    m_buttons[2]->SetCheck(1);
    EnableStart(false);
}

void TrendTrainingSetWnd::CreateLabels() {
    for (int i = 0; i < kLabels; ++i) {
        auto l = std::make_shared<StaticEx>();
        l->m_strText = kLabelSpecs[i].text;
        l->m_clrText = kLabelSpecs[i].colour;
        l->m_pFont = LabelFont(i);
        l->m_nFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
        m_labels[size_t(i)] = l;
    }
}

void TrendTrainingSetWnd::LayoutLabels() {
    if (!m_labels[0]) return;
    const int dy = -m_nScrollPos;
    CRect client;
    GetClientRect(&client);
    CClientDC dc(this);
    auto width = [&](int i) {
        CFont* old = dc.SelectObject(m_labels[size_t(i)]->m_pFont);
        const int w = dc.GetTextExtent(m_labels[size_t(i)]->m_strText).cx;
        dc.SelectObject(old);
        return w;
    };
    for (int i = 0; i < kLabels; ++i) {
        CRect rc = kLabelSpecs[i].rect;
        if (i >= 1 && i <= 4) {
            const CRect& before = m_labels[size_t(i - 1)]->m_rect;
            static const int gaps[5] = {0, 13, 8, 33, 12};
            const int left = before.left + width(i - 1) + gaps[i];
            rc = CRect(left, 27 + dy, left + kLabelSpecs[i].rect.Width(), 47 + dy);
        } else if (i == 5) {
            rc = CRect(client.right - 40, 26 + dy, client.right - 15, 42 + dy);
        } else {
            rc.OffsetRect(0, dy);
        }
        m_labels[size_t(i)]->m_rect = rc;
    }
}

void TrendTrainingSetWnd::MoveControls() {
    const int dy = -m_nScrollPos;
    auto place = [](CWnd* w, int x, int y, int cx, int cy) {
        if (w && w->m_hWnd) w->SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int buttonRows[8] = {6, 7, 13, 14, 15, 16, 17, 18};
    for (int i = 0; i < 8; ++i) {
        const int x = i < 4 ? 14 : 44;
        place(m_buttons[size_t(i)].get(), x, m_labels[size_t(buttonRows[i])]->m_rect.top + 2, 16, 16);
    }
    place(m_buttons[8].get(), 109, 543 + dy, 176, 59);
    place(m_pDays.get(), 115, m_labels[10]->m_rect.top, 82, 22);
    const CRect& row = m_labels[7]->m_rect;
    place(m_dates[0].get(), 115, row.top, 100, row.Height());
    place(m_dates[1].get(), 228, row.top, 100, row.Height());
    place(m_pCode.get(), 115, m_labels[14]->m_rect.top, 132, 22);
}

void TrendTrainingSetWnd::RecalcLayout() {
    ScrollElementWnd::RecalcLayout();
    if (!m_hWnd || !m_labels[0]) return;
    LayoutLabels();
    MoveControls();
}

void TrendTrainingSetWnd::RepositionControls() {
    if (!m_hWnd || !m_labels[0]) return;
    LayoutLabels();
    MoveControls();
    Invalidate(FALSE);
}

// ---------------------------------------------------------------- drawing

std::string TrendTrainingSetWnd::SupportRangeText() const {
    // Dates mode shows the range; days mode (and an unknown range) shows "--".
    return m_nPeriodMode == 0 ? FormatSupportRange(m_range) : std::string("--");
}

void TrendTrainingSetWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CRect client;
    GetClientRect(&client);
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&client, common->GetColor(CommonColor::uniBackGround));
    const int dy = -m_nScrollPos;
    CPen pen(PS_SOLID, 1, common->GetColor(CommonColor::uniPic_GridLine));
    CPen* oldPen = dc->SelectObject(&pen);
    dc->MoveTo(client.left, 57 + dy);
    dc->LineTo(client.right, 57 + dy);
    for (int y : {221, 315}) DrawDashedLine(dc, 2, 2, client.left, y + dy, client.right, y + dy);
    dc->SelectObject(oldPen);
    dc->SetBkMode(TRANSPARENT);
    m_labels[12]->m_strText = SupportRangeText();
    for (const auto& l : m_labels) l->Draw(dc);
    CFont* old = dc->SelectObject(&m_fontSymbol);
    dc->SetTextColor(RGB(140, 183, 216));
    CRect symbol(255, 27 + dy, 275, 47 + dy);
    dc->DrawText("‱", &symbol, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void TrendTrainingSetWnd::RepaintLabel(int index) {
    if (index == 12) m_labels[12]->m_strText = SupportRangeText();
    if (!m_hWnd) return;
    CRect rc = m_labels[size_t(index)]->m_rect;
    rc.InflateRect(2, 2);
    InvalidateRect(&rc, FALSE);
}

// ---------------------------------------------------------------- commands

BOOL TrendTrainingSetWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    // The days edit shares id 100 with the first radio button; only the edit names itself.
    if (id == kDaysEditId && lParam && m_pDays && (HWND)lParam == m_pDays->m_hWnd) {
        if (code == EN_CHANGE) OnDaysChanged();
        return TRUE;
    }
    if (id >= kRandomDateId && id <= kStartId) {
        StartTraining(id);
        return TRUE;
    }
    return ScrollElementWnd::OnCommand(wParam, lParam);
}

LRESULT TrendTrainingSetWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case UM_CODE_CHOSEN:
            OnCodeChosen();
            return 0;
        case UM_NO_SECURITY_FOR_DAYS:
            OnNoSecurityForDays();
            return 0;
        case WM_TIMER:
            if (wParam == kDaysTimer) {
                OnDaysSettled();
                return 0;
            }
            break;
        default:
            break;
    }
    return ScrollElementWnd::WindowProc(msg, wParam, lParam);
}

void TrendTrainingSetWnd::StartTraining(int id) {
    switch (id) {
        case kRandomDateId:
            for (auto& f : m_dates) f->Enable(false);
            m_pDays->EnableWindow(TRUE);
            m_nPeriodMode = 1;
            m_nStartDate = m_nEndDate = 0;
            RepaintLabel(12);
            break;
        case kChosenDatesId:
            for (auto& f : m_dates) f->Enable(true);
            m_pDays->EnableWindow(FALSE);
            m_nPeriodMode = 0;
            RepaintLabel(12);
            break;
        case kRandomSecurityId:
            if (m_pCode->m_edit.m_hWnd) m_pCode->m_edit.EnableWindow(FALSE);
            m_nSecurityMode = 1;
            m_nRangeRounds = 0;
            if (CSecurity* next = GetDataCenter()->PickRandomSecurity(m_pSecurity)) {
                SetCurrentSecurity(next);
                RequestSupportRange();
            }
            break;
        case kChosenSecurityId:
            if (m_pCode->m_edit.m_hWnd) {
                m_pCode->m_edit.EnableWindow(TRUE);
                m_pCode->m_edit.m_strPrompt = m_pCode->m_strPrompt;
                m_pCode->m_edit.ShowPrompt();
                m_pCode->m_bPromptShown = 1;
            }
            m_nSecurityMode = 0;
            break;
        case kHideDateId:
            m_bHideDate = m_buttons[4]->GetCheck() ? 1 : 0;
            break;
        case kHideNameId:
            m_bHideName = m_buttons[5]->GetCheck() ? 1 : 0;
            break;
        case kT0Id:
            m_bT0 = m_buttons[6]->GetCheck() ? 1 : 0;
            break;
        case kShortSellId:
            m_bShortSell = m_buttons[7]->GetCheck() ? 1 : 0;
            break;
        case kStartId:
            Start();
            break;
        default:
            break;
    }
}

uint32_t TrendTrainingSetWnd::FieldDate(const CPBQOwnerDrawDateTimeCtrl& field) {
    if (field.m_bEmpty) return 0;
    return uint32_t(field.m_value.y * 10000 + field.m_value.m * 100 + field.m_value.d);
}

void TrendTrainingSetWnd::Start() {
    std::shared_ptr<CTotalTrainingRecord> list = GetDataCenter()->GetTrainingRecords();
    const uint32_t today = GetAppInfo()->GetToday();
    TrendStartState s;
    s.accountName = GetAccountName();
    if (auto it = TrainedNumCounter().find(today); it != TrainedNumCounter().end())
        s.guestSessionsToday = it->second;
    s.sessionRunning = list && list->HasRunningRecord();
    s.chosenSecurityMode = m_nSecurityMode == 0;
    s.hasSecurity = m_pSecurity != nullptr;
    s.range = m_range;
    s.datesMode = m_nPeriodMode == 0;
    s.daysText = m_pDays->GetWindowText();
    if (s.datesMode) {
        s.startDate = FieldDate(*m_dates[0]);
        s.endDate = FieldDate(*m_dates[1]);
    }
    int days = 0;
    const std::string message = CheckTrendStart(s, days);
    if (!message.empty()) {
        Tell(message);
        return;
    }
    if (!list || !m_pSecurity) return;
    m_nStartDate = s.startDate;
    m_nEndDate = s.endDate;
    auto record = list->CreateRecord(m_bT0, m_bShortSell, m_pSecurity, m_pSecurity->GetCode(),
                                     m_pSecurity->GetName(), m_bHideDate, m_bHideName,
                                     s.datesMode ? 1 : 0, m_fCapital, m_fFeeRate);
    if (s.datesMode) {
        record->StartDate = int32_t(m_nStartDate);
        record->EndDate = int32_t(m_nEndDate);
    } else {
        record->WantDays = days;
    }
    // The guest's count goes into the same save as the session's period, so that neither is
    // lost when the program ends before its next save.
    if (s.accountName.empty()) ++TrainedNumCounter()[today];
    list->Save(today);
    SendUsageAction(2, 0);
    OpenTrainingSession(record);
}

void TrendTrainingSetWnd::OnElementLButtonUp(UINT, int x, int y) {
    if (m_labels[5] && m_labels[5]->m_rect.PtInRect(CPoint(x, y))) EditFee();
}

void TrendTrainingSetWnd::EditFee() {
    const CRect& value = m_labels[4]->m_rect;
    CDlgEditGrid dlg(this);
    dlg.m_nWidth = value.Width();
    dlg.m_nHeight = value.Height();
    CPoint at(value.left + 2, value.top + 2);
    ClientToScreen(&at);
    dlg.m_nX = at.x;
    dlg.m_nY = at.y;
    dlg.m_strText = m_labels[4]->m_strText;
    if (dlg.DoModal() != IDOK) return;
    ApplyFeeText(dlg.m_strText);
}

bool TrendTrainingSetWnd::ApplyFeeText(const std::string& text) {
    double rate = 0;
    std::string label, message;
    if (!ParseFeeText(text, rate, label, message)) {
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    m_fFeeRate = rate;
    m_labels[4]->m_strText = label;
    RepaintLabel(4);
    if (m_hWnd) UpdateWindow();
    return true;
}

void TrendTrainingSetWnd::OnDaysChanged() {
    if (m_hWnd) KillTimer(kDaysTimer);
    const std::string text = m_pDays->GetWindowText();
    if (!IsNumericText(text)) {
        Tell("训练天数输入有误!!!");
        return;
    }
    // One question per change the user makes, not one per keystroke: asked once the text
    // has rested.
    const int days = LeadingInteger(text);
    if (days != 0 && uint32_t(days) > m_range.maxDays && m_hWnd) SetTimer(kDaysTimer, kDaysDelayMs, nullptr);
}

void TrendTrainingSetWnd::OnDaysSettled() {
    if (m_hWnd) KillTimer(kDaysTimer);
    if (!m_pDays) return;
    const std::string text = m_pDays->GetWindowText();
    if (!IsNumericText(text)) return;
    const int days = LeadingInteger(text);
    if (days != 0 && uint32_t(days) > m_range.maxDays) QueryDataRange(uint32_t(days));
}

void TrendTrainingSetWnd::OnCodeChosen() {
    if (!m_pCode) return;
    const CInputResult& chosen = m_pCode->GetChosen();
    if (chosen.kind != 3 || chosen.key.size() < 4) return;
    const CIndSecuCode code(std::atoi(chosen.key.substr(0, 4).c_str()), chosen.key.substr(4));
    CSecurity* security = GetDataCenter()->FindSecurity(code);
    m_nRangeRounds = 0;
    SetCurrentSecurity(security);
    if (!security) return;
    if (m_pCode->m_edit.m_hWnd) {
        m_pCode->m_edit.SetWindowText(security->GetCode().m_strCode + " " + RemoveBlanks(security->GetName()));
        m_pCode->m_edit.m_bShowingPrompt = 0;
        m_pCode->m_bPromptShown = 0;
    }
    RequestSupportRange();
}

void TrendTrainingSetWnd::OnNoSecurityForDays() {
    Tell("设置天数过大，没有品种能够支持");
}

// ---------------------------------------------------------------- security and range

void TrendTrainingSetWnd::SetCurrentSecurity(CSecurity* security) {
    if (security == m_pSecurity) return;
    m_pSecurity = security;
    // A range belongs to its security: the checks must never pass on the last one's.
    m_range = {};
    EnableStart(false);
    RepaintLabel(12);
}

void TrendTrainingSetWnd::EnableStart(bool enable) {
    MyButton* start = m_buttons[8].get();
    if (start && start->m_hWnd) start->EnableWindow(enable ? TRUE : FALSE);
}

void TrendTrainingSetWnd::ApplyRange(const TrendSupportRange& range, bool emptyDays) {
    m_range = range;
    RepaintLabel(12);
    for (auto& f : m_dates) {
        if (!f) continue;
        f->m_bRange = true;
        f->m_min = ToCalDate(range.begin);
        f->m_max = ToCalDate(range.end);
        f->m_bEmpty = false;
    }
    m_dates[0]->m_value = ToCalDate(range.begin);
    m_dates[1]->m_value = ToCalDate(range.end);
    if (m_nPeriodMode == 1) {
        m_pDays->EnableWindow(TRUE);
        if (emptyDays) m_pDays->SetWindowText("");
    } else {
        for (auto& f : m_dates) f->Enable(true);
    }
    for (auto& f : m_dates)
        if (f->m_hWnd) f->Invalidate(FALSE);
    EnableStart(true);
}

void TrendTrainingSetWnd::PickRandomSecurity(int tries) {
    CDataCenter* centre = GetDataCenter();
    const CSecurity* held = m_pSecurity;
    CSecurity* next = nullptr;
    for (int i = 0; i < tries; ++i) {
        next = centre->PickRandomSecurity(held);
        if (!next || !held || CompareSecuCode(CIndSecuCode(0, next->GetCode().m_strCode),
                                              CIndSecuCode(0, held->GetCode().m_strCode)) != 0)
            break;
    }
    if (next) SetCurrentSecurity(next);
}

template <class Reply>
void TrendTrainingSetWnd::Send(uint16_t command, const std::function<void(CBuffer&)>& writeBody,
                               void (TrendTrainingSetWnd::*handle)(const Reply&)) {
    CRequestChannel* channel = GetConnectedChannel();
    if (!channel) return;
    CBuffer message;
    CDataHead::ReservePlaceholder(message);
    writeBody(message);
    CDataHead head = CDataHead::NewRequest();
    if (!head.WriteToBuffer(message, command)) return;
    std::weak_ptr<TrendTrainingSetWnd*> weak = m_pSelf;
    const uint64_t generation = m_nGeneration;
    channel->RegisterReply(head.m_nSerial, OwnerTag(this),
                           [weak, generation, handle](const CDataHead&, CBuffer& body) {
                               auto reply = std::make_shared<Reply>();
                               try {
                                   reply->Decode(body);
                               } catch (const CParseError&) {
                                   return true;  // nothing usable will follow for this serial
                               }
                               platform::PostTask([weak, generation, handle, reply] {
                                   auto self = weak.lock();
                                   if (!self || !*self || (*self)->m_nGeneration != generation) return;
                                   ((*self)->*handle)(*reply);
                               });
                               return true;
                           });
    channel->Send(message.GetData(), message.GetLength());
}

void TrendTrainingSetWnd::RequestSupportRange() {
    if (!m_pSecurity) return;
    if (GetConnectedChannel()) {
        wire::SupportRangeRequest request;
        request.security = {uint32_t(m_pSecurity->GetCode().m_nMarket), m_pSecurity->GetCode().m_strCode};
        Send<wire::SupportRangeReply>(wire::kSupportRange, [&](CBuffer& out) { request.Encode(out); },
                                      &TrendTrainingSetWnd::OnSupportRangeReply);
        return;
    }
    // Offline: the stored day bars. In random mode a security without any is passed over
    // for another, a bounded number of times.
    for (int round = 0; m_pSecurity; ++round) {
        const TrendSupportRange local = LocalSupportRange(m_pSecurity);
        if (local.Complete()) {
            ApplyRange(local, true);
            return;
        }
        RepaintLabel(12);
        if (m_nSecurityMode != 1 || round + 1 >= kRandomPickTries) return;
        CSecurity* before = m_pSecurity;
        PickRandomSecurity(1);
        if (m_pSecurity == before) return;
    }
}

void TrendTrainingSetWnd::QueryDataRange(uint32_t days) {
    if (!GetConnectedChannel()) {
        Tell("请保持联网状态");
        return;
    }
    wire::DataRangeRequest request;
    if (m_pSecurity)
        request.security = {uint32_t(m_pSecurity->GetCode().m_nMarket), m_pSecurity->GetCode().m_strCode};
    request.days = days;
    Send<wire::DataRangeReply>(wire::kDataRange, [&](CBuffer& out) { request.Encode(out); },
                               &TrendTrainingSetWnd::OnDataRangeReply);
}

void TrendTrainingSetWnd::OnSupportRangeReply(const wire::SupportRangeReply& reply) {
    // A reply about a security the page has left is stale: its own request is on its way.
    if (!SameCode(m_pSecurity, reply.security)) return;
    const TrendSupportRange range{reply.begin, reply.end, reply.maxDays};
    if (range.Complete()) {
        m_nRangeRounds = 0;
        ApplyRange(range, true);
        return;
    }
    m_range = range;
    RepaintLabel(12);
    if (++m_nRangeRounds >= kMaxRangeRounds) return;  // the start reports the missing range
    if (m_nSecurityMode == 1) PickRandomSecurity(kRandomPickTries);
    if (m_pSecurity) RequestSupportRange();
}

void TrendTrainingSetWnd::OnDataRangeReply(const wire::DataRangeReply& reply) {
    if (reply.status == 0) {
        OnNoSecurityForDays();
        return;
    }
    const bool same = SameCode(m_pSecurity, reply.security);
    // A security the user chose stays; the start then tells how many days it supports.
    if (!same && m_nSecurityMode == 0 && m_pSecurity) return;
    if (!same) {
        CDataCenter* centre = GetDataCenter();
        const CIndSecuCode code(int32_t(reply.security.market), reply.security.code);
        CSecurity* security = centre->FindSecurity(code);
        if (!security) {
            auto fresh = std::make_unique<CSecurity>();
            fresh->SetCode(code);
            centre->AddSecurity(fresh);
            security = centre->FindSecurity(code);
        }
        if (!security) return;
        SetCurrentSecurity(security);
    }
    const TrendSupportRange range{reply.begin, reply.end, reply.maxDays};
    if (range.Complete()) ApplyRange(range, false);
}

// ---------------------------------------------------------------- attaching

void TrendTrainingSetWnd::AttachData() {
    m_nRangeRounds = 0;
    if (m_nSecurityMode == 1) {
        // A session on a security the user trained before gives away its future: look for
        // one without a record, but only so long.
        for (int round = 0; round < kRandomPickTries; ++round) {
            if (m_pSecurity && !CodeInRecords(*m_pSecurity)) break;
            CSecurity* next = GetDataCenter()->PickRandomSecurity(m_pSecurity);
            if (!next || next == m_pSecurity) break;
            SetCurrentSecurity(next);
        }
    }
    if (m_pSecurity) RequestSupportRange();
}

void TrendTrainingSetWnd::DetachData() {
    ++m_nGeneration;
    if (m_hWnd) KillTimer(kDaysTimer);
    if (CRequestChannel* channel = GetRequestChannel()) channel->CancelPending(OwnerTag(this));
}

void TrendTrainingSetWnd::Tell(const std::string& text) {
    ::MessageBox(nullptr, text.c_str(), "提示", MB_OK | MB_ICONINFORMATION);
}
