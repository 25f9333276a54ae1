// The tool bar: buttons, their states and their drawing hooks.
#include "platform/SkinToolBar.h"

#include "platform/Button.h"
#include "platform/Frame.h"
#include "platform/Icon.h"
#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"
#include "platform/ToolTip.h"

namespace {
const int kSeparator = 8;
const COLORREF kFace = RGB(240, 240, 240);
}  // namespace

CSkinToolBar::CSkinToolBar() : m_images(std::make_unique<CImageList>()) {
    m_cxLeftBorder = 4;
    m_cxRightBorder = 4;
    m_cyTopBorder = 2;
    m_cyBottomBorder = 2;
}
CSkinToolBar::~CSkinToolBar() = default;

BOOL CSkinToolBar::Create(CWnd* parent, DWORD style, UINT id) {
    return CreateEx(parent, 0, style, CRect(0, 0, 0, 0), id);
}
BOOL CSkinToolBar::CreateEx(CWnd* parent, DWORD, DWORD style, CRect borders, UINT id) {
    if (!(style & CBRS_ALIGN_ANY)) style |= CBRS_TOP;
    if (borders.left || borders.top || borders.right || borders.bottom) {
        m_cxLeftBorder = borders.left;
        m_cyTopBorder = borders.top;
        m_cxRightBorder = borders.right;
        m_cyBottomBorder = borders.bottom;
    }
    return CreateBar(style, CRect(0, 0, 100, m_button.cy + m_cyTopBorder + m_cyBottomBorder),
                     parent, id, "ToolbarWindow32");
}

void CSkinToolBar::SetSizes(SIZE button, SIZE image) {
    if (button.cx <= 0 || button.cy <= 0 || image.cx <= 0 || image.cy <= 0) return;
    m_button = CSize(button.cx, button.cy);
    if (m_image != CSize(image.cx, image.cy)) {
        m_image = CSize(image.cx, image.cy);
        m_images->DeleteImageList();
    }
    if (m_hWnd) Invalidate();
}

BOOL CSkinToolBar::LoadBitmap(UINT id) {
    CBitmap bmp;
    if (!bmp.LoadBitmap(id)) return FALSE;
    m_images->Create(m_image.cx, m_image.cy, ILC_COLOR32 | ILC_MASK, 0, 8);
    if (m_images->Add(&bmp, m_mask) < 0) return FALSE;
    if (m_hWnd) Invalidate();
    return TRUE;
}

BOOL CSkinToolBar::LoadToolBar(UINT id) {
    int w = 0, h = 0;
    std::vector<UINT> ids;
    if (!platform::LoadToolBarResource(id, w, h, ids)) return FALSE;
    SetSizes(CSize(w + 7, h + 6), CSize(w, h));
    if (!LoadBitmap(id)) return FALSE;
    return SetButtons(ids.data(), (int)ids.size());
}

BOOL CSkinToolBar::SetButtons(const UINT* ids, int count) {
    if (count < 0 || (count > 0 && !ids)) return FALSE;
    m_buttons.clear();
    int image = 0;
    for (int i = 0; i < count; ++i) {
        Button b;
        b.id = ids[i];
        if (b.id == 0) {
            b.style = TBBS_SEPARATOR;
        } else {
            b.image = image++;
        }
        m_buttons.push_back(b);
    }
    m_hot = m_pressed = -1;
    if (m_hWnd) Invalidate();
    return TRUE;
}

int CSkinToolBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].id == id && !(m_buttons[i].style & TBBS_SEPARATOR)) return (int)i;
    return -1;
}
UINT CSkinToolBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_buttons[(size_t)index].id : 0;
}
std::vector<CRect> CSkinToolBar::LayoutButtons() const {
    std::vector<CRect> out;
    int x = m_cxLeftBorder;
    const int top = m_cyTopBorder;
    for (const Button& b : m_buttons) {
        if (b.style & TBBS_HIDDEN) {
            out.emplace_back(x, top, x, top);
            continue;
        }
        const int w = (b.style & TBBS_SEPARATOR) ? kSeparator : m_button.cx;
        out.emplace_back(x, top, x + w, top + m_button.cy);
        x += w;
    }
    return out;
}
void CSkinToolBar::GetItemRect(int index, LPRECT rc) const {
    if (!rc) return;
    if (index < 0 || index >= GetCount()) {
        *rc = RECT{0, 0, 0, 0};
        return;
    }
    *rc = LayoutButtons()[(size_t)index];
}
UINT CSkinToolBar::GetButtonStyle(int index) const {
    return index >= 0 && index < GetCount() ? m_buttons[(size_t)index].style : 0;
}
void CSkinToolBar::SetButtonStyle(int index, UINT style) {
    if (index < 0 || index >= GetCount() || m_buttons[(size_t)index].style == style) return;
    m_buttons[(size_t)index].style = style;
    if (m_hWnd) Invalidate(FALSE);
}
void CSkinToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const {
    id = style = 0;
    image = -1;
    if (index < 0 || index >= GetCount()) return;
    id = m_buttons[(size_t)index].id;
    style = m_buttons[(size_t)index].style;
    image = m_buttons[(size_t)index].image;
}
void CSkinToolBar::SetButtonInfo(int index, UINT id, UINT style, int image) {
    if (index < 0 || index >= GetCount()) return;
    Button& b = m_buttons[(size_t)index];
    if (b.id != id) b.text.clear();  // a text set for another command does not carry over
    b.id = id;
    b.style = style;
    b.image = image;
    if (m_hWnd) Invalidate(FALSE);
}
int CSkinToolBar::HitTest(CPoint pt) const {
    const std::vector<CRect> rects = LayoutButtons();
    for (size_t i = 0; i < rects.size(); ++i)
        if (rects[i].PtInRect(pt) && !(m_buttons[i].style & (TBBS_SEPARATOR | TBBS_HIDDEN)))
            return (int)i;
    return -1;
}

