// The caret and the input method's position.
#include "platform/Caret.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QTimer>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
struct CaretState {
    HWND owner = nullptr;
    QSize size;
    QPoint pos;
    int hidden = 1;  // HideCaret count; a new caret is hidden once
    bool on = true;  // the blink phase
    QImage shape;    // null: a solid block
    QTimer* timer = nullptr;
    UINT blinkMs = 0;  // 0: the desktop's
};
CaretState g_caret;

CWnd* Owner() {
    return CWnd::FromHandle(g_caret.owner);
}
QRect CaretRect() {
    return QRect(g_caret.pos, g_caret.size);
}
void Repaint(const QRect& r) {
    CWnd* w = Owner();
    if (w && w->d->widget && !r.isEmpty()) w->d->widget->update(r);
}
void TellInputMethod() {
    CWnd* w = Owner();
    if (w && w->d->widget && w->d->widget->hasFocus() && QGuiApplication::inputMethod())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}
UINT BlinkMs() {
    return g_caret.blinkMs ? g_caret.blinkMs : GetCaretBlinkTime();
}
// Visible now: shown, and on in the blink.
void Restart() {
    if (!g_caret.timer) {
        g_caret.timer = new QTimer();
        QObject::connect(g_caret.timer, &QTimer::timeout, [] {
            g_caret.on = !g_caret.on;
            Repaint(CaretRect());
        });
    }
    g_caret.on = true;
    if (g_caret.owner && g_caret.hidden == 0)
        g_caret.timer->start((int)BlinkMs());
    else
        g_caret.timer->stop();
}
bool Accepts(HWND hwnd) {
    return g_caret.owner && (!hwnd || hwnd == g_caret.owner) && Owner();
}
}  // namespace

namespace platform {
void PaintCaret(CWnd* wnd, QPainter& p) {
    if (!wnd || wnd->m_hWnd != g_caret.owner || g_caret.hidden != 0 || !g_caret.on) return;
    p.save();
    p.setClipping(false);
    if (g_caret.shape.isNull()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(CaretRect(), Qt::white);
    } else {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.drawImage(g_caret.pos, g_caret.shape);
    }
    p.restore();
}

void CaretWindowGone(CWnd* wnd) {
    if (wnd && wnd->m_hWnd == g_caret.owner) DestroyCaret();
}

bool ImeCursorRect(const CWnd* wnd, QRect& out) {
    const WndPrivate* d = wnd->d.get();
    if (d->imePosSet) {
        out = d->imeRect;
        return true;
    }
    if (wnd->m_hWnd == g_caret.owner) {
        out = CaretRect();
        return true;
    }
    return false;
}

void InputMethodEvent(CWnd* wnd, const QString& preedit, const QString& commit) {
    WndPrivate* d = wnd->d.get();
    auto alive = d->alive;
    if (!d->composing && (!preedit.isEmpty() || !commit.isEmpty())) {
        d->composing = true;
        Dispatch(wnd, WM_IME_STARTCOMPOSITION, 0, 0);
        if (!*alive) return;
    }
    if (!preedit.isEmpty()) {
        Dispatch(wnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
        if (!*alive) return;
    }
    if (!commit.isEmpty()) {
        Dispatch(wnd, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
        if (!*alive) return;
        for (char32_t c : commit.toUcs4()) {
            Dispatch(wnd, WM_CHAR, (WPARAM)c, 1);
            if (!*alive) return;
        }
    }
    if (preedit.isEmpty() && d->composing) {
        d->composing = false;
        Dispatch(wnd, WM_IME_ENDCOMPOSITION, 0, 0);
    }
}
}  // namespace platform

BOOL CreateCaret(HWND hwnd, CBitmap* bitmap, int width, int height) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w || !w->d->widget) return FALSE;
    DestroyCaret();
    g_caret.owner = hwnd;
    g_caret.hidden = 1;
    g_caret.pos = QPoint(0, 0);
    g_caret.shape = QImage();
    if (bitmap && bitmap->m_surface && !bitmap->m_surface->image.isNull()) {
        bitmap->m_surface->End();
        g_caret.shape = bitmap->m_surface->Logical().convertToFormat(QImage::Format_RGB32);
        if (width <= 0) width = g_caret.shape.width();
        if (height <= 0) height = g_caret.shape.height();
        g_caret.shape = g_caret.shape.copy(0, 0, width, height);
    }
    g_caret.size = QSize(width > 0 ? width : GetSystemMetrics(SM_CXBORDER), std::max(height, 1));
    Restart();
    TellInputMethod();
    return TRUE;
}

