// Windows: creation and destruction, message dispatch, painting through the back-buffer,
// state, timers and modal loops. Capture, focus and cursors are in WndInput.cpp.
#include <QApplication>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>
#include <cmath>

#include "platform/NativeInput.h"
#include "platform/PlatformPrivate.h"
#include "platform/Resource.h"
#include "platform/WindowScrollBars.h"

using namespace platform;

namespace platform {

class TimerHost : public QObject {
public:
    explicit TimerHost(CWnd* w) : wnd(w) {}
    CWnd* wnd;
    void timerEvent(QTimerEvent* e) override {
        if (!wnd || !wnd->d) return;
        WndPrivate* d = wnd->d.get();
        if (e->timerId() == d->hoverTimer) {
            killTimer(d->hoverTimer);
            d->hoverTimer = 0;
            if ((d->trackFlags & TME_HOVER) && d->inside) {
                d->trackFlags &= ~TME_HOVER;
                Dispatch(wnd, WM_MOUSEHOVER, MouseKeyFlags(),
                         MAKELPARAM(d->lastMouse.x(), d->lastMouse.y()));
            }
            return;
        }
        for (auto& [id, qid] : d->timerIds)
            if (qid == e->timerId()) {
                Dispatch(wnd, WM_TIMER, id, 0);
                return;
            }
    }
};

// The widget of a window the layer draws itself: shows the back-buffer.
class WndWidget : public QWidget {
public:
    WndWidget(CWnd* w, QWidget* parent, Qt::WindowFlags f) : QWidget(parent, f), wnd(w) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_InputMethodEnabled);
        setMouseTracking(true);
        setFocusPolicy(Qt::NoFocus);
    }
    CWnd* wnd;

protected:
    void paintEvent(QPaintEvent* e) override {
        if (!wnd || !wnd->d) return;
        WndPrivate* d = wnd->d.get();
        if (!d->buffer || d->buffer->Ratio() != devicePixelRatioF()) d->EnsureBuffer(size());
        if (!d->invalid.isEmpty()) {
            auto alive = d->alive;
            d->BeginPaintMessage();
            Dispatch(wnd, WM_PAINT, 0, 0);
            if (!*alive) return;
            d->EndPaintMessage();
        }
        QPainter p(this);
        if (!d->layered.isNull()) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(e->rect(), d->layered, e->rect());
            return;
        }
        if (!d->buffer) return;
        if (d->colorKeyOn) {
            QImage part = d->buffer->image.copy(d->buffer->Device(e->rect()).toRect())
                              .convertToFormat(QImage::Format_ARGB32);
            part.setDevicePixelRatio(d->buffer->Ratio());
            const QRgb key = ToQColor(d->colorKey).rgb() & 0xffffff;
            for (int y = 0; y < part.height(); ++y) {
                QRgb* line = reinterpret_cast<QRgb*>(part.scanLine(y));
                for (int x = 0; x < part.width(); ++x)
                    if ((line[x] & 0xffffff) == key) line[x] = 0;
            }
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(e->rect().topLeft(), part);
        } else {
            // device pixels to device pixels: nothing is scaled
            p.drawImage(QRectF(e->rect()), d->buffer->image, d->buffer->Device(e->rect()));
        }
        PaintCaret(wnd, p);
    }
    // where the input method puts its composition and candidate windows
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (wnd && wnd->d && (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle)) {
            QRect r;
            if (ImeCursorRect(wnd, r)) return r;
        }
        if (query == Qt::ImEnabled) return true;
        return QWidget::inputMethodQuery(query);
    }
};

// Turns the widget's events into messages.
class Hook : public QObject {
public:
    explicit Hook(CWnd* w) : wnd(w) {}
    CWnd* wnd;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    bool Mouse(QMouseEvent* me);
    bool Key(QKeyEvent* ke);
};

QWidget* WndPrivate::ParentWidget() const {
    CWnd* p = (style & WS_CHILD) ? parent : owner;
    return p && p->d ? p->d->widget.data() : nullptr;
}

void WndPrivate::EnsureBuffer(const QSize& size) {
    QSize s(std::max(size.width(), 1), std::max(size.height(), 1));
    const qreal ratio = widget ? widget->devicePixelRatioF() : 1.0;
    if (buffer && buffer->Size() == s && buffer->Ratio() == ratio) return;
    const int dw = (int)std::ceil(s.width() * ratio), dh = (int)std::ceil(s.height() * ratio);
    // a native control's buffer holds only what is drawn over it (frames, icons)
    auto fresh = native ? MakeSurface(dw, dh, QImage::Format_ARGB32_Premultiplied, 0)
                        : MakeSurface(dw, dh, QImage::Format_RGB32, ToQColor(background).rgb());
    fresh->image.setDevicePixelRatio(ratio);
    if (buffer) {
        buffer->End();
        QPainter p(&fresh->image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, buffer->image);
    }
    buffer = fresh;
}

void WndPrivate::BeginPaintMessage() {
    inPaint = true;
    paintBegun = false;
    paintRegion = invalid;
}

// The region a CPaintDC took is valid now; what was invalidated while painting stays
// invalid and is painted by the next WM_PAINT. A handler that never made a CPaintDC
// validates the region all the same, so an empty handler does not paint forever.
void WndPrivate::EndPaintMessage() {
    inPaint = false;
    if (!paintBegun) invalid -= paintRegion;
    if (!invalid.isEmpty() && widget) widget->update(invalid.boundingRect());
}

void WndPrivate::StartHoverTimer() {
    if (!timers) return;
    if (hoverTimer) timers->killTimer(hoverTimer);
    hoverTimer = timers->startTimer((int)hoverTime);
}

CWnd* WndFromWidget(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        QVariant v = w->property("tarrowWnd");
        if (v.isValid()) {
            HWND h = reinterpret_cast<HWND>(v.value<quintptr>());
            return CWnd::FromHandle(h);
        }
    }
    return nullptr;
}

// Runs the n newest of the window's procedures, each given the rest as its previous one,
// and WindowProc under them all.
static LRESULT CallProcChain(CWnd* wnd,
                             const std::vector<std::shared_ptr<CWnd::WndProcHook>>& hooks, size_t n,
                             UINT msg, WPARAM wParam, LPARAM lParam) {
    if (n == 0) {
        wnd->d->cur = MSG{wnd->m_hWnd, msg, wParam, lParam, 0, {0, 0}};
        return wnd->WindowProc(msg, wParam, lParam);
    }
    auto alive = wnd->d->alive;
    const CWnd::WndProcPrevious previous = [&, alive](UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return *alive ? CallProcChain(wnd, hooks, n - 1, m, w, l) : 0;
    };
    return (*hooks[n - 1])(msg, wParam, lParam, previous);
}

LRESULT Dispatch(CWnd* wnd, UINT msg, WPARAM wParam, LPARAM lParam, QEvent* event) {
    if (!wnd || !wnd->d || !wnd->m_hWnd) return 0;
    if (!IsUiThread()) {
        UiThreadViolation("a window's message dispatch");
        return 0;
    }
    WndPrivate* d = wnd->d.get();
    auto alive = d->alive;
    MSG saved = d->cur;
    QEvent* savedEvent = d->curEvent;
    bool savedDone = d->curEventDone;
    d->cur = MSG{wnd->m_hWnd, msg, wParam, lParam, 0, {0, 0}};
    d->curEvent = event;
    d->curEventDone = false;
    LRESULT r;
    if (d->procHooks.empty()) {
        r = wnd->WindowProc(msg, wParam, lParam);
    } else {
        // a procedure may remove itself or another while it runs
        std::vector<std::shared_ptr<CWnd::WndProcHook>> hooks;
        for (auto& h : d->procHooks) hooks.push_back(h.second);
        r = CallProcChain(wnd, hooks, hooks.size(), msg, wParam, lParam);
    }
    if (*alive) {
        d->cur = saved;
        d->curEvent = savedEvent;
        d->curEventDone = savedDone;
    }
    return r;
}

