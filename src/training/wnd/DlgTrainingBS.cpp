#include "training/wnd/DlgTrainingBS.h"

#include <cstdio>
#include <cstdlib>

#include "foundation/Format.h"
#include "marketdata/Security.h"
#include "platform/CommonDialogs.h"
#include "training/TrainingRecord.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"
#include "ui/input/InputCodeWnd.h"

namespace {

constexpr COLORREF kPanelLine = RGB(152, 155, 160);
constexpr COLORREF kSellColour = RGB(11, 134, 72);
constexpr COLORREF kBuyColour = RGB(140, 0, 0);
constexpr COLORREF kCommentText = RGB(157, 168, 187);
constexpr COLORREF kCommentFrame = RGB(94, 109, 128);

// The fraction buttons: amber when chosen, grey otherwise, black caption.
void DrawFractionButton(CDC* dc, int state, MyButton* button) {
    CRect rc = button->m_rcClient;
    if (rc.IsRectEmpty()) button->GetClientRect(&rc);
    if (state == MyButton::kChecked)
        dc->FillSolidRect(&rc, RGB(255, 190, 0));
    else if (state == MyButton::kNormal)
        dc->FillSolidRect(&rc, RGB(166, 170, 179));
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontTimes14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    dc->DrawText(button->m_strText.c_str(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

// Cut at a whole UTF-8 character.
std::string CutToChars(const std::string& text, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

void Tell(const std::string& text) {
    ::MessageBox(nullptr, text.c_str(), "提示", MB_OK);
}

}  // namespace

CDlgTrainingBS::CDlgTrainingBS(CWnd* parent) : CDlgTemplate(parent) {}

CDlgTrainingBS::~CDlgTrainingBS() = default;

void CDlgTrainingBS::SetOrder(CTrainingRecord* record, int kind, const TrainingOrderMaxima& maxima) {
    m_pRecord = record;
    m_nKind = kind;
    m_maxima = maxima;
    m_bIndex = record && IsIndexSecurity(record->code);
    m_strTitle = TrainingOrderTitle(kind);
}

void CDlgTrainingBS::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    if (m_pLayout) {
        for (int i = 0; i < 6; ++i) {
            auto* b = dynamic_cast<MyButton*>(m_pLayout->GetControl(kFirstFractionId + i).get());
            m_pFractionButtons[i] = b;
            if (!b) continue;
            b->m_nDrawType = MyButton::kDrawCallback;
            b->m_fnDraw = DrawFractionButton;
        }
        m_pPriceEdit = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kPriceId).get());
        m_pHandsEdit = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kHandsId).get());
    }
    if (MyButton* first = m_pFractionButtons[0]; first && first->m_hWnd) first->SetCheck(1);
    m_bFilling = true;
    CFont* times = GetCommonVar()->GetFont(CommonVar::kFontTimes14);
    if (m_pPriceEdit && m_pPriceEdit->m_hWnd) {
        char text[64] = "0.0";
        if (m_pRecord) std::snprintf(text, sizeof text, "%.03f", m_pRecord->price);
        m_pPriceEdit->SetFont(times, TRUE);
        m_pPriceEdit->SetWindowText(text);
    }
    if (m_pHandsEdit && m_pHandsEdit->m_hWnd) m_pHandsEdit->SetFont(times, TRUE);
    FillHands();
    m_bFilling = false;

    m_pComment = std::make_shared<CKeyBoardEdit>();
    m_pComment->m_rcPlace = CRect(60, 198, 220, 219);
    m_pComment->m_nCommandId = kCommentId;
    m_pComment->m_clrText = kCommentText;
    m_pComment->m_clrNormalBorder = kCommentFrame;
    m_pComment->m_clrHighBorder = kCommentText;
    m_pComment->m_bHasBorder = true;
    if (m_pPriceEdit) {
        m_pComment->m_clrBk = m_pPriceEdit->m_clrBk;
        m_pComment->m_clrDisabledBk = m_pPriceEdit->m_clrDisabledBk;
        m_pComment->m_clrDisabledText = m_pPriceEdit->m_clrDisabledText;
        m_pComment->m_clrDisabledBorder = m_pPriceEdit->m_clrDisabledBorder;
    }
    m_pComment->m_strPrompt = kCommentPrompt;
    if (m_pComment->CreateEdit(this)) {
        m_pComment->SetFont(GetCommonVar()->GetFont(CommonVar::kFontSong12), TRUE);
        m_pComment->ShowPrompt();
    }
    m_rcInfo = CRect(26, 55, m_nWidth, 70);
}

