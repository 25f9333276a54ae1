#include "ui/dialog/SkinControls.h"

#include <tinyxml2.h>

#include <algorithm>

#include "platform/Resource.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinXml.h"
#include "ui/draw/DrawHelpers.h"

// ---------------------------------------------------------------- combo box

void MyComboListLine::Draw(CDC* dc, BOOL selected) {
    if (!m_pGrid) return;
    CRect rc(left, top, right, bottom - 1);
    dc->FillSolidRect(&rc, selected ? m_pGrid->m_gridhighbk : m_pGrid->m_gridbk);
    auto* list = dynamic_cast<MyComboList*>(m_pGrid->m_pHost);
    if (!list) return;
    CFont* old = dc->SelectObject(&m_pGrid->m_font);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(selected ? list->m_clrHighText : list->m_clrText);
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void MyComboList::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rcList = skinxml::ReadRect(e, "rect");
    m_nDropLimit = m_rcList.Height();
    skinxml::Rgb rgb;
    m_clrBorder = rgb.Read(e, "cblistborder");
    m_clrText = rgb.Read(e, "cblistText");
    m_clrHighText = rgb.Read(e, "cblistHighText");
    m_grid.LoadStyle(e->FirstChildElement("GridUI"));
}

void MyComboList::FillPage() {
    auto& rows = m_grid.m_rows;
    const int top = m_grid.m_nTopRow;
    const int count = int(m_items.size());
    const int n = top < count ? std::min<int>(m_grid.m_nPageRows, count - top) : 0;
    for (int i = 0; i < n; ++i) {
        if (i >= int(rows.size())) {
            auto line = std::make_shared<MyComboListLine>();
            line->m_pGrid = &m_grid;
            rows.push_back(line);
        }
        if (auto* line = dynamic_cast<MyComboListLine*>(rows[size_t(i)].get()))
            line->m_strText = m_items[size_t(top + i)];
    }
    rows.resize(size_t(n));
}

void MyComboList::Relayout() {
    CRect rc;
    GetClientRect(&rc);
    m_rcList = rc;
    rc.DeflateRect(1, 1);
    m_grid.SetRect(rc);
    m_grid.LayoutColumns();
    m_grid.SetTopRow(m_grid.m_nTopRow);
    m_grid.LayoutRows();
}

int MyComboList::OnCreate(LPCREATESTRUCT cs) {
    m_grid.Attach(this);
    m_grid.m_fnFillPage = [this] { FillPage(); };
    return CWnd::OnCreate(cs);
}

void MyComboList::OnSize(UINT, int, int) { Relayout(); }

void MyComboList::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_grid.m_gridbk);
    CBrush border(m_clrBorder);
    dc.FrameRect(&rc, &border);
    m_grid.Draw(&dc);
}

// The highlighted row follows the mouse; the combo box's item changes only on a click.
void MyComboList::OnMouseMove(UINT, CPoint pt) {
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
    ::TrackMouseEvent(&tme);
    if (pt.x == m_nLastX && pt.y == m_nLastY) return;
    m_nLastX = pt.x;
    m_nLastY = pt.y;
    int row = m_grid.HitTestRow(pt.x, pt.y);
    if (row != m_grid.m_nSelectedRow) {
        m_grid.m_nSelectedRow = int16_t(row);
        Invalidate(FALSE);
    }
}

void MyComboList::OnMouseLeave() {
    m_nLastX = m_nLastY = -1;
    // Back to the current item, so that the list does not claim a row the mouse left.
    if (m_pCombo && m_grid.m_nSelectedRow != m_pCombo->GetCurSel()) {
        m_grid.m_nSelectedRow = int16_t(m_pCombo->GetCurSel());
        Invalidate(FALSE);
    }
}

void MyComboList::OnLButtonUp(UINT, CPoint pt) {
    if (!m_pCombo || !m_pCombo->m_hWnd) return;
    const int row = m_grid.HitTestRow(pt.x, pt.y);
    ShowWindow(SW_HIDE);
    if (row < 0) {
        m_grid.m_nSelectedRow = int16_t(m_pCombo->GetCurSel());
        return;
    }
    m_pCombo->Choose(row);
}

BOOL MyComboList::OnMouseWheel(UINT, short delta, CPoint) {
    m_grid.OnScroll(delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0, FALSE);
    Invalidate(FALSE);
    return TRUE;
}

void MyComboList::OnVScroll(UINT code, UINT pos, CWnd*) {
    m_grid.OnScroll(int(code), int(pos), FALSE);
    Invalidate(FALSE);
}

void MyComboList::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CWnd::OnActivate(state, other, minimized);
    if (state == 0 && IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        if (m_pCombo) m_grid.m_nSelectedRow = int16_t(m_pCombo->GetCurSel());
    }
}