BOOL DestroyCaret() {
    if (!g_caret.owner) return FALSE;
    const QRect old = CaretRect();
    const bool wasShown = g_caret.hidden == 0;
    if (wasShown) Repaint(old);
    g_caret.owner = nullptr;
    g_caret.hidden = 1;
    if (g_caret.timer) g_caret.timer->stop();
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    if (!Accepts(hwnd) || g_caret.hidden == 0) return FALSE;
    if (--g_caret.hidden == 0) {
        Restart();
        Repaint(CaretRect());
    }
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    if (!Accepts(hwnd)) return FALSE;
    if (g_caret.hidden++ == 0) {
        Repaint(CaretRect());
        Restart();
    }
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    if (!Accepts(nullptr)) return FALSE;
    const QRect old = CaretRect();
    g_caret.pos = QPoint(x, y);
    if (g_caret.hidden == 0) {
        Repaint(old);
        Restart();
        Repaint(CaretRect());
    }
    TellInputMethod();
    return TRUE;
}

BOOL GetCaretPos(LPPOINT pt) {
    if (!pt || !Accepts(nullptr)) return FALSE;
    *pt = POINT{g_caret.pos.x(), g_caret.pos.y()};
    return TRUE;
}

BOOL SetCaretBlinkTime(UINT ms) {
    g_caret.blinkMs = ms;
    if (g_caret.timer && g_caret.timer->isActive()) g_caret.timer->start((int)BlinkMs());
    return TRUE;
}

HWND GetCaretOwner() {
    return Owner() ? g_caret.owner : nullptr;
}

HIMC ImmGetContext(HWND hwnd) {
    return CWnd::FromHandle(hwnd) ? reinterpret_cast<HIMC>(hwnd) : nullptr;
}
BOOL ImmReleaseContext(HWND, HIMC) {
    return TRUE;
}
BOOL ImmSetCompositionWindow(HIMC imc, const COMPOSITIONFORM* form) {
    CWnd* w = CWnd::FromHandle(reinterpret_cast<HWND>(imc));
    if (!w || !form) return FALSE;
    WndPrivate* d = w->d.get();
    if (form->dwStyle == CFS_DEFAULT) {
        d->imePosSet = false;
    } else if (form->dwStyle & CFS_RECT) {
        d->imePosSet = true;
        d->imeRect = ToQRect(form->rcArea);
    } else if (form->dwStyle & (CFS_POINT | CFS_FORCE_POSITION)) {
        d->imePosSet = true;
        // as tall as a line of the window's font, so the candidates open below the text
        const int line = QFontMetrics(d->widget ? d->widget->font() : QFont()).height();
        d->imeRect = QRect(form->ptCurrentPos.x, form->ptCurrentPos.y, 1, line);
    } else {
        return FALSE;
    }
    if (d->widget && d->widget->hasFocus() && QGuiApplication::inputMethod())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    return TRUE;
}

BOOL GetImeCursorRect(HWND hwnd, LPRECT rc) {
    CWnd* w = CWnd::FromHandle(hwnd);
    if (!w || !rc) return FALSE;
    QRect r;
    if (!ImeCursorRect(w, r)) r = QRect(0, 0, 1, 1);
    *rc = FromQRect(r);
    return TRUE;
}

// ---- CWnd's caret members ----
BOOL CWnd::CreateSolidCaret(int width, int height) {
    return ::CreateCaret(m_hWnd, nullptr, width, height);
}
BOOL CWnd::CreateCaret(CBitmap* bitmap) {
    return ::CreateCaret(m_hWnd, bitmap, 0, 0);
}
void CWnd::ShowCaret() {
    ::ShowCaret(m_hWnd);
}
void CWnd::HideCaret() {
    ::HideCaret(m_hWnd);
}
void CWnd::SetCaretPos(POINT pt) {
    ::SetCaretPos(pt.x, pt.y);
}
CPoint CWnd::GetCaretPos() {
    POINT p{0, 0};
    ::GetCaretPos(&p);
    return CPoint(p.x, p.y);
}
