#include "formula/wnd/DlgFormula.h"

#include <strings.h>

#include "formula/wnd/DlgFormulaParam.h"
#include "formula/wnd/DlgInsertFunc.h"
#include "platform/Graphics.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.pop_back();
    return text;
}

// A rich edit sits inside its skinned scroll frame: moving the editor means moving the
// dialog's child that holds it.
CWnd* FrameOf(CWnd* editor, CWnd* dialog) {
    CWnd* w = editor;
    while (w && w->GetParent() && w->GetParent()->m_hWnd != dialog->m_hWnd) w = w->GetParent();
    return w && w->GetParent() ? w : editor;
}

}  // namespace

void CDlgIndPeriod::DrawBackground(CDC* dc) {
    CDlgTemplate::DrawBackground(dc);
    dc->FillSolidRect(CRect(m_rcClient.left + 19, m_rcClient.top + 39, m_rcClient.right - 19,
                            m_rcClient.top + 157),
                      m_clrBk2);
}

CDlgFormula::CDlgFormula(CWnd* parent) : CDlgTemplate(parent) {
    m_runModal = [](CDlgTemplate& dialog) { return int(dialog.DoModal()); };
}

CDlgFormula::~CDlgFormula() = default;

void CDlgFormula::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    if (!m_pLayout) return;
    m_pSideEditor = dynamic_cast<MyRichEditCtrl*>(m_pLayout->GetControl(kSideEditorId).get());
    m_pEditor = dynamic_cast<MyRichEditCtrl*>(m_pLayout->GetControl(kEditorId).get());
    m_pButton103 = dynamic_cast<MyButton*>(m_pLayout->GetControl(103).get());
    m_pSideButton = dynamic_cast<MyButton*>(m_pLayout->GetControl(kSidePanelId).get());
    m_pName = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kNameId).get());
    m_pStatus = m_pLayout->GetStatic(kStatusId).get();
    CFont* font = GetCommonVar()->GetFont(CommonVar::kFontSong14);
    if (m_pName && m_pName->m_hWnd) {
        m_pName->SetWindowText(m_indicator.m_strName);
        m_pName->SetFont(font, TRUE);
    }
    if (m_pStatus) m_pStatus->m_fnDraw = DrawStatus;
    const COLORREF back = m_pEditor ? m_pEditor->m_clrBk : RGB(255, 255, 255);
    // Black text, as the engine's messages assume a light box; the dark skin's box gets
    // light text instead so that the formula can be read.
    const bool dark = GetRValue(back) + GetGValue(back) + GetBValue(back) < 3 * 96;
    for (MyRichEditCtrl* editor : {m_pEditor, m_pSideEditor}) {
        if (!editor || !editor->m_hWnd) continue;
        editor->SetDefaultCharFormat(dark ? RGB(235, 235, 235) : RGB(0, 0, 0), 14, "宋体");
        editor->SetBackgroundColor(FALSE, back);
        editor->SetFont(font, TRUE);
    }
    // The user edits the indicator's own formula; an empty editor would make OK replace it
    // with whatever was typed from scratch.
    if (m_pEditor && m_pEditor->m_hWnd) m_pEditor->SetWindowText(m_indicator.m_strFormula);
}

int CDlgFormula::Compile(std::string& message) {
    int first = 0, last = 0;
    m_indicator.m_strFormula = TrimRight(m_indicator.m_strFormula);
    const std::string own = m_indicator.m_strFormula;
    if (int code = m_indicator.GetAxeInfo(own, message, first, last)) return code;
    if (!m_pEditor || !m_pEditor->m_hWnd || !m_pEditor->IsWindowEnabled()) return 0;
    const std::string text = TrimRight(m_pEditor->GetWindowText());
    const int code = m_indicator.GetRepInfo(text, message, first, last);
    if (code) {
        m_pEditor->SetSel(first, last);
        m_pEditor->SetFocus();
    }
    return code;
}