MyComboBox::MyComboBox() { m_list.m_pCombo = this; }

void MyComboBox::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rcPlace = skinxml::ReadRect(e, "rect");
    skinxml::Rgb rgb;
    m_clrBorder = rgb.Read(e, "comboborder");
    m_clrBk = rgb.Read(e, "comboBK");
    m_clrArrow = rgb.Read(e, "comboArrow");
    m_clrText = rgb.Read(e, "comboText");
    m_nCommandId = skinxml::ReadInt(e, "commandid");
    m_list.LoadFromXml(e->FirstChildElement("combolist"));
}

BOOL MyComboBox::CreateCombo(CWnd* parent) {
    m_pParent = parent;
    if (!CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, m_rcPlace, parent, UINT(NextControlId()))) return FALSE;
    CRect rc = m_list.m_rcList;
    if (!m_list.CreateEx(WS_EX_TOOLWINDOW, nullptr, "", WS_POPUP, rc, parent, 0)) return FALSE;
    m_list.SetOwner(this);
    return TRUE;
}

void MyComboBox::AddItem(const std::string& text) {
    m_list.m_items.push_back(text);
    m_list.m_grid.m_nRowCount = int16_t(std::min<size_t>(m_list.m_items.size(), 32767));
}

void MyComboBox::ResetContent() {
    m_list.m_items.clear();
    m_list.m_grid.m_nRowCount = 0;
    m_list.m_grid.m_nTopRow = 0;
    m_list.m_grid.m_rows.clear();
    m_nCurSel = -1;
    m_list.m_grid.m_nSelectedRow = -1;
}

void MyComboBox::SetCurSel(int index) {
    m_nCurSel = index;
    m_list.m_grid.m_nSelectedRow = int16_t(index);
    if (m_hWnd) Invalidate(FALSE);
}

std::string MyComboBox::GetCurText() const {
    if (m_nCurSel < 0 || m_nCurSel >= GetCount()) return {};
    return m_list.m_items[size_t(m_nCurSel)];
}

// The rows plus the list's 1-pixel border above and below: without it the last row of a
// short list would not fit and the list would scroll although there was room.
int MyComboBox::DropHeight() const {
    const int rows = m_list.m_grid.m_nLineHeight * GetCount();
    if (rows <= 0) return 0;
    return std::max(0, std::min<int>(m_list.m_nDropLimit, rows + 2));
}

