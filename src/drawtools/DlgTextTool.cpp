#include "drawtools/DlgTextTool.h"

#include <cstdlib>

#include "platform/CommonDialogs.h"
#include "platform/ControlMessages.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

CDlgTextTool::CDlgTextTool(CWnd* parent) : CDlgTemplate(parent) {}

const std::vector<std::string>& CDlgTextTool::SizeNames() {
    static const std::vector<std::string> names = {"10", "12", "14", "18", "22"};
    return names;
}

void CDlgTextTool::SetFontFrom(int height, int weight, bool italic, const std::string& face) {
    m_nFontHeight = std::abs(height);
    m_bBold = weight >= 700 ? 1 : 0;
    m_bItalic = italic ? 1 : 0;
    if (!face.empty()) m_strFace = face;
    MakeFont();
    m_bFontGiven = true;
}

void CDlgTextTool::MakeFont() {
    LOGFONT lf{};
    lf.lfHeight = -m_nFontHeight;
    lf.lfWeight = m_bBold ? 800 : 400;
    lf.lfItalic = m_bItalic ? 1 : 0;
    lf.lfCharSet = 134;
    lf.lfOutPrecision = 3;
    lf.lfClipPrecision = 2;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 2;
    lf.lfFaceName = m_strFace.empty() ? "宋体" : m_strFace;
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&lf);
}

void CDlgTextTool::ApplyFormat() {
    if (!m_pEdit || !m_pEdit->m_hWnd) return;
    m_pEdit->SetDefaultCharFormat(m_clrText, m_nFontHeight, m_strFace.c_str());
}

void CDlgTextTool::ApplyFont() {
    MakeFont();
    if (m_pEdit && m_pEdit->m_hWnd) m_pEdit->SetFont(&m_font);
    ApplyFormat();
    Invalidate(FALSE);
}

void CDlgTextTool::PaintButton(CDC* dc, int, MyButton* button) {
    const CRect rc = button->m_rcClient;
    CommonVar* cv = GetCommonVar();
    auto outline = [&](COLORREF color) {
        CPen pen(PS_SOLID, 1, color);
        CPen* old = dc->SelectObject(&pen);
        dc->MoveTo(rc.left, rc.top);
        dc->LineTo(rc.left, rc.bottom - 1);
        dc->LineTo(rc.right - 1, rc.bottom - 1);
        dc->LineTo(rc.right - 1, rc.top);
        dc->LineTo(rc.left, rc.top);
        dc->SelectObject(old);
    };
    switch (button->m_nCommandId) {
    case kBoldId:
    case kItalicId: {
        dc->FillSolidRect(&rc, RGB(50, 58, 71));
        dc->SetTextColor(RGB(157, 169, 185));
        dc->SetBkMode(TRANSPARENT);
        CFont* old = dc->SelectObject(cv->GetFont(button->m_nCommandId == kBoldId
                                                      ? CommonVar::Font::Shared14
                                                      : CommonVar::Font::Italic14));
        CRect text = rc;
        dc->DrawText(button->m_nCommandId == kBoldId ? "B" : "I", &text,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (old) dc->SelectObject(old);
        break;
    }
    case kTextColorId:
        dc->FillSolidRect(&rc, RGB(255, 96, 255));
        outline(RGB(19, 25, 33));
        break;
    case kSecondColorId: {
        dc->FillSolidRect(&rc, RGB(157, 169, 187));
        outline(RGB(19, 21, 28));
        CPen pen(PS_SOLID, 2, RGB(140, 0, 0));
        CPen* old = dc->SelectObject(&pen);
        dc->MoveTo(rc.left + 1, rc.bottom - 2);
        dc->LineTo(rc.right - 2, rc.top + 1);
        dc->SelectObject(old);
        break;
    }
    default:
        break;
    }
}

void CDlgTextTool::BuildControls() {
    SetWindowPos(nullptr, m_nX, m_nY - m_nHeight, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOZORDER);
    CDlgTemplate::BuildControls();
    if (!m_pLayout) return;
    for (int id = kBoldId; id <= kSecondColorId; ++id) {
        if (auto* b = dynamic_cast<MyButton*>(m_pLayout->GetControl(id).get())) {
            b->m_nDrawType = MyButton::kDrawCallback;
            b->m_fnDraw = &CDlgTextTool::PaintButton;
        }
    }
    if (!m_bFontGiven) MakeFont();
    m_pEdit = dynamic_cast<MyRichEditCtrl*>(m_pLayout->GetControl(kTextId).get());
    m_pSize = dynamic_cast<MyComboBox*>(m_pLayout->GetControl(kSizeId).get());
    if (m_pEdit && m_pEdit->m_hWnd) {
        m_pEdit->SetFont(&m_font);
        m_pEdit->LimitText(kMaxChars);
        if (!m_strText.empty()) m_pEdit->SetWindowText(m_strText);
        m_pEdit->SetBackgroundColor(FALSE, m_pEdit->m_clrBk);
    }
    if (m_pSize && m_pSize->m_hWnd) {
        m_pSize->ResetContent();
        for (const std::string& name : SizeNames()) m_pSize->AddItem(name);
        for (size_t i = 0; i < m_heights.size(); ++i)
            if (m_heights[i] == std::abs(m_nFontHeight)) m_pSize->SetCurSel(int(i));
    }
    ApplyFormat();
}

BOOL CDlgTextTool::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id == kBoldId || id == kItalicId) {
        (id == kBoldId ? m_bBold : m_bItalic) ^= 1u;
        ApplyFont();
        return TRUE;
    }
    if (id == kTextColorId || id == kSecondColorId) {
        CColorDialog dlg(m_clrText, CC_FULLOPEN | CC_RGBINIT, this);
        if (dlg.DoModal() == IDOK) {
            (id == kTextColorId ? m_clrText : m_clrSecond) = dlg.GetColor();
            ApplyFormat();
            Invalidate(FALSE);
        }
        return TRUE;
    }
    return CDlgTemplate::OnCommand(wParam, lParam);
}

LRESULT CDlgTextTool::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kSizeChosen) {
        const int index = m_pSize ? m_pSize->GetCurSel() : -1;
        if (index >= 0 && index < int(m_heights.size())) {
            m_nFontHeight = m_heights[index];
            ApplyFont();
        }
        return 0;
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}

void CDlgTextTool::OnOK() {
    if (m_pEdit && m_pEdit->m_hWnd) m_strText = m_pEdit->GetWindowText();
    CDialog::OnOK();
}
