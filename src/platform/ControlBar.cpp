// Control bars and the size they ask of the frame.
#include "platform/ControlBar.h"

#include "platform/Frame.h"
#include "platform/PlatformPrivate.h"
#include "platform/WndClass.h"

CControlBar::CControlBar() = default;
CControlBar::~CControlBar() = default;

BOOL CControlBar::CreateBar(DWORD style, const RECT& rect, CWnd* parent, UINT id,
                            const char* className) {
    if (!parent || !parent->m_hWnd) return FALSE;
    m_dwStyle = style & CBRS_ALL;
    if (className) {
        // the bars' classes are registered the first time a bar of the kind is made
        WNDCLASS wc;
        wc.style = CS_DBLCLKS;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = className;
        if (!AfxRegisterClass(wc)) return FALSE;
    }
    return CWnd::CreateEx(0, className, "", (style & ~CBRS_ALL) | WS_CHILD, rect, parent, id);
}

CSize CControlBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CRect rc;
    GetClientRect(&rc);
    if (horz) return CSize(stretch ? 32767 : rc.Width(), rc.Height());
    return CSize(rc.Width(), stretch ? 32767 : rc.Height());
}

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

CSize CControlBar::GetLayoutSize(BOOL stretch) {
    const BOOL horz = IsHorz() || !(m_dwStyle & CBRS_ORIENT_VERT);
    if (m_dwStyle & CBRS_SIZE_DYNAMIC)
        return CalcDynamicLayout(-1, (horz ? LM_HORZ | LM_HORZDOCK : LM_VERTDOCK) |
                                         (stretch ? LM_STRETCH : 0));
    return CalcFixedLayout(stretch, horz);
}

CFrameWnd* CControlBar::GetDockingFrame() const {
    return dynamic_cast<CFrameWnd*>(GetParent());
}