void MyComboBox::ToggleDropDown() {
    if (!m_list.m_hWnd) return;
    if (m_list.IsWindowVisible()) {
        m_list.ShowWindow(SW_HIDE);
        m_list.m_grid.m_nSelectedRow = int16_t(m_nCurSel);
        return;
    }
    const int height = DropHeight();
    if (height == 0) return;
    CRect rc;
    GetClientRect(&rc);
    CPoint at(rc.left, rc.bottom);
    ClientToScreen(&at);
    m_list.SetWindowPos(nullptr, at.x, at.y, rc.Width(), height, SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    m_list.m_grid.m_nSelectedRow = int16_t(m_nCurSel);
    m_list.Relayout();
    // The current item in view.
    if (m_nCurSel >= 0 && (m_nCurSel < m_list.m_grid.m_nTopRow ||
                           m_nCurSel >= m_list.m_grid.m_nTopRow + m_list.m_grid.m_nPageRows))
        m_list.m_grid.SetTopRow(m_nCurSel);
    m_list.ShowWindow(SW_SHOWNOACTIVATE);
    m_list.Invalidate(FALSE);
}

void MyComboBox::Choose(int row) {
    m_nCurSel = row;
    m_list.m_grid.m_nSelectedRow = int16_t(row);
    Invalidate(FALSE);
    if (m_pParent && m_pParent->m_hWnd) m_pParent->PostMessage(UM_COMBO_CHOSEN, 0, 0);
}

int MyComboBox::OnCreate(LPCREATESTRUCT cs) {
    int r = CWnd::OnCreate(cs);
    GetClientRect(&m_rcClient);
    OnSize(0, m_rcClient.Width(), m_rcClient.Height());
    return r;
}

void MyComboBox::OnSize(UINT, int cx, int cy) {
    m_rcClient = CRect(0, 0, cx, cy);
    if (m_rcClient.IsRectEmpty()) return;
    m_rcArrow.left = m_rcClient.right - 11;
    m_rcArrow.right = m_rcClient.right - 6;
    m_rcArrow.top = m_rcClient.top + (m_rcClient.Height() - 10) / 2;
    m_rcArrow.bottom = m_rcArrow.top + 10;
}

void MyComboBox::OnPaint() {
    CPaintDC dc(this);
    CRect rc = m_rcClient;
    dc.FillSolidRect(&rc, m_clrBk);
    CPen pen(PS_SOLID, 1, m_clrBorder);
    CPen* old = dc.SelectObject(&pen);
    dc.MoveTo(rc.left, rc.top);
    dc.LineTo(rc.left, rc.bottom - 1);
    dc.LineTo(rc.right - 1, rc.bottom - 1);
    dc.LineTo(rc.right - 1, rc.top);
    dc.LineTo(rc.left, rc.top);
    dc.SelectObject(old);
    FillRightTriangle(m_clrArrow, &dc, m_rcArrow.left, m_rcArrow.top, m_rcArrow.right, m_rcArrow.bottom);
    std::string text = GetCurText();
    if (!text.empty()) {
        CFont* oldFont = dc.SelectObject(&m_list.m_grid.m_font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(m_clrText);
        CRect t(rc.left, rc.top, m_rcArrow.left, rc.bottom);
        dc.DrawText(text, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc.SelectObject(oldFont);
    }
}

void MyComboBox::OnLButtonDown(UINT, CPoint) { ToggleDropDown(); }

void MyComboBox::OnMouseMove(UINT, CPoint pt) {
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
    ::TrackMouseEvent(&tme);
    m_nLastX = pt.x;
    m_nLastY = pt.y;
}

void MyComboBox::OnMouseLeave() { m_nLastX = m_nLastY = -1; }

void MyComboBox::OnDestroy() {
    if (m_list.m_hWnd) m_list.DestroyWindow();
    CWnd::OnDestroy();
}

// ---------------------------------------------------------------- edit

CMyEditCtrl::CMyEditCtrl() = default;
CMyEditCtrl::~CMyEditCtrl() = default;

void CMyEditCtrl::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rcPlace = skinxml::ReadRect(e, "rect");
    m_bHasBorder = skinxml::EqualsNoCase(e->Attribute("hasborder"), "true");
    skinxml::Rgb rgb;
    m_clrBk = rgb.Read(e, "colorBK");
    m_clrText = rgb.Read(e, "colorText");
    m_clrDisabledBk = rgb.Read(e, "disablecolorBK");
    m_clrDisabledText = rgb.Read(e, "disablecolorText");
    m_clrHighBorder = rgb.Read(e, "hicolorborder");
    m_clrNormalBorder = rgb.Read(e, "normalcolorborder");
    m_clrDisabledBorder = rgb.Read(e, "disablecolorborder");
    m_nCommandId = skinxml::ReadInt(e, "commandid");
    m_bTranslateReturn = skinxml::ReadFlag(e, "TranslateReturn");
    int icon = skinxml::ReadInt(e, "icondid");
    m_pIcon.reset();
    if (icon > 0) {
        auto bmp = std::make_unique<CBitmap>();
        if (bmp->LoadResourcePicture("PNG", UINT(icon))) m_pIcon = std::move(bmp);
    }
    m_brush.DeleteObject();
    m_brush.CreateSolidBrush(m_clrBk);
}

BOOL CMyEditCtrl::CreateEdit(CWnd* parent) {
    const UINT id = m_nCommandId ? UINT(m_nCommandId) : UINT(NextControlId());
    if (!Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, m_rcPlace, parent, id)) return FALSE;
    // The insets of the skinned frame.
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

COLORREF CMyEditCtrl::FrameColor() const {
    if (m_hWnd && !IsWindowEnabled()) return m_clrDisabledBorder;
    return m_bHover ? m_clrHighBorder : m_clrNormalBorder;
}

void CMyEditCtrl::DrawFrame() {
    if (!m_hWnd || !m_bHasBorder) return;
    CWindowDC dc(this);
    CRect rc;
    GetWindowRect(&rc);
    rc.OffsetRect(-rc.left, -rc.top);
    CBrush frame(FrameColor());
    dc.FrameRect(&rc, &frame);
    CBrush fill(IsWindowEnabled() ? m_clrBk : m_clrDisabledBk);
    rc.DeflateRect(1, 1);
    dc.FrameRect(&rc, &fill);
    for (int i = 0; i < m_nVertInset - 2; ++i) {
        rc.top += 1;
        rc.bottom -= 1;
        dc.FrameRect(&rc, &fill);
    }
    // The left inset beside the text, which the frames above do not reach with an icon.
    CRect left(1, 1, m_nLeftInset, rc.bottom + m_nVertInset);
    if (m_nLeftInset > 2) dc.FillRect(&left, &fill);
    if (m_pIcon && !m_pIcon->IsNull()) {
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        CBitmap* old = mem.SelectObject(m_pIcon.get());
        CSize s = m_pIcon->GetSize();
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        dc.AlphaBlend(5, 8, s.cx, s.cy, &mem, 0, 0, s.cx, s.cy, blend);
        mem.SelectObject(old);
    }
}

BOOL CMyEditCtrl::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_RETURN && m_bTranslateReturn) {
            if (CWnd* parent = GetParent()) parent->PostMessage(UM_EDIT_RETURN, 0, 0);
            return TRUE;
        }
        if (msg->wParam == VK_ESCAPE) {
            if (CWnd* parent = GetParent()) parent->SetFocus();
            return TRUE;
        }
    }
    return CEdit::PreTranslateMessage(msg);
}

