// The scroll bar control.
#include <QScrollBar>

#include "platform/ControlsPrivate.h"

using namespace platform;

void CScrollBar::CreateNative(DWORD style) {
    auto* sb = new QScrollBar((style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal);
    sb->setRange(0, 100);
    const bool vert = style & SBS_VERT;
    QObject::connect(sb, &QScrollBar::actionTriggered, sb, [this, sb, vert](int action) {
        const UINT code = ScrollActionCode(action);
        if (code == SB_ENDSCROLL) return;
        if (!m_hWnd) return;
        // like the classic control, the position only moves when the owner sets it
        int pos = code == SB_THUMBTRACK ? sb->sliderPosition() : sb->value();
        if (CWnd* p = GetParent())
            p->SendMessage(vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), (LPARAM)m_hWnd);
    });
    QObject::connect(sb, &QScrollBar::sliderReleased, sb, [this, sb, vert] {
        if (!m_hWnd) return;
        if (CWnd* p = GetParent()) {
            p->SendMessage(vert ? WM_VSCROLL : WM_HSCROLL,
                           MAKEWPARAM(SB_THUMBPOSITION, sb->sliderPosition()), (LPARAM)m_hWnd);
            p->SendMessage(vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                           (LPARAM)m_hWnd);
        }
    });
    d->widget = sb;
}
// The members send the bar its messages, so a subclass answering them is what they reach.
BOOL CScrollBar::SetScrollInfo(const SCROLLINFO* info, BOOL redraw) {
    if (!info) return FALSE;
    SendMessage(SBM_SETSCROLLINFO, (WPARAM)redraw, (LPARAM)info);
    return TRUE;
}
BOOL CScrollBar::GetScrollInfo(SCROLLINFO* info, UINT mask) const {
    if (!info) return FALSE;
    info->fMask = mask;
    return (BOOL) const_cast<CScrollBar*>(this)->SendMessage(SBM_GETSCROLLINFO, 0, (LPARAM)info);
}
void CScrollBar::SetScrollRange(int minPos, int maxPos, BOOL redraw) {
    SendMessage(redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, (WPARAM)minPos, (LPARAM)maxPos);
}
void CScrollBar::GetScrollRange(int* minPos, int* maxPos) const {
    int lo = 0, hi = 0;
    const_cast<CScrollBar*>(this)->SendMessage(SBM_GETRANGE, (WPARAM)&lo, (LPARAM)&hi);
    if (minPos) *minPos = lo;
    if (maxPos) *maxPos = hi;
}
int CScrollBar::SetScrollPos(int pos, BOOL redraw) {
    return (int)SendMessage(SBM_SETPOS, (WPARAM)pos, (LPARAM)redraw);
}
int CScrollBar::GetScrollPos() const {
    return (int)const_cast<CScrollBar*>(this)->SendMessage(SBM_GETPOS);
}
int CScrollBar::GetScrollLimit() const {
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(&si, SIF_RANGE | SIF_PAGE)) return 0;
    return std::max(si.nMin, si.nMax - std::max(0, (int)si.nPage - 1));
}

LRESULT CScrollBar::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    auto* sb = As<QScrollBar>(this);
    if (!sb) return CNativeCtrl::DefWindowProc(msg, wp, lp);
    switch (msg) {
        case SBM_SETSCROLLINFO: {
            auto* info = reinterpret_cast<const SCROLLINFO*>(lp);
            if (!info) return 0;
            QSignalBlocker block(sb);
            int minV = sb->minimum(), maxV = sb->maximum() + sb->pageStep() - 1;
            int page = sb->pageStep();
            if (info->fMask & SIF_RANGE) {
                minV = info->nMin;
                maxV = info->nMax;
            }
            if (info->fMask & SIF_PAGE) page = std::max(1, (int)info->nPage);
            // the classic range includes the page: the last position is max - page + 1
            sb->setPageStep(page);
            sb->setRange(minV, std::max(minV, maxV - page + 1));
            if (info->fMask & SIF_POS) sb->setValue(info->nPos);
            return sb->value();
        }
        case SBM_GETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(lp);
            if (!info) return FALSE;
            info->nMin = sb->minimum();
            info->nMax = sb->maximum() + sb->pageStep() - 1;
            info->nPage = (UINT)sb->pageStep();
            info->nPos = sb->value();
            info->nTrackPos = sb->sliderPosition();
            return TRUE;
        }
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW: {
            QSignalBlocker block(sb);
            const int old = sb->value();
            sb->setPageStep(1);
            sb->setRange((int)wp, std::max((int)wp, (int)lp));
            return old;
        }
        case SBM_GETRANGE: {
            if (wp) *reinterpret_cast<int*>(wp) = sb->minimum();
            if (lp) *reinterpret_cast<int*>(lp) = sb->maximum() + sb->pageStep() - 1;
            return 0;
        }
        case SBM_SETPOS: {
            QSignalBlocker block(sb);
            const int old = sb->value();
            sb->setValue((int)wp);
            return old;
        }
        case SBM_GETPOS:
            return sb->value();
        default:
            return CNativeCtrl::DefWindowProc(msg, wp, lp);
    }
}
