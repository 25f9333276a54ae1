// Scroll bars of windows: their scroll info, the toolkit bars that show it, and the scroll
// state of the native controls that scroll themselves.
#include "platform/WindowScrollBars.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "platform/ControlsPrivate.h"

namespace platform {
namespace {
const int kBar = 17;  // thickness of a bar, as GetSystemMetrics reports it

// One window's bars; a child object of its widget, so it goes with it.
class Bars : public QObject {
public:
    struct Bar {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0};
        bool shown = false;
        bool known = false;  // the window has this bar (its style, or it was set or shown)
        bool disabled = false;  // EnableScrollBar(ESB_DISABLE_BOTH): shown, not usable
        int track = -1;  // the dragged position while the thumb is held
        QScrollBar* widget = nullptr;
    };
    CWnd* wnd;
    // the window object may go before its widget (and these bars) do
    std::shared_ptr<std::atomic<bool>> alive;
    Bar bars[2];  // SB_HORZ, SB_VERT

    explicit Bars(CWnd* w) : QObject(w->d->widget), wnd(w), alive(w->d->alive) {
        setObjectName(QStringLiteral("tarrowScrollBars"));
        for (int i = 0; i < 2; ++i) {
            auto* sb = new QScrollBar(i ? Qt::Vertical : Qt::Horizontal, w->d->widget);
            sb->setTracking(false);
            sb->hide();
            sb->installEventFilter(this);
            bars[i].widget = sb;
            QObject::connect(sb, &QScrollBar::actionTriggered, this,
                             [this, i](int action) { OnAction(i, action); });
            QObject::connect(sb, &QScrollBar::sliderMoved, this,
                             [this, i](int pos) { OnTrack(i, pos); });
            QObject::connect(sb, &QScrollBar::sliderReleased, this, [this, i] { OnReleased(i); });
            Sync(i);
        }
        w->d->widget->installEventFilter(this);
    }

    // Values of the info made consistent: a page no larger than the range, a position
    // inside what the page leaves.
    static void Clamp(SCROLLINFO& si) {
        if (si.nMax < si.nMin) si.nMax = si.nMin;
        const UINT span = (UINT)(si.nMax - si.nMin + 1);
        if (si.nPage > span) si.nPage = span;
        const int last = si.nMax - std::max(0, (int)si.nPage - 1);
        si.nPos = std::clamp(si.nPos, si.nMin, std::max(si.nMin, last));
    }
    static bool Scrollable(const SCROLLINFO& si) {
        return si.nMax > si.nMin && si.nPage <= (UINT)(si.nMax - si.nMin);
    }

    void Sync(int i) {
        QScrollBar* sb = bars[i].widget;
        const SCROLLINFO& si = bars[i].info;
        QSignalBlocker block(sb);
        const int page = std::max(1, (int)si.nPage);
        sb->setPageStep(page);
        sb->setSingleStep(1);
        sb->setRange(si.nMin, std::max(si.nMin, si.nMax - page + 1));
        sb->setValue(si.nPos);
        sb->setSliderPosition(bars[i].track >= 0 ? bars[i].track : si.nPos);
        sb->setEnabled(Scrollable(si) && !bars[i].disabled);
    }

    // Places the bars and brings the client area up to date; with notify, a change of the
    // client size is told with WM_SIZE.
    void Layout(bool notify) {
        if (!*alive) return;
        QWidget* w = wnd->d->widget;
        if (!w) return;
        const bool h = bars[0].shown, v = bars[1].shown;
        const QMargins m(0, 0, v ? kBar : 0, h ? kBar : 0);
        if (h) bars[0].widget->setGeometry(0, w->height() - kBar, w->width() - (v ? kBar : 0), kBar);
        if (v) bars[1].widget->setGeometry(w->width() - kBar, 0, kBar, w->height() - (h ? kBar : 0));
        bars[0].widget->setVisible(h);
        bars[1].widget->setVisible(v);
        if (m == wnd->d->ncMargins) return;
        wnd->d->ncMargins = m;
        if (!notify) return;
        CRect rc;
        wnd->GetClientRect(&rc);
        wnd->Invalidate();
        Dispatch(wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.Width(), rc.Height()));
    }