LRESULT CMyEditCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case OCM__BASE + WM_CTLCOLOREDIT:
        case OCM__BASE + WM_CTLCOLORSTATIC: {
            const bool enabled = IsWindowEnabled();
            m_brush.DeleteObject();
            m_brush.CreateSolidBrush(enabled ? m_clrBk : m_clrDisabledBk);
            auto* dc = reinterpret_cast<CDC*>(wParam);
            dc->SetTextColor(enabled ? m_clrText : m_clrDisabledText);
            dc->SetBkColor(enabled ? m_clrBk : m_clrDisabledBk);
            return reinterpret_cast<LRESULT>(&m_brush);
        }
        case WM_NCCALCSIZE: {
            if (m_bHasBorder) {
                auto* rc = reinterpret_cast<RECT*>(lParam);
                const bool icon = m_pIcon && !m_pIcon->IsNull();
                const int height = rc->bottom - rc->top;
                m_nLeftInset = icon ? m_pIcon->GetSize().cx + 12 : 2;
                m_nVertInset = icon ? std::max(2, (height - int(m_pIcon->GetSize().cy)) / 2) : 2;
                rc->top += m_nVertInset;
                rc->bottom -= m_nVertInset;
                rc->left += m_nLeftInset;
                rc->right -= 2;
            } else {
                m_nLeftInset = m_nVertInset = 0;
            }
            return CEdit::WindowProc(msg, wParam, lParam);
        }
        case WM_PAINT: {
            LRESULT r = CEdit::WindowProc(msg, wParam, lParam);
            DrawFrame();
            return r;
        }
        case WM_MOUSEMOVE:
            if (!m_bTracking) {
                TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 50};
                m_bTracking = ::TrackMouseEvent(&tme) != FALSE;
            }
            break;
        case WM_MOUSEHOVER:
            m_bHover = true;
            if (m_bHasBorder) Invalidate(FALSE);
            return 0;
        case WM_MOUSELEAVE:
            m_bTracking = false;
            m_bHover = false;
            if (m_bHasBorder) Invalidate(FALSE);
            return 0;
        default:
            break;
    }
    return CEdit::WindowProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- rich edit, progress

void MyRichEditCtrl::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rect = skinxml::ReadRect(e, "rect");
    skinxml::Rgb rgb;
    m_clrBk = rgb.Read(e, "richEditbk");
    m_nCommandId = skinxml::ReadInt(e, "commandid");
}

CMyProgressCtrl::CMyProgressCtrl() {
    if (m_bar.LoadBitmap(316)) m_barSize = m_bar.GetSize();
}

void CMyProgressCtrl::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rect = skinxml::ReadRect(e, "rect");
    skinxml::Rgb rgb;
    m_clrBk = rgb.Read(e, "colorbk");
    m_clrBorder = rgb.Read(e, "colorborder");
    m_nCommandId = skinxml::ReadInt(e, "commandid", -1);
}

CRect CMyProgressCtrl::BarRect(int width, int height, int minimum, int maximum, int position) {
    // No range, no bar: there is nothing to measure the position against.
    if (maximum == minimum) return CRect(0, 0, 0, 0);
    const float fraction = float(position - minimum) / float(maximum - minimum);
    const int right = int(float(width - 4) * fraction);
    if (right <= 2) return CRect(0, 0, 0, 0);
    return CRect(2, 2, right, height - 2);
}

void CMyProgressCtrl::DrawBar(CDC* dc, const CRect& client) {
    dc->FillSolidRect(&client, m_clrBk);
    CRect bar = BarRect(client.Width(), client.Height(), m_nMin, m_nMax, m_nPos);
    if (!bar.IsRectEmpty() && !m_bar.IsNull()) {
        CDC mem;
        mem.CreateCompatibleDC(dc);
        CBitmap* old = mem.SelectObject(&m_bar);
        dc->StretchBlt(bar.left, bar.top, bar.Width(), bar.Height(), &mem, 0, 0, m_barSize.cx, m_barSize.cy, SRCCOPY);
        mem.SelectObject(old);
    }
    CBrush border(m_clrBorder);
    dc->FrameRect(&client, &border);
}

LRESULT CMyProgressCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        LRESULT r = CProgressCtrl::WindowProc(msg, wParam, lParam);
        CWindowDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        DrawBar(&dc, rc);
        return r;
    }
    if (msg == WM_NCPAINT) return 0;
    return CProgressCtrl::WindowProc(msg, wParam, lParam);
}