CSize CSkinToolBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    int w = m_cxLeftBorder + m_cxRightBorder;
    for (const Button& b : m_buttons)
        if (!(b.style & TBBS_HIDDEN)) w += (b.style & TBBS_SEPARATOR) ? kSeparator : m_button.cx;
    const int h = m_button.cy + m_cyTopBorder + m_cyBottomBorder;
    if (horz) return CSize(stretch ? 32767 : w, h);
    return CSize(m_button.cx + m_cxLeftBorder + m_cxRightBorder, stretch ? 32767 : h);
}

void CSkinToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    if (!target) return;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        Button& b = m_buttons[i];
        if (b.style & TBBS_SEPARATOR) continue;
        CCmdUI ui = target->QueryCommandState(b.id);
        UINT style = b.style & ~TBBS_DISABLED;
        if ((ui.m_bHandled && !ui.m_bEnabled) || (!ui.m_bHandled && disableIfNoHandler))
            style |= TBBS_DISABLED;
        if (ui.m_bHandled) style = (style & ~TBBS_CHECKED) | (ui.m_nCheck ? TBBS_CHECKED : 0);
        SetButtonStyle((int)i, style);
    }
}

void CSkinToolBar::Click(int index) {
    Button& b = m_buttons[(size_t)index];
    if ((b.style & TBBS_CHECKGROUP) == TBBS_CHECKGROUP) {
        // a group runs from a TBBS_GROUP button up to the next one
        size_t first = (size_t)index;
        while (first > 0 && !(m_buttons[first].style & TBBS_GROUP)) --first;
        for (size_t i = first; i < m_buttons.size(); ++i) {
            if (i > first && (m_buttons[i].style & TBBS_GROUP)) break;
            if (m_buttons[i].style & TBBS_CHECKBOX) m_buttons[i].style &= ~TBBS_CHECKED;
        }
        b.style |= TBBS_CHECKED;
    } else if (b.style & TBBS_CHECKBOX) {
        b.style ^= TBBS_CHECKED;
    }
    Invalidate(FALSE);
    const UINT id = b.id;
    CWnd* owner = GetOwner();
    if (owner) owner->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)m_hWnd);
}

void CSkinToolBar::SetHot(int index) {
    if (index == m_hot) return;
    m_hot = index;
    Invalidate(FALSE);
    ShowTip(false);
    if (index >= 0) {
        DWORD flags = TME_LEAVE;
        if (m_dwStyle & CBRS_TOOLTIPS) flags |= TME_HOVER;
        TRACKMOUSEEVENT tme{sizeof(tme), flags, m_hWnd, HOVER_DEFAULT};
        ::TrackMouseEvent(&tme);
    }
}

void CSkinToolBar::SetButtonText(int index, const std::string& text) {
    if (index >= 0 && index < GetCount()) m_buttons[(size_t)index].text = text;
}
std::string CSkinToolBar::GetButtonText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    const Button& b = m_buttons[(size_t)index];
    if (!b.text.empty() || b.id == 0) return b.text;
    std::vector<unsigned char> bytes;
    if (!platform::LoadResourceBytes("STRING", b.id, bytes)) return {};
    std::string s(bytes.begin(), bytes.end());
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    const size_t nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(nl + 1);
}

