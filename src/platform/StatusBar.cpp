// The status bar and its panes.
#include "platform/StatusBar.h"

#include "platform/Button.h"
#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"

namespace {
const int kGap = 3;     // between panes
const int kMargin = 2;  // text margin on each side of a pane
const COLORREF kFace = RGB(240, 240, 240);

int TextWidth(CWnd* w, const std::string& text) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = w->GetFont() ? dc.SelectObject(w->GetFont()) : nullptr;
    const int cx = text.empty() ? 0 : dc.GetTextExtent(text).cx;
    if (old) dc.SelectObject(old);
    return cx;
}
}  // namespace

CStatusBar::CStatusBar() {
    m_cxLeftBorder = 2;
    m_cxRightBorder = 2;
    m_cyTopBorder = 3;
    m_cyBottomBorder = 2;
}
CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
    return CreateEx(parent, 0, style, id);
}
BOOL CStatusBar::CreateEx(CWnd* parent, DWORD, DWORD style, UINT id) {
    if (!(style & CBRS_ALIGN_ANY)) style |= CBRS_BOTTOM;
    return CreateBar(style, CRect(0, 0, 200, 22), parent, id, "msctls_statusbar32");
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    if (count < 0 || (count > 0 && !ids)) return FALSE;
    m_panes.clear();
    for (int i = 0; i < count; ++i) {
        Pane p;
        p.id = ids[i];
        if (p.id != ID_SEPARATOR) {
            std::vector<unsigned char> bytes;
            if (platform::LoadResourceBytes("STRING", p.id, bytes))
                p.text.assign(bytes.begin(), bytes.end());
            while (!p.text.empty() && (p.text.back() == '\n' || p.text.back() == '\r'))
                p.text.pop_back();
            p.width = TextWidth(this, p.text);
        } else if (i == 0) {
            p.style = SBPS_NOBORDERS | SBPS_STRETCH;
        }
        m_panes.push_back(std::move(p));
    }
    if (m_hWnd) Invalidate();
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == id) return (int)i;
    return -1;
}
UINT CStatusBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[(size_t)index].id : 0;
}

std::vector<CRect> CStatusBar::LayoutPanes() const {
    CRect client;
    GetClientRect(&client);
    std::vector<CRect> out(m_panes.size());
    int total = m_cxLeftBorder + m_cxRightBorder;
    int stretch = -1;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        total += m_panes[i].width + 2 * kMargin + (i ? kGap : 0);
        if (stretch < 0 && (m_panes[i].style & SBPS_STRETCH)) stretch = (int)i;
    }
    const int extra = std::max(0, client.Width() - total);
    int x = client.left + m_cxLeftBorder;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        int w = m_panes[i].width + 2 * kMargin + ((int)i == stretch ? extra : 0);
        out[i] = CRect(x, client.top + m_cyTopBorder, x + w, client.bottom - m_cyBottomBorder);
        x += w + kGap;
    }
    return out;
}

void CStatusBar::GetItemRect(int index, LPRECT rc) const {
    if (!rc) return;
    if (index < 0 || index >= GetCount()) {
        *rc = RECT{0, 0, 0, 0};
        return;
    }
    *rc = LayoutPanes()[(size_t)index];
}
void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
    id = style = 0;
    width = 0;
    if (index < 0 || index >= GetCount()) return;
    const Pane& p = m_panes[(size_t)index];
    id = p.id;
    style = p.style;
    width = p.width;
}
void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    if (index < 0 || index >= GetCount()) return;
    Pane& p = m_panes[(size_t)index];
    p.id = id;
    p.style = style;
    p.width = std::max(0, width);
    if (m_hWnd) Invalidate();
}
UINT CStatusBar::GetPaneStyle(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[(size_t)index].style : 0;
}
void CStatusBar::SetPaneStyle(int index, UINT style) {
    if (index < 0 || index >= GetCount()) return;
    m_panes[(size_t)index].style = style;
    if (m_hWnd) Invalidate();
}
BOOL CStatusBar::SetPaneText(int index, const char* text, BOOL update) {
    if (index < 0 || index >= GetCount()) return FALSE;
    Pane& p = m_panes[(size_t)index];
    const std::string t = text ? text : "";
    if (p.text == t) return TRUE;
    p.text = t;
    if (m_hWnd && update) {
        CRect rc = LayoutPanes()[(size_t)index];
        InvalidateRect(&rc, TRUE);
    }
    return TRUE;
}
std::string CStatusBar::GetPaneText(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[(size_t)index].text : std::string();
}

CSize CStatusBar::CalcFixedLayout(BOOL stretch, BOOL) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = GetFont() ? dc.SelectObject(GetFont()) : nullptr;
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    if (old) dc.SelectObject(old);
    const int cy = std::max<int>(20, tm.tmHeight + 4 + m_cyTopBorder + m_cyBottomBorder);
    CRect rc;
    GetClientRect(&rc);
    return CSize(stretch ? 32767 : rc.Width(), cy);
}

LRESULT CStatusBar::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case OCM_DRAWITEM:
            DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        default:
            return CControlBar::DefWindowProc(msg, wp, lp);
    }
}

void CStatusBar::Paint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, kFace);
    if (m_dwStyle & CBRS_BORDER_TOP) {
        CRect line(client.left, client.top, client.right, client.top + 1);
        dc.FillSolidRect(&line, RGB(160, 160, 160));
    }
    CFont* old = GetFont() ? dc.SelectObject(GetFont()) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    const std::vector<CRect> rects = LayoutPanes();
    for (size_t i = 0; i < m_panes.size(); ++i) {
        const Pane& p = m_panes[i];
        CRect r = rects[i];
        if (!(p.style & SBPS_NOBORDERS)) {
            if (p.style & SBPS_POPOUT)
                dc.Draw3dRect(&r, RGB(255, 255, 255), RGB(160, 160, 160));
            else
                dc.Draw3dRect(&r, RGB(160, 160, 160), RGB(255, 255, 255));
        }
        if (p.style & SBPS_OWNERDRAW) {
            DRAWITEMSTRUCT dis{0, d->id, (UINT)i, ODA_DRAWENTIRE, 0, m_hWnd, &dc, r, 0};
            auto alive = d->alive;
            platform::SendDrawItem(this, &dis);
            if (!*alive) return;
            continue;
        }
        if (p.style & SBPS_DISABLED) continue;
        CRect t = r;
        t.DeflateRect(kMargin, 0);
        dc.DrawText(p.text, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (old) dc.SelectObject(old);
}