    void OnAction(int i, int action) {
        if (!*alive || !wnd->m_hWnd) return;
        Bar& b = bars[i];
        const UINT code = ScrollActionCode(action);
        int pos = b.info.nPos;
        if (code == SB_THUMBTRACK) pos = b.track = b.widget->sliderPosition();
        Dispatch(wnd, i ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), 0);
        if (!*alive) return;
        // the bar stays where the window put it; only a dragged thumb follows the mouse
        if (code != SB_THUMBTRACK) b.widget->setSliderPosition(b.info.nPos);
    }
    void OnTrack(int i, int pos) {
        if (!*alive || !wnd->m_hWnd) return;
        Bar& b = bars[i];
        if (pos == b.track) return;
        b.track = pos;
        Dispatch(wnd, i ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
    }
    void OnReleased(int i) {
        if (!*alive || !wnd->m_hWnd) return;
        Bar& b = bars[i];
        if (b.track < 0) return;
        const int pos = b.track;
        Dispatch(wnd, i ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
        if (!*alive) return;
        b.track = -1;
        Sync(i);
    }

    bool eventFilter(QObject* obj, QEvent* e) override {
        if (!*alive || !wnd->m_hWnd) return false;
        if (obj == wnd->d->widget) {
            if (e->type() == QEvent::Resize) Layout(false);
            return false;
        }
        const int i = obj == bars[1].widget ? 1 : 0;
        if (e->type() == QEvent::Wheel) {
            // the wheel over a bar is the window's
            auto* we = static_cast<QWheelEvent*>(e);
            const QPoint g = we->globalPosition().toPoint();
            Dispatch(wnd, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(), (short)we->angleDelta().y()),
                     MAKELPARAM(g.x(), g.y()));
            return true;
        }
        if (e->type() == QEvent::MouseButtonRelease) {
            QPointer<QObject> self(this);
            bars[i].widget->event(e);  // a released thumb reports its position first
            if (!*alive || !self) return true;
            Dispatch(wnd, i ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
            return true;
        }
        return false;
    }
};

Bars* Find(const CWnd* wnd) {
    QWidget* w = wnd->d->widget;
    return w ? w->findChild<Bars*>(QStringLiteral("tarrowScrollBars"), Qt::FindDirectChildrenOnly)
             : nullptr;
}
Bars* Ensure(CWnd* wnd) {
    if (wnd->d->native || !wnd->d->widget) return nullptr;
    if (Bars* b = Find(wnd)) return b;
    return new Bars(wnd);
}
QScrollBar* AreaBar(const CWnd* wnd, int bar) {
    auto* area = As<QAbstractScrollArea>(wnd);
    if (!area || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
    if (!(wnd->d->style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) return nullptr;
    return bar == SB_VERT ? area->verticalScrollBar() : area->horizontalScrollBar();
}
}  // namespace

UINT ScrollActionCode(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            return SB_LINEDOWN;
        case QAbstractSlider::SliderSingleStepSub:
            return SB_LINEUP;
        case QAbstractSlider::SliderPageStepAdd:
            return SB_PAGEDOWN;
        case QAbstractSlider::SliderPageStepSub:
            return SB_PAGEUP;
        case QAbstractSlider::SliderToMinimum:
            return SB_TOP;
        case QAbstractSlider::SliderToMaximum:
            return SB_BOTTOM;
        case QAbstractSlider::SliderMove:
            return SB_THUMBTRACK;
        default:
            return SB_ENDSCROLL;
    }
}

void AttachWindowScrollBars(CWnd* wnd) {
    Bars* b = Ensure(wnd);
    if (!b) return;
    b->bars[0].shown = b->bars[0].known = (wnd->d->style & WS_HSCROLL) != 0;
    b->bars[1].shown = b->bars[1].known = (wnd->d->style & WS_VSCROLL) != 0;
    b->Layout(false);
}
}  // namespace platform

using namespace platform;