bool Hook::Mouse(QMouseEvent* me) {
    WndPrivate* d = wnd->d.get();
    auto alive = d->alive;
    QPoint pos = me->position().toPoint();
    LPARAM lp = MAKELPARAM(pos.x(), pos.y());
    UINT keys = MouseKeyFlags();
    UINT msg = 0;
    switch (me->type()) {
        case QEvent::MouseMove: {
            bool outside = !QRect(QPoint(0, 0), d->widget->size()).contains(pos);
            if (!outside) d->inside = true;
            Dispatch(wnd, WM_SETCURSOR, (WPARAM)wnd->m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (!*alive) return true;
            ApplyCursorTo(wnd);
            Dispatch(wnd, WM_MOUSEMOVE, keys, lp, me);
            if (!*alive) return true;
            if (d->lastMouse != pos && (d->trackFlags & TME_HOVER)) d->StartHoverTimer();
            d->lastMouse = pos;
            // under capture the pointer can leave without a leave event
            if (outside && d->inside) {
                d->inside = false;
                if (d->trackFlags & TME_LEAVE) {
                    d->trackFlags &= ~(TME_LEAVE | TME_HOVER);
                    Dispatch(wnd, WM_MOUSELEAVE, 0, 0);
                }
            }
            return true;
        }
        case QEvent::MouseButtonPress:
            if (me->button() == Qt::LeftButton && !(d->style & WS_CHILD) &&
                !(d->style & WS_CAPTION) && !d->menuPopup) {
                QPoint g = me->globalPosition().toPoint();
                LRESULT hit = Dispatch(wnd, WM_NCHITTEST, 0, MAKELPARAM(g.x(), g.y()));
                if (!*alive) return true;
                if (hit != HTCLIENT && hit > 0) {
                    Dispatch(wnd, WM_NCLBUTTONDOWN, (WPARAM)hit, MAKELPARAM(g.x(), g.y()));
                    return true;
                }
            }
            msg = me->button() == Qt::LeftButton    ? WM_LBUTTONDOWN
                  : me->button() == Qt::RightButton ? WM_RBUTTONDOWN
                                                    : WM_MBUTTONDOWN;
            break;
        case QEvent::MouseButtonRelease:
            msg = me->button() == Qt::LeftButton    ? WM_LBUTTONUP
                  : me->button() == Qt::RightButton ? WM_RBUTTONUP
                                                    : WM_MBUTTONUP;
            break;
        case QEvent::MouseButtonDblClick: {
            // a class without CS_DBLCLKS sees the second click as another press
            const bool dbl = d->cls && (d->cls->style & CS_DBLCLKS);
            if (me->button() == Qt::LeftButton)
                msg = dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
            else if (me->button() == Qt::RightButton)
                msg = dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
            else
                msg = dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
            break;
        }
        default:
            return false;
    }
    d->inside = true;
    Dispatch(wnd, msg, keys, lp, me);
    return true;
}

bool Hook::Key(QKeyEvent* ke) {
    WndPrivate* d = wnd->d.get();
    auto alive = d->alive;
    bool down = ke->type() == QEvent::KeyPress;
    bool alt = ke->modifiers() & Qt::AltModifier;
    UINT vk = KeyToVk(ke->key(), ke->modifiers());
    DWORD lp = std::max(1, ke->count()) & 0xffff;
    if (ke->isAutoRepeat() || !down) lp |= 1u << 30;
    if (!down) lp |= 1u << 31;
    if (alt) lp |= 1u << 29;
    UINT msg = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    QString text = ke->text();
    // a native control types text on WM_CHAR, and handles the other keys on WM_KEYDOWN
    const bool typesText = down && !text.isEmpty() && !alt;
    if (vk) {
        if (d->native && typesText) d->curEventDone = true;
        QEvent* ev = (d->native && typesText) ? nullptr : ke;
        Dispatch(wnd, msg, vk, (LPARAM)lp, ev);
        if (!*alive) return true;
    }
    if (down && alt && !text.isEmpty()) {
        for (char32_t c : text.toUcs4()) {
            Dispatch(wnd, WM_SYSCHAR, (WPARAM)c, (LPARAM)lp);
            if (!*alive) return true;
        }
    }
    if (typesText) {
        const auto ucs = text.toUcs4();
        for (char32_t c : ucs) {
            Dispatch(wnd, WM_CHAR, (WPARAM)c, (LPARAM)(lp & 0xffff), d->native ? ke : nullptr);
            if (!*alive) return true;
        }
    }
    return true;
}

// Top-level windows are asked for their size limits; positive track sizes become the
// widget's minimum and maximum.
void QueryMinMax(CWnd* wnd) {
    QWidget* w = wnd->d->widget;
    if (!w || !w->isWindow()) return;
    RECT work;
    SystemParametersWorkArea(&work);
    MINMAXINFO mmi{};
    mmi.ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
    mmi.ptMaxPosition = POINT{work.left, work.top};
    mmi.ptMinTrackSize = POINT{1, 1};
    mmi.ptMaxTrackSize = POINT{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    auto alive = wnd->d->alive;
    Dispatch(wnd, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    if (!*alive || !wnd->d->widget) return;
    if (wnd->d->fixedFrame) return;  // a frame without a sizing border holds its size
    w->setMinimumSize(std::max<int>(0, mmi.ptMinTrackSize.x),
                      std::max<int>(0, mmi.ptMinTrackSize.y));
    w->setMaximumSize(
        mmi.ptMaxTrackSize.x > 0 ? std::min<int>(mmi.ptMaxTrackSize.x, QWIDGETSIZE_MAX)
                                 : QWIDGETSIZE_MAX,
        mmi.ptMaxTrackSize.y > 0 ? std::min<int>(mmi.ptMaxTrackSize.y, QWIDGETSIZE_MAX)
                                 : QWIDGETSIZE_MAX);
}

static void SendPosChanged(CWnd* wnd) {
    QWidget* w = wnd->d->widget;
    WINDOWPOS wp{wnd->m_hWnd, nullptr, w->x(), w->y(), w->width(), w->height(), 0};
    Dispatch(wnd, WM_WINDOWPOSCHANGED, 0, (LPARAM)&wp);
}

// Non-client insets of a native control: what WM_NCCALCSIZE takes off the window
// rectangle becomes the widget's content margins.
void NativeNcCalc(CWnd* wnd) {
    QWidget* w = wnd->d->widget;
    RECT rc{0, 0, w->width(), w->height()};
    Dispatch(wnd, WM_NCCALCSIZE, FALSE, (LPARAM)&rc);
    if (!wnd->d || !wnd->d->widget) return;
    QMargins m(std::max<int>(0, rc.left), std::max<int>(0, rc.top),
               std::max<int>(0, w->width() - rc.right), std::max<int>(0, w->height() - rc.bottom));
    if (m == wnd->d->ncMargins) return;
    wnd->d->ncMargins = m;
    w->setContentsMargins(m);
}

// The colours of a native control, asked for the classic way: reflected to the control
// first, then from its parent. A brush answer sets the background, the DC's text colour
// the text.
static void NativeColors(CWnd* wnd) {
    QWidget* w = wnd->d->widget;
    const bool stat = !w->isEnabled() || (wnd->GetStyle() & ES_READONLY);
    const UINT msg = stat ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    CDC dc;
    dc.SetTextColor(FromQRgb(w->palette().color(QPalette::Text).rgb()));
    auto alive = wnd->d->alive;
    LRESULT r = Dispatch(wnd, OCM__BASE + msg, (WPARAM)&dc, (LPARAM)wnd->m_hWnd);
    if (!*alive) return;
    if (!r)
        if (CWnd* parent = wnd->GetParent())
            r = parent->SendMessage(msg, (WPARAM)&dc, (LPARAM)wnd->m_hWnd);
    if (!r || !*alive || !wnd->d->widget) return;
    auto* brush = reinterpret_cast<CBrush*>(r);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, ToQColor(brush->m_color));
    pal.setColor(QPalette::Window, ToQColor(brush->m_color));
    pal.setColor(QPalette::Text, ToQColor(dc.GetTextColor()));
    pal.setColor(QPalette::WindowText, ToQColor(dc.GetTextColor()));
    if (pal != w->palette()) w->setPalette(pal);
}

// A native control paints itself inside WM_PAINT's default; what its handlers draw with a
// window DC (WM_NCPAINT first, then after the default painting) lies over it.
static bool NativePaint(CWnd* wnd, QPaintEvent* pe) {
    WndPrivate* d = wnd->d.get();
    auto alive = d->alive;
    NativeColors(wnd);
    if (!*alive) return true;
    d->EnsureBuffer(d->widget->size());
    d->buffer->End();
    d->buffer->image.fill(0);
    d->inPaint = true;
    d->paintRegion = pe->region();
    Dispatch(wnd, WM_NCPAINT, 1, 0);
    if (!*alive) return true;
    Dispatch(wnd, WM_PAINT, 0, 0, pe);
    if (!*alive) return true;
    d->inPaint = false;
    if (!d->widget || !d->buffer) return true;
    d->buffer->End();
    QPainter p(d->widget);
    p.drawImage(0, 0, d->buffer->image);
    return true;
}

bool Hook::eventFilter(QObject* obj, QEvent* e) {
    if (!wnd || !wnd->d || !wnd->m_hWnd) return false;
    WndPrivate* d = wnd->d.get();
    if (obj != d->widget) {
        // a native control's inner widgets (a scroll area's viewport, say): only the mouse
        // is the control's, in its client coordinates
        return d->native && IsNativeMouseEvent(e) && NativeMouseEvent(wnd, obj, e);
    }
    auto alive = d->alive;
    switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (d->native) return NativeMouseEvent(wnd, obj, e);
            return Mouse(static_cast<QMouseEvent*>(e));
        case QEvent::Wheel: {
            if (d->native) return NativeMouseEvent(wnd, obj, e);
            auto* we = static_cast<QWheelEvent*>(e);
            QPoint g = we->globalPosition().toPoint();
            int delta = we->angleDelta().y();
            Dispatch(wnd, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeyFlags(), (short)delta),
                     MAKELPARAM(g.x(), g.y()));
            return true;
        }
        case QEvent::Leave:
            d->inside = false;
            if (d->hoverTimer && d->timers) {
                d->timers->killTimer(d->hoverTimer);
                d->hoverTimer = 0;
            }
            if (d->trackFlags & TME_LEAVE) {
                d->trackFlags &= ~(TME_LEAVE | TME_HOVER);
                Dispatch(wnd, WM_MOUSELEAVE, 0, 0);
            }
            return !d->native;  // a native widget still sees it (its hover look)
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return Key(static_cast<QKeyEvent*>(e));
        case QEvent::InputMethod: {
            auto* im = static_cast<QInputMethodEvent*>(e);
            if (d->native) return false;
            InputMethodEvent(wnd, im->preeditString(), im->commitString());
            return true;
        }
        case QEvent::FocusIn:
            if (::GetFocus() != wnd->m_hWnd) SetFocusWnd(wnd);
            return false;
        case QEvent::Paint:
            if (!d->native) return false;
            return NativePaint(wnd, static_cast<QPaintEvent*>(e));
        case QEvent::Resize: {
            auto* re = static_cast<QResizeEvent*>(e);
            if (d->native) {
                NativeNcCalc(wnd);
                if (!*alive) return true;
            } else {
                // A window that never drew has no buffer yet; the first paint or DC makes
                // it at the size of that moment (sizing at start-up costs nothing then).
                if (d->buffer) d->EnsureBuffer(re->size());
                const QRect now(QPoint(0, 0), re->size());
                const UINT cs = d->cls ? (UINT)d->cls->style : (CS_HREDRAW | CS_VREDRAW);
                const QSize old = re->oldSize();
                const bool whole = !old.isValid() ||
                                   ((cs & CS_HREDRAW) && old.width() != now.width()) ||
                                   ((cs & CS_VREDRAW) && old.height() != now.height());
                // without the redraw styles only what the resize uncovered is painted again
                const QRegion uncovered = whole ? QRegion(now)
                                                : QRegion(now) - QRegion(QRect(QPoint(0, 0), old));
                if (!uncovered.isEmpty()) {
                    d->invalid += uncovered;
                    d->erase = true;
                }
            }
            SendPosChanged(wnd);
            if (!*alive || !d->widget) return true;
            UINT kind = d->widget->isMaximized()   ? SIZE_MAXIMIZED
                        : d->widget->isMinimized() ? SIZE_MINIMIZED
                                                   : SIZE_RESTORED;
            // the client size: less the scroll bars and the insets of a native control
            const QSize client = re->size().shrunkBy(d->ncMargins).expandedTo(QSize(0, 0));
            Dispatch(wnd, WM_SIZE, kind, MAKELPARAM(client.width(), client.height()));
            return false;
        }
        case QEvent::Move: {
            if (d->widget->isWindow()) {
                // the frame has moved already: the rectangle carried is where it is now
                RECT rc;
                wnd->GetWindowRect(&rc);
                Dispatch(wnd, WM_MOVING, 0, (LPARAM)&rc);
                if (!*alive || !d->widget) return true;
            }
            SendPosChanged(wnd);
            if (!*alive || !d->widget) return true;
            QPoint p = d->widget->pos();
            Dispatch(wnd, WM_MOVE, 0, MAKELPARAM(p.x(), p.y()));
            return false;
        }
        case QEvent::Close:
            e->ignore();
            Dispatch(wnd, WM_CLOSE, 0, 0);
            return true;
        case QEvent::WindowActivate:
            Dispatch(wnd, WM_ACTIVATE, 1, 0);
            return false;
        case QEvent::WindowDeactivate:
            if (*alive) Dispatch(wnd, WM_ACTIVATE, 0, 0);
            return false;
        default:
            return false;
    }
}

}  // namespace platform