void CDlgTrainingBS::FillHands() {
    if (!m_pHandsEdit || !m_pHandsEdit->m_hWnd) return;
    const int32_t hands = FractionOfMaximum(TrainingOrderMaximum(m_nKind, m_maxima), m_nFraction);
    m_pHandsEdit->SetWindowText(std::to_string(hands));
}

std::string CDlgTrainingBS::GetComment() const {
    if (!m_pComment || !m_pComment->m_hWnd || m_pComment->m_bShowingPrompt) return "";
    return CutToChars(m_pComment->GetWindowText(), kMaxCommentChars);
}

std::string CDlgTrainingBS::InfoText() const {
    char text[128];
    switch (m_nKind) {
        case kOrderSell:
            std::snprintf(text, sizeof text, "可卖数量/手： %d", m_maxima.closableLong);
            break;
        case kOrderLongClose:
            std::snprintf(text, sizeof text, "可平仓： %d", m_maxima.closableLong);
            break;
        case kOrderShortClose:
            std::snprintf(text, sizeof text, "可平仓： %d", m_maxima.closableShort);
            break;
        default:
            std::snprintf(text, sizeof text, "可买数量/手： %d", m_maxima.buyable);
            break;
    }
    return text;
}

COLORREF CDlgTrainingBS::InfoColour() const {
    return m_nKind == kOrderSell || m_nKind == kOrderLongClose || m_nKind == kOrderShortClose
               ? kSellColour
               : kBuyColour;
}

void CDlgTrainingBS::DrawBackground(CDC* dc) {
    CDlgTemplate::DrawBackground(dc);
    dc->FillSolidRect(CRect(18, 39, 226, 224), m_clrBk2);
    dc->FillSolidRect(CRect(18, 82, 226, 83), kPanelLine);
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(InfoColour());
    CRect info = m_rcInfo;
    dc->DrawText(InfoText().c_str(), &info, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void CDlgTrainingBS::RedrawInfo() {
    if (m_hWnd) InvalidateRect(&m_rcInfo, FALSE);
}

BOOL CDlgTrainingBS::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    // The skinned buttons send their check state in the high word.
    if (id >= kFirstFractionId && id < kFirstFractionId + 6) {
        m_nFraction = id - kFirstFractionId;
        FillHands();
        return TRUE;
    }
    if (id == kPriceId && code == EN_CHANGE) {
        OnPriceChange();
        return TRUE;
    }
    if (id == kCommentId && (code == EN_CHANGE || code == EN_KILLFOCUS)) {
        OnCommentChange(code);
        return TRUE;
    }
    return CDlgTemplate::OnCommand(wParam, lParam);
}

void CDlgTrainingBS::OnPriceChange() {
    if (m_bFilling || !m_pPriceEdit || !m_pPriceEdit->m_hWnd) return;
    const std::string text = m_pPriceEdit->GetWindowText();
    if (text.empty() || !IsNumericText(text)) {
        Tell("请输入合法的下单价格");
        return;
    }
    if (!m_pRecord) return;
    m_maxima.buyable = BuyableHands(*m_pRecord, std::atof(text.c_str()), m_bIndex);
    FillHands();
    RedrawInfo();
}

void CDlgTrainingBS::OnCommentChange(UINT code) {
    if (!m_pComment || !m_pComment->m_hWnd || m_pComment->m_bShowingPrompt) return;
    if (!m_pComment->GetWindowText().empty()) return;
    // While the user types, an emptied box stays empty (the prompt would land in the middle
    // of their typing); it comes back once they leave it.
    if (code == EN_CHANGE && ::GetFocus() == m_pComment->m_hWnd) return;
    m_pComment->ShowPrompt();
}

void CDlgTrainingBS::OnOK() {
    if (!m_pRecord) {
        CDialog::OnOK();
        return;
    }
    TrainingOrderInput input;
    input.kind = m_nKind;
    input.price = m_pPriceEdit && m_pPriceEdit->m_hWnd
                      ? std::atof(m_pPriceEdit->GetWindowText().c_str())
                      : 0.0;
    input.typedHands = m_pHandsEdit && m_pHandsEdit->m_hWnd
                           ? std::atoi(m_pHandsEdit->GetWindowText().c_str())
                           : 0;
    input.fractionIndex = m_nFraction;
    input.maxima = m_maxima;
    input.isIndex = m_bIndex;
    input.comment = GetComment();
    m_lastOutcome = PlaceTrainingOrder(*m_pRecord, input);
    if (m_lastOutcome.priceRefused) {
        Tell("下单价格不在合理区间内");
        return;
    }
    if (!m_lastOutcome.message.empty()) Tell(m_lastOutcome.message);
    CDialog::OnOK();
}