bool CDlgFormula::TestCompile() {
    std::string message;
    const int code = Compile(message);
    if (m_pStatus) {
        m_pStatus->m_strText = code ? message : kCompiled;
        if (m_hWnd) {
            CClientDC dc(this);
            m_pStatus->Draw(&dc);
            InvalidateRect(&m_pStatus->m_rect, FALSE);
        }
    }
    return code == 0;
}

void CDlgFormula::DrawStatus(StaticEx* status, CDC* dc) {
    const CRect rc = status->m_rect;
    dc->FillSolidRect(&rc, RGB(93, 109, 132));
    CFont* font = GetCommonVar()->GetFont(CommonVar::kFontSong14);
    dc->SetBkMode(TRANSPARENT);
    if (::strcasecmp(status->m_strText.c_str(), kCompiled) == 0) {
        CFont* old = dc->SelectObject(font);
        dc->SetTextColor(RGB(0, 0, 0));
        CRect text = rc;
        dc->DrawText(status->m_strText, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dc->SelectObject(old);
        return;
    }
    if (status->m_strText.empty()) return;
    {
        CGraphics g(dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.DrawEllipse(0xFFFFFF00, 1.0f, float(rc.left), float(rc.top + 5), 20.0f, 20.0f);
    }
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* oldPen = dc->SelectObject(&pen);
    for (int x = rc.left + 9; x <= rc.left + 11; ++x) {
        dc->MoveTo(x, rc.top + 10);
        dc->LineTo(x, rc.top + 17);
        dc->MoveTo(x, rc.top + 19);
        dc->LineTo(x, rc.top + 21);
    }
    dc->SelectObject(oldPen);
    CFont* old = dc->SelectObject(font);
    dc->SetTextColor(RGB(255, 255, 0));
    CRect text(rc.left + 30, rc.top, rc.right, rc.bottom);
    dc->DrawText(status->m_strText, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void CDlgFormula::PlaceSidePanel(bool shown) {
    if (!m_pEditor || !m_pSideEditor) return;
    CWnd* editorFrame = FrameOf(m_pEditor, this);
    CWnd* sideFrame = FrameOf(m_pSideEditor, this);
    const CRect full = m_pEditor->m_rect;
    if (shown) {
        editorFrame->MoveWindow(full.left, full.top, full.Width() - 200, full.Height());
        sideFrame->MoveWindow(full.right - 190, full.top, 190, full.Height());
    } else {
        editorFrame->MoveWindow(full.left, full.top, full.Width(), full.Height());
        sideFrame->MoveWindow(0, 0, 0, 0);
    }
}

BOOL CDlgFormula::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case 101:
        case 102:
        case 103:
            return TRUE;
        case kParamsId: {
            CDlgFormulaParam params(this);
            params.m_params = m_indicator.m_aParams;
            if (m_runModal(params) == IDOK) m_indicator.m_aParams = params.m_params;
            return TRUE;
        }
        case kPeriodNoteId: {
            CDlgIndPeriod note(this);
            m_runModal(note);
            return TRUE;
        }
        case kFunctionsId: {
            CDlgInsertFunc functions(this);
            m_runModal(functions);
            return TRUE;
        }
        case kSidePanelId:
            if (m_pSideButton) PlaceSidePanel(m_pSideButton->GetCheck() != 0);
            return TRUE;
        case kTestId:
            TestCompile();
            return TRUE;
        default:
            return CDlgTemplate::OnCommand(wParam, lParam);
    }
}

void CDlgFormula::OnOK() {
    if (!TestCompile()) return;
    if (m_pCatalogue) {
        const int i = m_pCatalogue->Update(m_indicator);
        if (i < 0) {
            // Compiled here but not in the catalogue's entry: say so and keep the dialog open
            // rather than close on work that was not kept.
            if (m_pStatus) {
                m_pStatus->m_strText = "公式未能保存";
                Invalidate(FALSE);
            }
            return;
        }
        if (m_onSaved) m_onSaved(m_pCatalogue->GetAt(i));
    } else if (m_onSaved) {
        m_onSaved(m_indicator);
    }
    CDialog::OnOK();
}