// ---- CCmdTarget ----
BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    for (auto& e : m_commands) {
        if (nID < e.first || nID > e.last) continue;
        if (nCode == CN_COMMAND && e.command) {
            e.command(nID);
            return TRUE;
        }
        if (nCode == CN_UPDATE_COMMAND_UI) {
            auto* ui = static_cast<CCmdUI*>(pExtra);
            if (e.update) e.update(ui);
            if (ui) ui->m_bHandled = true;
            return TRUE;
        }
    }
    return FALSE;
}
void CCmdTarget::MapCommand(UINT nID, std::function<void()> onCommand,
                            std::function<void(CCmdUI*)> onUpdate) {
    std::function<void(UINT)> cmd;
    if (onCommand) cmd = [f = std::move(onCommand)](UINT) { f(); };
    m_commands.push_back({nID, nID, std::move(cmd), std::move(onUpdate)});
}
void CCmdTarget::MapCommandRange(UINT first, UINT last, std::function<void(UINT)> onCommand,
                                 std::function<void(CCmdUI*)> onUpdate) {
    m_commands.push_back({first, last, std::move(onCommand), std::move(onUpdate)});
}

// ---- CWnd ----
CWnd::CWnd() : d(std::make_unique<WndPrivate>()) {
    d->q = this;
}

