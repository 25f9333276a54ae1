#include "ui/grid/XScrollBar.h"

#include <algorithm>
#include <cstdint>

#include "foundation/CommonColors.h"
#include "ui/CommonVar.h"
#include "ui/grid/GridUI.h"

CXScrollBar::CXScrollBar(CScrollUI* owner) : m_pOwner(owner) {
    m_info.cbSize = sizeof(SCROLLINFO);
    m_info.fMask = SIF_ALL;
}

BOOL CXScrollBar::CreateBar(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    m_bHorizontal = (style & SBS_VERT) == 0;
    BOOL ok = Create(nullptr, "", style, rect, parent, id);
    m_rcClient = rect;
    return ok;
}

void CXScrollBar::Normalize() {
    if (m_info.nMax < m_info.nMin) m_info.nMax = m_info.nMin;
    m_info.nPos = std::clamp(m_info.nPos, m_info.nMin, m_info.nMax);
}

int CXScrollBar::SetScrollInfo(const SCROLLINFO* info, BOOL) {
    if (!info) return 1;
    if (info->fMask & SIF_PAGE) m_info.nPage = info->nPage;
    if (info->fMask & SIF_POS) m_info.nPos = info->nPos;
    if (info->fMask & SIF_RANGE) {
        m_info.nMin = info->nMin;
        m_info.nMax = info->nMax;
    }
    if (info->fMask & SIF_TRACKPOS) m_info.nTrackPos = info->nTrackPos;
    Normalize();
    return 1;
}

int CXScrollBar::SetScrollPos(int pos, BOOL) {
    int old = m_info.nPos;
    m_info.nPos = std::clamp(pos, m_info.nMin, std::max(m_info.nMin, m_info.nMax));
    return old;
}

int CXScrollBar::Length() const {
    int len = m_bHorizontal ? m_rcClient.Width() : m_rcClient.Height();
    return std::max(len, 0);
}

CRect CXScrollBar::GetThumbRect() const {
    int64_t span = int64_t(m_info.nMax) + int64_t(m_info.nPage) - m_info.nMin;
    if (m_rcClient.IsRectEmpty() || span == 0) return CRect();
    uint32_t length = uint32_t(Length());
    // Unsigned, as the bar always computed it: a page wider than the range still fits.
    uint32_t thumb = uint32_t(uint64_t(m_info.nPage) * length / uint64_t(span));
    if (thumb < kThickness) thumb = kThickness;
    if (length < kThickness) return CRect();  // no room for a thumb
    int range = m_info.nMax - m_info.nMin;
    int offset = range == 0 ? 0
                            : int(int64_t(m_info.nPos - m_info.nMin) * (int64_t(length) - thumb) / range);
    CRect rc = m_bHorizontal ? CRect(offset, 0, offset + int(thumb), kThickness)
                             : CRect(0, offset, kThickness, offset + int(thumb));
    if (m_bHorizontal && rc.right > m_rcClient.right) {
        rc.right = m_rcClient.right;
        rc.left = rc.right - int(thumb);
    } else if (!m_bHorizontal && rc.bottom > m_rcClient.bottom) {
        rc.bottom = m_rcClient.bottom;
        rc.top = rc.bottom - int(thumb);
    }
    return rc;
}

void CXScrollBar::Report(int code, int pos) {
    if (m_pOwner) m_pOwner->OnScroll(code, pos, m_bHorizontal);
}

void CXScrollBar::DragTo(int d) {
    CRect thumb = GetThumbRect();
    int thumbLen = m_bHorizontal ? thumb.Width() : thumb.Height();
    int length = Length();
    int range = m_info.nMax - m_info.nMin;
    if (thumbLen <= 0 || range <= 0 || int(m_info.nPage) <= 0 || thumbLen >= length) return;
    // Rounded like MulDiv.
    int64_t num = int64_t(range) * d;
    int64_t den = length - thumbLen;
    int64_t q = (num >= 0 ? num + den / 2 : num - den / 2) / den;
    int pos = int(std::clamp<int64_t>(q + m_info.nMin, m_info.nMin, m_info.nMax));
    if (pos == m_info.nPos) return;
    m_info.nPos = pos;
    Report(SB_THUMBTRACK, pos);
}

void CXScrollBar::PressAt(CPoint pt) {
    CRect thumb = GetThumbRect();
    int c = m_bHorizontal ? pt.x : pt.y;
    int nearEdge = m_bHorizontal ? thumb.left : thumb.top;
    int farEdge = m_bHorizontal ? thumb.right : thumb.bottom;
    if (!thumb.IsRectEmpty() && thumb.PtInRect(pt)) {
        m_bDragging = TRUE;
        if (m_hWnd) SetCapture();
        m_nDragOffset = c - nearEdge;
    } else if (c < nearEdge) {
        Report(SB_PAGEUP, 0);
    } else if (c >= farEdge) {
        Report(SB_PAGEDOWN, 0);
    }
}

void CXScrollBar::MoveTo(CPoint pt) {
    if (m_bDragging) DragTo((m_bHorizontal ? pt.x : pt.y) - m_nDragOffset);
}

void CXScrollBar::ReleaseAt(CPoint) {
    if (!m_bDragging) return;
    m_bDragging = FALSE;
    if (m_hWnd && CWnd::GetCapture() == this) ::ReleaseCapture();
}

void CXScrollBar::Paint(CDC* dc) {
    if (m_rcClient.IsRectEmpty()) return;
    COLORREF back = m_clrBack ? m_clrBack : GetCommonVar()->GetColor(CommonColor::uniScrollBar_Back);
    COLORREF thumbColor =
        m_clrThumb ? m_clrThumb : GetCommonVar()->GetColor(CommonColor::uniScrollBar_ThumbBack);
    dc->FillSolidRect(&m_rcClient, back);
    CRect thumb = GetThumbRect();
    if (!thumb.IsRectEmpty()) dc->FillSolidRect(&thumb, thumbColor);
}

void CXScrollBar::OnPaint() {
    CPaintDC dc(this);
    Paint(&dc);
}

void CXScrollBar::OnLButtonDown(UINT, CPoint pt) { PressAt(pt); }
void CXScrollBar::OnMouseMove(UINT, CPoint pt) { MoveTo(pt); }
void CXScrollBar::OnLButtonUp(UINT, CPoint pt) { ReleaseAt(pt); }

void CXScrollBar::OnSize(UINT, int cx, int cy) {
    m_rcClient = CRect(0, 0, cx, cy);
    Normalize();
}
