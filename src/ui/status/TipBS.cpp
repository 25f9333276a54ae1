#include "ui/status/TipBS.h"

#include <algorithm>

#include "foundation/CommonColors.h"
#include "platform/App.h"
#include "ui/CommonVar.h"

namespace {

constexpr uint32_t kMsgFrameUser = 0x8070;

// Gives the keyboard back to whoever had it: a tip is never where typing goes.
void HandFocusBack(WPARAM lost) {
    CWnd* before = CWnd::FromHandle(reinterpret_cast<HWND>(lost));
    if (before && before->m_hWnd) before->SetFocus();
}

// Character columns of a text: a multi-byte character is two, as in the code page the
// bubble's width was made for.
int TextColumns(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) {
        if (c < 0x80) ++n;
        else if ((c & 0xC0) == 0xC0) n += 2;
    }
    return n;
}

}  // namespace

CTipBS::Shape CTipBS::ShapeFor(int style, int w, int h, int c, CPoint a) {
    Shape s{};
    if (style == 0 || style == 1) {
        s.text = CRect(4, 0, w - 4, h + 2);
        s.body = CRect(0, 0, w, h + 3);
        s.pointer[0] = {w - 4, h + 2};
        s.pointer[1] = {w - 4, h + 2 + c};
        s.pointer[2] = {w - c - 4, h + 2};
        const CPoint at = style == 1 ? CPoint(a.x - w, a.y - c - (h + 2)) : a;
        s.window = CRect(at.x, at.y, at.x + w, at.y + h + 2 + c);
    } else {
        // Pointing left at the anchor from the bubble's left edge.
        s.text = CRect(h / 2 + 4, 0, w + h / 2, h + 2);
        s.body = CRect(h / 2, 0, w + h / 2, h + 2);
        s.pointer[0] = {0, (h + 2) / 2};
        s.pointer[1] = {h / 2 + 1, 2};
        s.pointer[2] = {h / 2 + 1, h};
        const CPoint at(a.x + 1, a.y - (h + 2) / 2);
        s.window = CRect(at.x, at.y, at.x + w + h / 2, at.y + h + 2);
    }
    return s;
}

BOOL CTipBS::Create(CWnd* parent) {
    if (!CreateEx(WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, nullptr, "", WS_POPUP, CRect(0, 0, 20, 10),
                  parent, 0))
        return FALSE;
    SetLayeredWindowAttributes(0, m_nStyle == 1 ? 255 : 192, LWA_ALPHA);
    return TRUE;
}

void CTipBS::ShowText(const std::string& text, int x, int y) {
    m_nX = x;
    m_nY = y;
    if (text != m_strText) {
        m_strText = text;
        PostMessage(kMsgTipBS, 2, 0);
    } else {
        PostMessage(kMsgTipBS, 1, 0);
    }
}

void CTipBS::Place(bool repaint) {
    CommonVar* var = GetCommonVar();
    const int c = std::max(1, int(var->m_nStatusTipCharWidth));
    const int w = (TextColumns(m_strText) + 2) * c;
    const int h = std::max(1, int(var->m_nStatusTipTextHeight));
    m_shape = ShapeFor(m_nStyle, w, h, c, CPoint(m_nX, m_nY));
    m_rcText = m_shape.text;
    m_body.DeleteObject();
    m_pointer.DeleteObject();
    m_body.CreateRoundRectRgn(m_shape.body.left, m_shape.body.top, m_shape.body.right, m_shape.body.bottom, 4, 4);
    m_pointer.CreatePolygonRgn(m_shape.pointer, 3, ALTERNATE);
    CRgn region;
    region.CreateRectRgn(0, 0, 1, 1);
    region.CombineRgn(&m_body, &m_pointer, RGN_OR);
    SetWindowRgn(&region, FALSE);
    const CRect& rc = m_shape.window;
    SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (repaint) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void CTipBS::Paint(CDC* dc) {
    const CommonColorTable& colors = GetCommonVar()->Colors();
    CRgn shape;
    shape.CreateRectRgn(0, 0, 1, 1);
    shape.CombineRgn(&m_body, &m_pointer, RGN_OR);
    CBrush fill(m_nStyle == 1 ? GetSysColor(COLOR_INFOBK) : colors[CommonColor::uniHigh_BackGround]);
    CBrush frame(m_nStyle == 1 ? GetSysColor(COLOR_WINDOWFRAME) : colors[CommonColor::uniWnd_Border]);
    dc->FillRgn(&shape, &fill);
    dc->FrameRgn(&shape, &frame, 1, 1);
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::Font::StatusTip));
    dc->SetTextColor(colors[CommonColor::uniSocket_Tip]);
    dc->SetBkMode(TRANSPARENT);
    CRect rc(m_rcText);
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

LRESULT CTipBS::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgTipBS:
        if (wParam == 0) {
            if (IsWindowVisible()) ShowWindow(SW_HIDE);
        } else {
            m_nLastUpdate = static_cast<int>(wParam);
            Place(wParam == 2);
        }
        return 0;
    case WM_PAINT: {
        CPaintDC dc(this);
        Paint(&dc);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
        HandFocusBack(wParam);
        return 0;
    case WM_LBUTTONUP:
        if (m_nStyle == 1) {
            ShowWindow(SW_HIDE);
            if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd) main->PostMessage(kMsgFrameUser, 11, 1);
        }
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