CWnd::~CWnd() {
    // deleted from inside its own destruction: the messages are sent already, the
    // handle and the widget must not outlive the object
    if (m_hWnd && d->destroying)
        ReleaseWindow(this);
    else if (m_hWnd)
        DestroyWindow();
    *d->alive = false;
    if (d->timers) {
        d->timers->wnd = nullptr;
        if (QCoreApplication::instance()) d->timers->deleteLater();
    }
    if (d->hook) {
        d->hook->wnd = nullptr;
        if (QCoreApplication::instance()) d->hook->deleteLater();
    }
}

BOOL CWnd::Create(const char* cls, const char* name, DWORD style, const RECT& rect, CWnd* parent,
                  UINT nID, void* param) {
    return CreateEx(0, cls, name, style, rect, parent, nID, param);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* name, DWORD style,
                    const RECT& rect, CWnd* parent, UINT nID, void* param) {
    if (!CheckUiThread("CWnd::CreateEx")) return FALSE;
    if (m_hWnd || !IsInitialized()) return FALSE;
    CREATESTRUCT cs{param,
                    nullptr,
                    parent ? parent->m_hWnd : nullptr,
                    rect.bottom - rect.top,
                    rect.right - rect.left,
                    rect.top,
                    rect.left,
                    (LONG)style,
                    name,
                    className,
                    exStyle};
    if (!PreCreateWindow(cs)) return FALSE;
    style = (DWORD)cs.style;
    exStyle = cs.dwExStyle;
    if ((style & WS_CHILD) && (!parent || !parent->m_hWnd)) return FALSE;
    // a native control belongs to its widget's class unless it was made under a class
    // registered for it (a superclass)
    std::shared_ptr<WndClassRecord> cls;
    if (d->native && d->widget)
        cls = cs.lpszClass ? FindWndClass(cs.lpszClass) : NativeWndClass(d->widget);
    if (!cls) cls = FindWndClass(cs.lpszClass);
    if (!cls) return FALSE;
    d->cls = cls;
    if (!d->backgroundSet && cls->background != CLR_INVALID) d->background = cls->background;
    d->eraseBackground = d->backgroundSet || cls->background != CLR_INVALID;
    d->style = style & ~WS_VISIBLE;
    d->exStyle = exStyle;
    d->id = nID;
    d->text = cs.lpszName ? cs.lpszName : "";
    if (style & WS_CHILD)
        d->parent = parent;
    else
        d->owner = parent;

    QWidget* pw = d->ParentWidget();
    QWidget* w = d->widget;
    if (w) {
        w->setParent(pw);  // a native control made its widget already
    } else {
        Qt::WindowFlags f;
        if (style & WS_CHILD)
            f = Qt::Widget;
        else if (d->menuPopup)
            f = Qt::Popup | Qt::FramelessWindowHint;
        else if (exStyle & WS_EX_TOOLWINDOW)
            f = Qt::Tool;
        else if (style & WS_POPUP)
            f = pw ? Qt::Dialog : Qt::Window;
        else
            f = Qt::Window;
        if (!(style & WS_CHILD) && !(style & WS_CAPTION)) f |= Qt::FramelessWindowHint;
        if (exStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
        w = new WndWidget(this, pw, f);
        d->widget = w;
        if (exStyle & WS_EX_NOACTIVATE) w->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    if (style & WS_CHILD) {
        w->setGeometry(cs.x, cs.y, std::max(cs.cx, 0), std::max(cs.cy, 0));
    } else {
        w->move(cs.x, cs.y);
        w->resize(std::max(cs.cx, 1), std::max(cs.cy, 1));
        if (!d->text.empty()) w->setWindowTitle(ToQ(d->text));
    }
    m_hWnd = RegisterWindow(this);
    w->setProperty("tarrowWnd", QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(m_hWnd)));
    d->hook = new Hook(this);
    d->timers = new TimerHost(this);
    w->installEventFilter(d->hook);
    if (!d->native && (style & (WS_HSCROLL | WS_VSCROLL))) AttachWindowScrollBars(this);
    if (d->native) {
        // a classic window gets every move over it, buttons down or not
        w->setMouseTracking(true);
        for (QWidget* inner : w->findChildren<QWidget*>())
            if (!inner->isWindow()) {
                inner->installEventFilter(d->hook);
                inner->setMouseTracking(true);
            }
    }
    if (d->parent) d->parent->d->children.push_back(this);
    if (style & WS_DISABLED) w->setEnabled(false);

    auto alive = d->alive;
    if (!(style & WS_CHILD)) {
        QueryMinMax(this);  // asked before WM_NCCREATE, as the classic window manager does
        if (!*alive || !m_hWnd) return FALSE;
        ApplySystemFrame(this);
    }
    if (!Dispatch(this, WM_NCCREATE, 0, (LPARAM)&cs) && *alive && m_hWnd) {
        DestroyWindow();
        return FALSE;
    }
    if (!*alive) return FALSE;
    if (Dispatch(this, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        if (*alive && m_hWnd) DestroyWindow();
        return FALSE;
    }
    if (!*alive || !m_hWnd) return FALSE;
    const QSize client = w->size().shrunkBy(d->ncMargins).expandedTo(QSize(0, 0));
    Dispatch(this, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.width(), client.height()));
    if (!*alive || !m_hWnd) return FALSE;
    Dispatch(this, WM_MOVE, 0, MAKELPARAM(w->x(), w->y()));
    if (!*alive || !m_hWnd) return FALSE;
    d->invalid = QRegion(QRect(QPoint(0, 0), w->size()));
    d->erase = true;
    if (style & WS_VISIBLE) ShowWindow((style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
    return m_hWnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
    if (!CheckUiThread("CWnd::DestroyWindow")) return FALSE;
    // a handler that destroys the window again while it is being destroyed (its own
    // WM_DESTROY, or a child's) must not send the destruction messages a second time
    if (!m_hWnd || d->destroying) return FALSE;
    d->destroying = true;
    auto alive = d->alive;
    if (d->loop) {
        d->modalResult = -1;
        d->loop->exit(-1);
    }
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    // the windows it owns go first (a popup menu or a dialog running its own loop ends)
    for (HWND h : OwnedWindows(this)) {
        if (CWnd* w = CWnd::FromHandle(h)) w->DestroyWindow();
        if (!*alive) return TRUE;
    }
    Dispatch(this, WM_DESTROY, 0, 0);
    if (!*alive) return TRUE;
    std::vector<CWnd*> kids = d->children;
    for (CWnd* c : kids)
        if (*alive && c &&
            std::find(d->children.begin(), d->children.end(), c) != d->children.end())
            c->DestroyWindow();
    if (!*alive) return TRUE;
    Dispatch(this, WM_NCDESTROY, 0, 0);
    if (!*alive) return TRUE;
    platform::ReleaseWindow(this);
    PostNcDestroy();
    return TRUE;
}

namespace platform {
// What is left of a window once its destruction messages are sent: timers, the
// handle, the place among its parent's children, the widget and the buffer.
void ReleaseWindow(CWnd* wnd) {
    WndPrivate* d = wnd->d.get();
    const HWND self = wnd->m_hWnd;
    if (!self) return;
    // children are gone already unless the window is deleted inside its own destruction
    std::vector<CWnd*> kids = d->children;
    for (CWnd* c : kids)
        if (std::find(d->children.begin(), d->children.end(), c) != d->children.end())
            c->DestroyWindow();
    for (auto& [id, qid] : d->timerIds) d->timers->killTimer(qid);
    d->timerIds.clear();
    if (d->hoverTimer) {
        d->timers->killTimer(d->hoverTimer);
        d->hoverTimer = 0;
    }
    OnWindowDestroyed(wnd);
    d->props.clear();
    d->userData = 0;
    UnregisterWindow(self);
    wnd->m_hWnd = nullptr;
    d->destroying = false;
    if (d->parent) {
        auto& sib = d->parent->d->children;
        sib.erase(std::remove(sib.begin(), sib.end(), wnd), sib.end());
        d->parent = nullptr;
    }
    d->owner = nullptr;
    if (QWidget* w = d->widget) {
        w->removeEventFilter(d->hook);
        w->setProperty("tarrowWnd", QVariant());
        if (auto* ww = dynamic_cast<WndWidget*>(w)) ww->wnd = nullptr;
        if (QCoreApplication::instance()) {
            w->hide();
            w->deleteLater();
        }
    }
    d->widget = nullptr;
    d->buffer.reset();
    d->invalid = QRegion();
    if (AfxGetApp() && AfxGetApp()->m_pMainWnd == wnd) {
        AfxGetApp()->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
}
}  // namespace platform

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, msg, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessage(m_hWnd, msg, wParam, lParam);
}
const MSG* CWnd::GetCurrentMessage() const {
    return &d->cur;
}

LRESULT CWnd::Default() {
    return DefWindowProc(d->cur.message, d->cur.wParam, d->cur.lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    CPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    switch (msg) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lp));
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy();
            return 0;
        case WM_SIZE:
            OnSize((UINT)wp, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_MOVE:
            OnMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return OnEraseBkgnd(reinterpret_cast<CDC*>(wp));
        case WM_TIMER:
            OnTimer((UINT_PTR)wp);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_SHOWWINDOW:
            OnShowWindow((BOOL)wp, (UINT)lp);
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown((UINT)wp, pt);
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp((UINT)wp, pt);
            return 0;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk((UINT)wp, pt);
            return 0;
        case WM_RBUTTONDOWN:
            OnRButtonDown((UINT)wp, pt);
            return 0;
        case WM_RBUTTONUP:
            OnRButtonUp((UINT)wp, pt);
            return 0;
        case WM_RBUTTONDBLCLK:
            OnRButtonDblClk((UINT)wp, pt);
            return 0;
        case WM_MBUTTONDOWN:
            OnMButtonDown((UINT)wp, pt);
            return 0;
        case WM_MBUTTONUP:
            OnMButtonUp((UINT)wp, pt);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove((UINT)wp, pt);
            return 0;
        case WM_MOUSEWHEEL:
            return OnMouseWheel(LOWORD(wp), (short)HIWORD(wp), pt);
        case WM_MOUSEHOVER:
            OnMouseHover((UINT)wp, pt);
            return 0;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            return 0;
        case WM_KEYDOWN:
            OnKeyDown((UINT)wp, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_KEYUP:
            OnKeyUp((UINT)wp, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_CHAR:
            OnChar((UINT)wp, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_SYSKEYDOWN:
            OnSysKeyDown((UINT)wp, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_SETFOCUS:
            OnSetFocus(FromHandle(reinterpret_cast<HWND>(wp)));
            return 0;
        case WM_KILLFOCUS:
            OnKillFocus(FromHandle(reinterpret_cast<HWND>(wp)));
            return 0;
        case WM_SETCURSOR:
            return OnSetCursor(FromHandle(reinterpret_cast<HWND>(wp)), LOWORD(lp), HIWORD(lp));
        case WM_NCHITTEST:
            return OnNcHitTest(pt);
        case WM_CAPTURECHANGED:
            OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(lp)));
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu(FromHandle(reinterpret_cast<HWND>(wp)), pt);
            return 0;
        case WM_HSCROLL:
            OnHScroll(LOWORD(wp), (short)HIWORD(wp), FromHandle(reinterpret_cast<HWND>(lp)));
            return 0;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wp), (short)HIWORD(wp), FromHandle(reinterpret_cast<HWND>(lp)));
            return 0;
        case WM_MEASUREITEM:
            OnMeasureItem((int)wp, reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem((int)wp, reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_INITMENUPOPUP: {
            CMenu* m = nullptr;
            extern CMenu* PlatformMenuFromHandle(HMENU);
            m = PlatformMenuFromHandle(reinterpret_cast<HMENU>(wp));
            OnInitMenuPopup(m, LOWORD(lp), HIWORD(lp));
            return 0;
        }
        case WM_ACTIVATE:
            OnActivate(LOWORD(wp), FromHandle(reinterpret_cast<HWND>(lp)), HIWORD(wp));
            return 0;
        case WM_SYSCOMMAND:
            OnSysCommand((UINT)wp, lp);
            return 0;
        case WM_COMMAND:
            if (OnCommand(wp, lp)) return 0;
            return Default();
        case WM_NOTIFY: {
            LRESULT r = 0;
            if (OnNotify(wp, lp, &r)) return r;
            return Default();
        }
        default:
            return DefWindowProc(msg, wp, lp);
    }
}

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
    UINT code = HIWORD(wp);
    // plain commands (menus, accelerators, buttons that send code 0/1) are routed
    if (code == 0 || code == 1 || lp == 0) return OnCmdMsg(LOWORD(wp), CN_COMMAND, nullptr);
    return FALSE;
}
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow();
            return 0;
        case WM_ERASEBKGND: {
            auto* dc = reinterpret_cast<CDC*>(wp);
            if (!dc) return 0;
            RECT rc;
            dc->GetClipBox(&rc);
            if (!d->eraseBackground) return 0;
            COLORREF keep = dc->GetBkColor();
            dc->FillSolidRect(&rc, d->background);
            dc->SetBkColor(keep);
            return 1;
        }
        case WM_PAINT: {
            CPaintDC dc(this);
            return 0;
        }
        case WM_SETCURSOR: {
            if ((d->style & WS_CHILD) && d->parent && d->parent->SendMessage(WM_SETCURSOR, wp, lp))
                return TRUE;
            if (LOWORD(lp) != HTCLIENT) return TRUE;
            HCURSOR c = d->cls ? d->cls->cursor : nullptr;
            if (!c && (!d->cls || d->cls->predefined)) c = ::LoadCursor(nullptr, IDC_ARROW);
            if (c) ::SetCursor(c);
            return TRUE;
        }
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_NCLBUTTONDOWN: {
            QWindow* win = d->widget ? d->widget->window()->windowHandle() : nullptr;
            if (!win) return 0;
            if (wp == HTCAPTION)
                win->startSystemMove();
            else if (int edges = HitTestToResizeEdges((LRESULT)wp))
                win->startSystemResize(Qt::Edges(edges));
            return 0;
        }
        case WM_SYSCOMMAND: {
            UINT cmd = (UINT)wp & 0xFFF0;
            if (cmd == SC_MOVE) return DefWindowProc(WM_NCLBUTTONDOWN, HTCAPTION, lp);
            if (cmd == SC_CLOSE) {
                PostMessage(WM_CLOSE);
                return 0;
            }
            if (cmd == SC_MINIMIZE) ShowWindow(SW_MINIMIZE);
            if (cmd == SC_MAXIMIZE) ShowWindow(SW_MAXIMIZE);
            if (cmd == SC_RESTORE) ShowWindow(SW_RESTORE);
            return 0;
        }
        case WM_MOUSEWHEEL:
            if ((d->style & WS_CHILD) && d->parent) return d->parent->SendMessage(msg, wp, lp);
            return 0;
        case WM_RBUTTONUP: {
            CPoint p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            ClientToScreen(&p);
            SendMessage(WM_CONTEXTMENU, (WPARAM)m_hWnd, MAKELPARAM(p.x, p.y));
            return 0;
        }
        case WM_CONTEXTMENU:
            if ((d->style & WS_CHILD) && d->parent) return d->parent->SendMessage(msg, wp, lp);
            return 0;
        case WM_SETTEXT:
            d->text = lp ? reinterpret_cast<const char*>(lp) : "";
            if (d->widget && !(d->style & WS_CHILD)) d->widget->setWindowTitle(ToQ(d->text));
            return TRUE;
        case WM_GETTEXTLENGTH:
            return (LRESULT)d->text.size();
        case WM_GETTEXT: {
            if (!wp || !lp) return 0;
            size_t n = std::min<size_t>(d->text.size(), (size_t)wp - 1);
            memcpy(reinterpret_cast<char*>(lp), d->text.data(), n);
            reinterpret_cast<char*>(lp)[n] = 0;
            return (LRESULT)n;
        }
        case WM_DRAWITEM: {
            // an owner-drawn control the parent does not draw draws itself
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (!dis || dis->CtlType == ODT_MENU) return 0;
            CWnd* item = FromHandle(dis->hwndItem);
            return item && item != this ? Dispatch(item, OCM__BASE + WM_DRAWITEM, wp, lp) : 0;
        }
        case WM_SETFONT:
            d->font = reinterpret_cast<CFont*>(wp);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(d->font);
        default:
            return 0;
    }
}

int HitTestToResizeEdges(LRESULT hit) {
    switch (hit) {
        case HTLEFT:
            return Qt::LeftEdge;
        case HTRIGHT:
            return Qt::RightEdge;
        case HTTOP:
            return Qt::TopEdge;
        case HTBOTTOM:
            return Qt::BottomEdge;
        case HTTOPLEFT:
            return Qt::TopEdge | Qt::LeftEdge;
        case HTTOPRIGHT:
            return Qt::TopEdge | Qt::RightEdge;
        case HTBOTTOMLEFT:
            return Qt::BottomEdge | Qt::LeftEdge;
        case HTBOTTOMRIGHT:
            return Qt::BottomEdge | Qt::RightEdge;
        default:
            return 0;
    }
}

// ---- state ----
BOOL CWnd::ShowWindow(int cmd) {
    if (!CheckUiThread("CWnd::ShowWindow")) return FALSE;
    QWidget* w = d->widget;
    if (!w) return FALSE;
    BOOL was = w->isVisible() || (!w->isHidden() && (d->style & WS_CHILD));
    bool show = cmd != SW_HIDE;
    if (show != (bool)was) {
        auto alive = d->alive;
        Dispatch(this, WM_SHOWWINDOW, show, 0);
        if (!*alive || !d->widget) return was;
    }
    switch (cmd) {
        case SW_HIDE:
            w->hide();
            break;
        case SW_SHOWMAXIMIZED:
            if (w->isWindow()) {
                // A window shown maximized for the first time takes the size the screen gives
                // it at once, frame and all, so that its contents are laid out once.
                if (!w->isVisible() && !(w->windowState() & Qt::WindowMaximized)) {
                    w->winId();
                    QWindow* window = w->windowHandle();
                    if (QScreen* screen = window ? window->screen() : nullptr) {
                        const QRect avail = screen->availableGeometry() - window->frameMargins();
                        if (avail.isValid() && avail.size() != w->size()) w->resize(avail.size());
                    }
                }
                w->showMaximized();
            } else {
                w->show();
            }
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            if (w->isWindow()) w->showMinimized();
            break;
        case SW_RESTORE:
            if (w->isWindow())
                w->showNormal();
            else
                w->show();
            break;
        case SW_SHOWNA:
        case SW_SHOWNOACTIVATE:
            w->setAttribute(Qt::WA_ShowWithoutActivating);
            w->show();
            break;
        default:
            w->show();
            break;
    }
    if (show)
        d->style |= WS_VISIBLE;
    else
        d->style &= ~WS_VISIBLE;
    return was;
}
BOOL CWnd::IsWindowVisible() const {
    return d->widget && d->widget->isVisible();
}
BOOL CWnd::EnableWindow(BOOL enable) {
    if (!d->widget) return FALSE;
    BOOL wasDisabled = !d->widget->isEnabled();
    d->widget->setEnabled(enable != FALSE);
    if (enable)
        d->style &= ~WS_DISABLED;
    else
        d->style |= WS_DISABLED;
    if (!enable) {
        // the toolkit disables windows owned by this one with it; a disabled owner must
        // leave them working (a modal dialog disables its owner and is used all the same)
        for (QWidget* c : d->widget->findChildren<QWidget*>()) {
            if (!c->isWindow()) continue;
            CWnd* owned = WndFromWidget(c);
            if (!owned || owned->d->widget != c || !(owned->d->style & WS_DISABLED))
                c->setEnabled(true);
        }
    }
    if (wasDisabled == !enable) return wasDisabled;
    Dispatch(this, WM_ENABLE, enable, 0);
    return wasDisabled;
}
BOOL CWnd::IsWindowEnabled() const {
    return d->widget && d->widget->isEnabled();
}
BOOL CWnd::IsIconic() const {
    return d->widget && d->widget->isMinimized();
}
BOOL CWnd::IsZoomed() const {
    return d->widget && d->widget->isMaximized();
}

void CWnd::MoveWindow(int x, int y, int w, int h, BOOL repaint) {
    if (!CheckUiThread("CWnd::MoveWindow")) return;
    if (!d->widget) return;
    d->widget->move(x, y);
    ResizeWidget(this, std::max(w, 0), std::max(h, 0));
    if (repaint) Invalidate();
}
void CWnd::MoveWindow(LPCRECT rc, BOOL repaint) {
    if (rc) MoveWindow(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    if (!CheckUiThread("CWnd::SetWindowPos")) return FALSE;
    QWidget* w = d->widget;
    if (!w) return FALSE;
    if (!(flags & SWP_NOMOVE)) w->move(x, y);
    if (!(flags & SWP_NOSIZE)) ResizeWidget(this, std::max(cx, 0), std::max(cy, 0));
    if (!(flags & SWP_NOZORDER)) {
        if (after && after->m_hWnd == HWND_TOPMOST && w->isWindow()) {
            w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            d->exStyle |= WS_EX_TOPMOST;
        } else if (after && after->m_hWnd == HWND_NOTOPMOST && w->isWindow()) {
            w->setWindowFlag(Qt::WindowStaysOnTopHint, false);
            d->exStyle &= ~WS_EX_TOPMOST;
        }
        w->raise();
    }
    if (flags & SWP_FRAMECHANGED) {
        auto alive = d->alive;
        FrameChanged(this);
        if (!*alive || !d->widget) return TRUE;
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow((flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
    return TRUE;
}
void CWnd::GetWindowRect(LPRECT rc) const {
    if (!rc) return;
    if (!d->widget) {
        *rc = RECT{0, 0, 0, 0};
        return;
    }
    QPoint tl = d->widget->mapToGlobal(QPoint(0, 0));
    *rc = FromQRect(QRect(tl, d->widget->size()));
}
void CWnd::GetClientRect(LPRECT rc) const {
    if (!rc) return;
    const QMargins& m = d->ncMargins;
    *rc = d->widget ? RECT{0, 0, std::max(0, d->widget->width() - m.left() - m.right()),
                           std::max(0, d->widget->height() - m.top() - m.bottom())}
                    : RECT{0, 0, 0, 0};
}
void CWnd::ClientToScreen(LPPOINT pt) const {
    if (!pt || !d->widget) return;
    QPoint g = d->widget->mapToGlobal(QPoint(pt->x, pt->y));
    *pt = POINT{g.x(), g.y()};
}
void CWnd::ClientToScreen(LPRECT rc) const {
    if (!rc) return;
    ClientToScreen(reinterpret_cast<LPPOINT>(&rc->left));
    ClientToScreen(reinterpret_cast<LPPOINT>(&rc->right));
}
void CWnd::ScreenToClient(LPPOINT pt) const {
    if (!pt || !d->widget) return;
    QPoint l = d->widget->mapFromGlobal(QPoint(pt->x, pt->y));
    *pt = POINT{l.x(), l.y()};
}
void CWnd::ScreenToClient(LPRECT rc) const {
    if (!rc) return;
    ScreenToClient(reinterpret_cast<LPPOINT>(&rc->left));
    ScreenToClient(reinterpret_cast<LPPOINT>(&rc->right));
}
void CWnd::MapWindowPoints(CWnd* to, LPPOINT pts, UINT count) const {
    for (UINT i = 0; i < count; ++i) {
        ClientToScreen(&pts[i]);
        if (to) to->ScreenToClient(&pts[i]);
    }
}
void CWnd::MapWindowPoints(CWnd* to, LPRECT rc) const {
    MapWindowPoints(to, reinterpret_cast<LPPOINT>(rc), 2);
}
void CWnd::SetWindowText(const std::string& text) {
    SendMessage(WM_SETTEXT, 0, (LPARAM)text.c_str());
}
std::string CWnd::GetWindowText() const {
    auto* self = const_cast<CWnd*>(this);
    LRESULT n = self->SendMessage(WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return {};
    std::string s((size_t)n + 1, '\0');
    LRESULT got = self->SendMessage(WM_GETTEXT, (WPARAM)s.size(), (LPARAM)s.data());
    s.resize((size_t)std::max<LRESULT>(0, got));
    return s;
}
DWORD CWnd::GetStyle() const {
    DWORD s = d->style;
    if (d->widget && d->widget->isVisible()) s |= WS_VISIBLE;
    return s;
}
DWORD CWnd::GetExStyle() const {
    return d->exStyle;
}
// The frame follows the styles at once (the classic manager waits for SWP_FRAMECHANGED;
// callers pass it anyway, and a frame that lags behind its styles helps nobody). With
// flags, the window is then repositioned with them, SWP_FRAMECHANGED included.
BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    if (!CheckUiThread("CWnd::ModifyStyle")) return FALSE;
    DWORD before = d->style;
    d->style = (d->style & ~remove) | add;
    if (before != d->style) {
        auto alive = d->alive;
        STYLESTRUCT ss{before, d->style};
        Dispatch(this, WM_STYLECHANGED, (WPARAM)(LONG_PTR)GWL_STYLE, (LPARAM)&ss);
        if (!*alive || !m_hWnd) return TRUE;
    }
    if (((before ^ d->style) & kFrameStyles) && !flags) ApplySystemFrame(this);
    if (flags)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return before != d->style;
}
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
    DWORD before = d->exStyle;
    d->exStyle = (d->exStyle & ~remove) | add;
    if (before != d->exStyle) {
        auto alive = d->alive;
        STYLESTRUCT ss{before, d->exStyle};
        Dispatch(this, WM_STYLECHANGED, (WPARAM)(LONG_PTR)GWL_EXSTYLE, (LPARAM)&ss);
        if (!*alive || !m_hWnd) return TRUE;
    }
    if (d->widget && d->widget->isWindow() && ((before ^ d->exStyle) & WS_EX_LAYERED) &&
        !(d->exStyle & WS_EX_LAYERED)) {
        d->widget->setWindowOpacity(1.0);
        d->colorKeyOn = false;
    }
    if (((before ^ d->exStyle) & kFrameExStyles) && !flags) ApplySystemFrame(this);
    if (flags)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return before != d->exStyle;
}
UINT CWnd::GetDlgCtrlID() const {
    return d->id;
}
void CWnd::SetDlgCtrlID(UINT id) {
    d->id = id;
}
CWnd* CWnd::GetDlgItem(UINT id) const {
    for (CWnd* c : d->children)
        if (c->d->id == id) return c;
    return nullptr;
}
CWnd* CWnd::GetNextDlgGroupItem(CWnd* ctl, BOOL previous) const {
    const auto& kids = d->children;
    auto at = std::find(kids.begin(), kids.end(), ctl);
    if (!ctl || at == kids.end()) return nullptr;
    const size_t n = kids.size();
    size_t first = (size_t)(at - kids.begin());
    while (first > 0 && !(kids[first]->d->style & WS_GROUP)) --first;
    size_t end = (size_t)(at - kids.begin()) + 1;
    while (end < n && !(kids[end]->d->style & WS_GROUP)) ++end;
    const size_t len = end - first, pos = (size_t)(at - kids.begin()) - first;
    for (size_t step = 1; step < len; ++step) {
        CWnd* c = kids[first + (previous ? pos + len - step : pos + step) % len];
        if (c->IsWindowVisible() && c->IsWindowEnabled()) return c;
    }
    return ctl;
}
CWnd* CWnd::GetNextDlgTabItem(CWnd* ctl, BOOL previous) const {
    const auto& kids = d->children;
    const size_t n = kids.size();
    if (n == 0) return nullptr;
    auto at = std::find(kids.begin(), kids.end(), ctl);
    // from outside the children the walk starts just before the first (after the last)
    size_t pos = at == kids.end() ? (previous ? 0 : n - 1) : (size_t)(at - kids.begin());
    for (size_t step = 1; step <= n; ++step) {
        CWnd* c = kids[(previous ? pos + n - step : pos + step) % n];
        if ((c->d->style & WS_TABSTOP) && c->IsWindowVisible() && c->IsWindowEnabled())
            return c;
    }
    return nullptr;
}
CWnd* CWnd::GetParent() const {
    return (d->style & WS_CHILD) ? d->parent : d->owner;
}
CWnd* CWnd::GetOwner() const {
    return d->owner ? d->owner : d->parent;
}
CWnd* CWnd::GetTopLevelParent() const {
    const CWnd* w = this;
    while ((w->d->style & WS_CHILD) && w->d->parent) w = w->d->parent;
    return const_cast<CWnd*>(w);
}
CWnd* CWnd::SetParent(CWnd* parent) {
    CWnd* old = GetParent();
    if (d->style & WS_CHILD) {
        if (d->parent) {
            auto& sib = d->parent->d->children;
            sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
        }
        d->parent = parent;
        if (parent) parent->d->children.push_back(this);
        if (d->widget) {
            bool vis = !d->widget->isHidden();
            d->widget->setParent(parent ? parent->d->widget.data() : nullptr);
            if (vis) d->widget->show();
        }
    } else {
        d->owner = parent;
    }
    return old;
}
void CWnd::SetOwner(CWnd* owner) {
    d->owner = owner;
}
void CWnd::BringWindowToTop() {
    if (d->widget) {
        d->widget->raise();
        if (d->widget->isWindow()) d->widget->activateWindow();
    }
}
BOOL CWnd::SetForegroundWindow() {
    if (!d->widget) return FALSE;
    QWidget* top = d->widget->window();
    if (top->isMinimized()) top->showNormal();
    top->raise();
    top->activateWindow();
    return TRUE;
}
void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, (WPARAM)font, redraw);
}
CFont* CWnd::GetFont() const {
    return d->font;
}
void CWnd::SetBackgroundColor(COLORREF c) {
    d->background = c;
    d->backgroundSet = true;
    d->eraseBackground = true;
}

// ---- painting ----
void CWnd::Invalidate(BOOL erase) {
    if (!d->widget) return;
    InvalidateRect(nullptr, erase);
}
void CWnd::InvalidateRect(LPCRECT rc, BOOL erase) {
    if (!CheckUiThread("CWnd::InvalidateRect")) return;
    if (!d->widget) return;
    QRect client(QPoint(0, 0), d->widget->size());
    QRect r = rc ? ToQRect(*rc).intersected(client) : client;
    if (r.isEmpty()) return;
    if (d->native) {
        d->widget->update(r);
        return;
    }
    d->invalid += r;
    if (erase) d->erase = true;
    d->widget->update(r);
}
void CWnd::InvalidateRgn(CRgn* rgn, BOOL erase) {
    if (!rgn || !rgn->m_data) {
        Invalidate(erase);
        return;
    }
    if (!d->widget) return;
    d->invalid += rgn->m_data->region;
    if (erase) d->erase = true;
    d->widget->update(rgn->m_data->region);
}
void CWnd::ValidateRect(LPCRECT rc) {
    if (!rc)
        d->invalid = QRegion();
    else
        d->invalid -= ToQRect(*rc);
}
BOOL CWnd::GetUpdateRect(LPRECT rc, BOOL) const {
    QRect b = d->invalid.boundingRect();
    if (rc) *rc = d->invalid.isEmpty() ? RECT{0, 0, 0, 0} : FromQRect(b);
    return !d->invalid.isEmpty();
}
void CWnd::UpdateWindow() {
    if (!CheckUiThread("CWnd::UpdateWindow")) return;
    if (!d->widget || d->invalid.isEmpty()) return;
    QWindow* win = d->widget->window()->windowHandle();
    if (d->widget->isVisible() && win && win->isExposed()) {
        d->widget->repaint(d->invalid);
    } else {
        // hidden: bring the back-buffer up to date all the same
        auto alive = d->alive;
        d->BeginPaintMessage();
        Dispatch(this, WM_PAINT, 0, 0);
        if (!*alive) return;
        d->EndPaintMessage();
    }
}
BOOL CWnd::RedrawWindow(LPCRECT rc, CRgn* rgn, UINT) {
    if (rgn)
        InvalidateRgn(rgn, TRUE);
    else
        InvalidateRect(rc, TRUE);
    UpdateWindow();
    return TRUE;
}
CDC* CWnd::GetDC() {
    return new CClientDC(this);
}
int CWnd::ReleaseDC(CDC* dc) {
    delete dc;
    return 1;
}
int CWnd::SetWindowRgn(CRgn* rgn, BOOL redraw) {
    if (!d->widget) return 0;
    if (!rgn || !rgn->m_data)
        d->widget->clearMask();
    else
        d->widget->setMask(rgn->m_data->region);
    if (redraw) Invalidate();
    return 1;
}
BOOL CWnd::SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags) {
    if (!d->widget || !(d->exStyle & WS_EX_LAYERED)) return FALSE;
    if (flags & LWA_ALPHA) d->widget->setWindowOpacity(alpha / 255.0);
    d->colorKeyOn = (flags & LWA_COLORKEY) != 0;
    d->colorKey = key;
    if (d->colorKeyOn) d->widget->setAttribute(Qt::WA_TranslucentBackground);
    d->widget->update();
    return TRUE;
}

BOOL CWnd::UpdateLayeredWindow(const POINT* pos, const SIZE* size, CDC* src, const POINT* srcPt,
                               DWORD flags) {
    QWidget* w = d->widget;
    if (!w || !w->isWindow() || !(d->exStyle & WS_EX_LAYERED)) return FALSE;
    if (pos) w->move(pos->x, pos->y);
    if (size && size->cx > 0 && size->cy > 0) w->resize(size->cx, size->cy);
    if (src && src->d->surface) {
        QPoint from = srcPt ? QPoint(srcPt->x, srcPt->y) : QPoint(0, 0);
        QImage part = src->d->surface->image.copy(QRect(from, w->size()));
        d->layered = (flags & ULW_ALPHA) ? part.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                         : part.convertToFormat(QImage::Format_RGB32);
        w->setAttribute(Qt::WA_TranslucentBackground, (flags & ULW_ALPHA) != 0);
    }
    w->update();
    return TRUE;
}

// ---- subclassing ----
int CWnd::SubclassWindowProc(WndProcHook hook) {
    if (!hook) return 0;
    const int cookie = d->nextProcHook++;
    d->procHooks.emplace_back(cookie, std::make_shared<WndProcHook>(std::move(hook)));
    return cookie;
}
BOOL CWnd::RestoreWindowProc(int cookie) {
    auto& hooks = d->procHooks;
    auto it = std::find_if(hooks.begin(), hooks.end(),
                           [cookie](const auto& h) { return h.first == cookie; });
    if (it == hooks.end()) return FALSE;
    hooks.erase(it);
    return TRUE;
}

// ---- timers ----
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void*) {
    if (!CheckUiThread("CWnd::SetTimer")) return 0;
    if (!d->timers || !m_hWnd) return 0;
    auto it = d->timerIds.find(id);
    if (it != d->timerIds.end()) d->timers->killTimer(it->second);
    int qid = d->timers->startTimer(std::max<int>(1, (int)std::min<UINT>(elapse, 0x7fffffff)));
    if (!qid) return 0;
    d->timerIds[id] = qid;
    return id ? id : 1;  // nonzero means success, even for id 0
}
BOOL CWnd::KillTimer(UINT_PTR id) {
    auto it = d->timerIds.find(id);
    if (it == d->timerIds.end()) return FALSE;
    if (d->timers) d->timers->killTimer(it->second);
    d->timerIds.erase(it);
    return TRUE;
}

// ---- modal loops ----
int CWnd::RunModalLoop(DWORD) {
    if (!m_hWnd) return -1;
    QEventLoop loop;
    QEventLoop* outer = d->loop;
    d->loop = &loop;
    d->modalResult = -1;
    auto alive = d->alive;
    {
        UiLoopScope scope;
        loop.exec();
    }
    if (!*alive) return -1;
    d->loop = outer;
    // destroyed inside a nested loop of its own: the loops outside it end as well
    if (!m_hWnd && outer) outer->exit(-1);
    return d->modalResult;
}
void CWnd::EndModalLoop(int result) {
    d->modalResult = result;
    if (d->loop) d->loop->exit(result);
}
BOOL CWnd::IsInModalLoop() const {
    return d->loop != nullptr;
}