BOOL CWnd::SetScrollInfo(int bar, const SCROLLINFO* info, BOOL) {
    if (!info) return FALSE;
    if (bar == SB_CTL) {
        auto* sb = dynamic_cast<CScrollBar*>(this);
        return sb && sb->SetScrollInfo(info);
    }
    if (QScrollBar* qb = AreaBar(this, bar)) {
        // the control's content decides the range; the position is the caller's
        if (info->fMask & SIF_POS) qb->setValue(info->nPos);
        return TRUE;
    }
    Bars* b = (bar == SB_HORZ || bar == SB_VERT) ? Ensure(this) : nullptr;
    if (!b) return FALSE;
    Bars::Bar& s = b->bars[bar];
    s.known = true;
    if (info->fMask & SIF_RANGE) {
        s.info.nMin = info->nMin;
        s.info.nMax = info->nMax;
    }
    if (info->fMask & SIF_PAGE) s.info.nPage = info->nPage;
    if (info->fMask & SIF_POS) s.info.nPos = info->nPos;
    Bars::Clamp(s.info);
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
        const DWORD styleBit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
        s.shown = Bars::Scrollable(s.info) || (info->fMask & SIF_DISABLENOSCROLL);
        if (s.shown)
            d->style |= styleBit;
        else
            d->style &= ~styleBit;
    }
    b->Sync(bar);
    b->Layout(true);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
    if (!info) return FALSE;
    if (bar == SB_CTL) {
        auto* sb = dynamic_cast<const CScrollBar*>(this);
        return sb && sb->GetScrollInfo(info, mask);
    }
    SCROLLINFO si{sizeof(SCROLLINFO), mask, 0, 0, 0, 0, 0};
    if (QScrollBar* qb = AreaBar(this, bar)) {
        si.nMin = qb->minimum();
        si.nMax = qb->maximum() + qb->pageStep() - 1;
        si.nPage = (UINT)qb->pageStep();
        si.nPos = qb->value();
        si.nTrackPos = qb->sliderPosition();
    } else {
        Bars* b = (bar == SB_HORZ || bar == SB_VERT) ? Find(this) : nullptr;
        if (!b || !b->bars[bar].known) return FALSE;
        si = b->bars[bar].info;
        si.nTrackPos = b->bars[bar].track >= 0 ? b->bars[bar].track : si.nPos;
    }
    if (mask & SIF_RANGE) {
        info->nMin = si.nMin;
        info->nMax = si.nMax;
    }
    if (mask & SIF_PAGE) info->nPage = si.nPage;
    if (mask & SIF_POS) info->nPos = si.nPos;
    if (mask & SIF_TRACKPOS) info->nTrackPos = si.nTrackPos;
    info->fMask = mask;
    return TRUE;
}

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) {
    const int old = GetScrollPos(bar);
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(bar, &si, redraw);
    return old;
}
int CWnd::GetScrollPos(int bar) const {
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(bar, &si, SIF_POS) ? si.nPos : 0;
}
void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si{sizeof(si), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(bar, &si, redraw);
}
void CWnd::GetScrollRange(int bar, int* minPos, int* maxPos) const {
    SCROLLINFO si{sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, &si, SIF_RANGE);
    if (minPos) *minPos = si.nMin;
    if (maxPos) *maxPos = si.nMax;
}
int CWnd::GetScrollLimit(int bar) const {
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(bar, &si, SIF_RANGE | SIF_PAGE)) return 0;
    return std::max(si.nMin, si.nMax - std::max(0, (int)si.nPage - 1));
}
void CWnd::ShowScrollBar(UINT bar, BOOL show) {
    if (auto* area = As<QAbstractScrollArea>(this)) {
        const auto policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        if (bar == SB_VERT || bar == SB_BOTH) area->setVerticalScrollBarPolicy(policy);
        if (bar == SB_HORZ || bar == SB_BOTH) area->setHorizontalScrollBarPolicy(policy);
        return;
    }
    Bars* b = Ensure(this);
    if (!b) return;
    for (int i = 0; i < 2; ++i) {
        if (!(bar == SB_BOTH || (int)bar == i)) continue;
        b->bars[i].shown = show != FALSE;
        b->bars[i].known = true;
        const DWORD styleBit = i ? WS_VSCROLL : WS_HSCROLL;
        if (show)
            d->style |= styleBit;
        else
            d->style &= ~styleBit;
    }
    b->Layout(true);
}

BOOL CWnd::EnableScrollBar(UINT bar, UINT arrows) {
    if (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH) return FALSE;
    // the toolkit's bar is usable or not as a whole: one arrow alone is not disabled
    if (arrows != ESB_ENABLE_BOTH && arrows != ESB_DISABLE_BOTH) return FALSE;
    const bool disable = arrows == ESB_DISABLE_BOTH;
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        if (!(bar == SB_BOTH || (int)bar == i)) continue;
        if (QScrollBar* qb = AreaBar(this, i)) {
            qb->setEnabled(!disable);
            any = true;
        } else if (Bars* b = Find(this); b && b->bars[i].known) {
            b->bars[i].disabled = disable;
            b->Sync(i);
            any = true;
        }
    }
    return any;
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w || !w->SetScrollInfo(bar, info, redraw)) return 0;
    return w->GetScrollPos(bar);
}
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w && info && w->GetScrollInfo(bar, info, info->fMask);
}
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w ? w->SetScrollPos(bar, pos, redraw) : 0;
}
int GetScrollPos(HWND hwnd, int bar) {
    CWnd* w = CWnd::FromHandle(hwnd);
    return w ? w->GetScrollPos(bar) : 0;
}
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w) return FALSE;
    w->ShowScrollBar((UINT)bar, show);
    return TRUE;
}