void CSkinToolBar::ShowTip(bool show) {
    TOOLINFO ti;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = m_hWnd;
    ti.uId = 1;
    if (!show) {
        if (m_tip && m_tip->m_hWnd) m_tip->SendMessage(TTM_TRACKACTIVATE, FALSE, (LPARAM)&ti);
        return;
    }
    const std::string text = GetButtonText(m_hot);
    if (text.empty() || m_pressed >= 0) return;
    if (!m_tip) {
        m_tip = std::make_unique<CToolTipCtrl>();
        if (!m_tip->Create(this, TTS_NOPREFIX | TTS_ALWAYSTIP)) {
            m_tip.reset();
            return;
        }
        ti.lpszText = "";
        m_tip->SendMessage(TTM_ADDTOOL, 0, (LPARAM)&ti);
    }
    ti.lpszText = text.c_str();
    m_tip->SendMessage(TTM_UPDATETIPTEXT, 0, (LPARAM)&ti);
    CRect rc;
    GetItemRect(m_hot, &rc);
    CPoint below(rc.left, rc.bottom + 2);
    ClientToScreen(&below);
    m_tip->SendMessage(TTM_TRACKPOSITION, 0, MAKELPARAM(below.x, below.y));
    m_tip->SendMessage(TTM_TRACKACTIVATE, TRUE, (LPARAM)&ti);
}

LRESULT CSkinToolBar::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    CPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    switch (msg) {
        case WM_PAINT: {
            CPaintDC dc(this);
            CRect client;
            GetClientRect(&client);
            DrawBackground(&dc, client);
            const std::vector<CRect> rects = LayoutButtons();
            for (size_t i = 0; i < m_buttons.size(); ++i) {
                const Button& b = m_buttons[i];
                if (b.style & TBBS_HIDDEN) continue;
                UINT state = b.style;
                // held down and the pointer still over it
                if ((int)i == m_pressed && m_hot == m_pressed) state |= TBBS_PRESSED;
                DrawButton(&dc, (int)i, rects[i], state, (int)i == m_hot);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            SetHot(HitTest(pt));
            return 0;
        case WM_MOUSEHOVER:
            if ((m_dwStyle & CBRS_TOOLTIPS) && m_hot >= 0) ShowTip(true);
            return 0;
        case WM_MOUSELEAVE:
            ShowTip(false);
            if (m_pressed < 0) SetHot(-1);
            return 0;
        case WM_DESTROY:
            if (m_tip && m_tip->m_hWnd) m_tip->DestroyWindow();
            m_tip.reset();
            return CControlBar::DefWindowProc(msg, wp, lp);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const int i = HitTest(pt);
            ShowTip(false);
            if (i < 0 || (m_buttons[(size_t)i].style & TBBS_DISABLED)) return 0;
            m_pressed = i;
            m_hot = i;
            SetCapture();
            Invalidate(FALSE);
            return 0;
        }
        case WM_LBUTTONUP: {
            if (m_pressed < 0) return 0;
            const int pressed = m_pressed;
            m_pressed = -1;
            if (CWnd::GetCapture() == this) ::ReleaseCapture();
            const int i = HitTest(pt);
            SetHot(i);
            Invalidate(FALSE);
            if (i == pressed && !(m_buttons[(size_t)i].style & TBBS_DISABLED)) Click(i);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (m_pressed >= 0) {
                m_pressed = -1;
                Invalidate(FALSE);
            }
            return 0;
        default:
            return CControlBar::DefWindowProc(msg, wp, lp);
    }
}

void CSkinToolBar::DrawBackground(CDC* dc, const CRect& rc) {
    dc->FillSolidRect(&rc, kFace);
}

void CSkinToolBar::DrawButton(CDC* dc, int index, const CRect& rc, UINT state, BOOL hot) {
    const Button& b = m_buttons[(size_t)index];
    if (state & TBBS_SEPARATOR) {
        const int x = rc.left + rc.Width() / 2 - 1;
        CRect line(x, rc.top + 2, x + 1, rc.bottom - 2);
        dc->FillSolidRect(&line, RGB(160, 160, 160));
        line.OffsetRect(1, 0);
        dc->FillSolidRect(&line, RGB(255, 255, 255));
        return;
    }
    const bool disabled = (state & TBBS_DISABLED) != 0;
    const bool down = !disabled && (state & (TBBS_PRESSED | TBBS_CHECKED));
    if (down)
        dc->Draw3dRect(&rc, RGB(160, 160, 160), RGB(255, 255, 255));
    else if (hot && !disabled)
        dc->Draw3dRect(&rc, RGB(255, 255, 255), RGB(160, 160, 160));
    if (b.image < 0 || b.image >= m_images->GetImageCount()) return;
    CPoint at(rc.left + (rc.Width() - m_image.cx) / 2, rc.top + (rc.Height() - m_image.cy) / 2);
    if (down) at.Offset(1, 1);
    if (disabled) {
        HICON icon = m_images->ExtractIcon(b.image);
        DrawState(dc, at, m_image, icon, DST_ICON | DSS_DISABLED);
        DestroyIcon(icon);
    } else {
        m_images->Draw(dc, b.image, at, ILD_TRANSPARENT);
    }
}
