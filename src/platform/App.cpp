// The application: toolkit start-up, the handle registry, posting, the input filter
// (capture, key filters, pre-translation) and the key-state bookkeeping.
#include <deque>
#include <QApplication>
#include <QFontDatabase>
#include <fontconfig/fontconfig.h>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QScreen>
#include <QStyleHints>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/Frame.h"
#include "platform/PlatformPrivate.h"

using namespace platform;

const HWND HWND_TOP = nullptr;
const HWND HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

namespace {
std::mutex g_regMutex;
std::unordered_map<std::uintptr_t, CWnd*> g_registry;
std::uintptr_t g_nextHandle = 0x10;
QObject* g_dispatcher = nullptr;
QApplication* g_ownedApp = nullptr;
CWinApp* g_app = nullptr;
std::mutex g_filterMutex;
std::vector<std::pair<int, std::function<bool(MSG&)>>> g_keyFilters;
int g_nextFilter = 1;
const QEvent* g_lastKeyEvent = nullptr;
QPointer<QWidget> g_lastKeyReceiver;
bool g_quit = false;
int g_quitCode = 0;

class AppFilter : public QObject {
public:
    bool eventFilter(QObject* obj, QEvent* e) override;
};
AppFilter* g_filter = nullptr;

MSG KeyMsg(CWnd* target, QKeyEvent* ke) {
    MSG m{};
    m.hwnd = target ? target->m_hWnd : nullptr;
    bool alt = ke->modifiers() & Qt::AltModifier;
    bool down = ke->type() == QEvent::KeyPress;
    m.message = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    m.wParam = KeyToVk(ke->key(), ke->modifiers());
    DWORD lp = std::max(1, ke->count()) & 0xffff;
    lp |= (ke->nativeScanCode() & 0xff) << 16;
    if (ke->isAutoRepeat() || !down) lp |= 1u << 30;
    if (!down) lp |= 1u << 31;
    if (alt) lp |= 1u << 29;
    m.lParam = (LPARAM)lp;
    m.time = (DWORD)ke->timestamp();
    return m;
}

bool AppFilter::eventFilter(QObject* obj, QEvent* e) {
    switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* ke = static_cast<QKeyEvent*>(e);
            NoteKeyEvent(ke);
            if (!obj->isWidgetType()) return false;
            // a key the receiver ignored travels on to its parents: it was filtered already
            auto* receiver = static_cast<QWidget*>(obj);
            if (e == g_lastKeyEvent && g_lastKeyReceiver && receiver != g_lastKeyReceiver &&
                receiver->isAncestorOf(g_lastKeyReceiver))
                return false;
            g_lastKeyEvent = e;
            g_lastKeyReceiver = receiver;
            CWnd* target = WndFromWidget(static_cast<QWidget*>(obj));
            MSG m = KeyMsg(target, ke);
            std::vector<std::function<bool(MSG&)>> filters;
            {
                std::lock_guard<std::mutex> lock(g_filterMutex);
                for (auto& f : g_keyFilters) filters.push_back(f.second);
            }
            for (auto& f : filters)
                if (f(m)) return true;
            if (!target) return false;
            auto alive = target->d->alive;
            for (CWnd* w = target; w && *alive; w = w->GetParent()) {
                if (w->PreTranslateMessage(&m)) return true;
                if (!(w->GetStyle() & WS_CHILD)) break;
            }
            if (g_app && g_app->PreTranslateMessage(&m)) return true;
            return false;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel: {
            auto* ie = static_cast<QInputEvent*>(e);
            if (e->type() == QEvent::Wheel)
                UpdateKeyState(ie->modifiers(), static_cast<QWheelEvent*>(e)->buttons());
            else
                UpdateKeyState(ie->modifiers(), static_cast<QMouseEvent*>(e)->buttons());
            if (!obj->isWidgetType()) return false;
            auto* w = static_cast<QWidget*>(obj);
            if (MenuTrackingActive() && e->type() == QEvent::MouseButtonPress && !IsMenuWindow(w)) {
                CancelMenuTracking();
                return true;
            }
            CWnd* cap = CWnd::GetCapture();
            // the wheel follows the capture as the buttons do
            if (cap && cap->d->widget && e->type() == QEvent::Wheel) {
                CWnd* target = WndFromWidget(w);
                if (target != cap) {
                    auto* we = static_cast<QWheelEvent*>(e);
                    QPointF local = cap->d->widget->mapFromGlobal(we->globalPosition());
                    QWheelEvent redirected(local, we->globalPosition(), we->pixelDelta(),
                                           we->angleDelta(), we->buttons(), we->modifiers(),
                                           we->phase(), we->inverted());
                    QCoreApplication::sendEvent(cap->d->widget, &redirected);
                    return true;
                }
            }
            if (cap && cap->d->widget && e->type() != QEvent::Wheel) {
                CWnd* target = WndFromWidget(w);
                if (target != cap) {
                    auto* me = static_cast<QMouseEvent*>(e);
                    QPointF local = cap->d->widget->mapFromGlobal(me->globalPosition());
                    QMouseEvent redirected(me->type(), local, me->globalPosition(), me->button(),
                                           me->buttons(), me->modifiers());
                    QCoreApplication::sendEvent(cap->d->widget, &redirected);
                    return true;
                }
            }
            return false;
        }
        case QEvent::ApplicationStateChange:
            // keys released while another application had the keyboard never arrive
            if (QGuiApplication::applicationState() != Qt::ApplicationActive) ForgetKeysDown();
            return false;
        default:
            return false;
    }
}
}  // namespace

namespace {
// Set when Initialize has brought the toolkit up.
std::mutex g_toolkitReadyLock;
std::condition_variable g_toolkitReadyChanged;
bool g_toolkitReady = false;
}  // namespace

namespace platform {

void Initialize(int& argc, char** argv) {
    if (!QCoreApplication::instance()) g_ownedApp = new QApplication(argc, argv);
    if (g_dispatcher) return;
    g_dispatcher = new QObject();
    g_filter = new AppFilter();
    qApp->installEventFilter(g_filter);
    // Faces the program names, mapped to the fonts that are installed (for the toolkit's own
    // widgets; the program's fonts ask for the installed face at once).
    for (const auto& [face, installed] : FaceSubstitutions())
        QFont::insertSubstitution(face, installed);
    QFont def(QStringLiteral("WenQuanYi Micro Hei"));
    def.setPixelSize(12);
    QApplication::setFont(def);
    {
        std::lock_guard lock(g_toolkitReadyLock);
        g_toolkitReady = true;
    }
    g_toolkitReadyChanged.notify_all();
}

ToolkitWarmUp::ToolkitWarmUp() {
    try {
        // The font configuration needs no toolkit; the toolkit's own call then finds it done.
        std::promise<void> configured;
        std::shared_future<void> configuration = configured.get_future().share();
        m_configuration = std::thread([done = std::move(configured)]() mutable {
            FcInit();
            done.set_value();
        });
        m_thread = std::thread([this, configuration] {
            std::unique_lock lock(g_toolkitReadyLock);
            g_toolkitReadyChanged.wait(lock, [this] { return g_toolkitReady || m_bEnding; });
            if (!g_toolkitReady) return;
            lock.unlock();
            configuration.wait();
            QFontDatabase::families();
        });
    } catch (const std::system_error&) {
        // no thread to be had: the first text reads it all
    }
}

ToolkitWarmUp::~ToolkitWarmUp() {
    {
        std::lock_guard lock(g_toolkitReadyLock);
        m_bEnding = true;
    }
    g_toolkitReadyChanged.notify_all();
    if (m_thread.joinable()) m_thread.join();
    if (m_configuration.joinable()) m_configuration.join();
}

bool IsInitialized() {
    return g_dispatcher != nullptr;
}
bool IsUiThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

namespace {
// Posted tasks wait in a queue of our own: the hand-over from the posting thread goes through
// a mutex the thread checker sees, and Qt's queued call only says that one more is waiting.
std::mutex g_postedMutex;
std::deque<std::function<void()>> g_posted;

void RunOnePostedTask() {
    std::function<void()> fn;
    {
        std::lock_guard lock(g_postedMutex);
        if (g_posted.empty()) return;
        fn = std::move(g_posted.front());
        g_posted.pop_front();
    }
    fn();
}
}  // namespace

void PostTask(std::function<void()> fn) {
    if (!g_dispatcher) return;
    {
        std::lock_guard lock(g_postedMutex);
        g_posted.push_back(std::move(fn));
    }
    QMetaObject::invokeMethod(g_dispatcher, &RunOnePostedTask, Qt::QueuedConnection);
}

void ProcessPendingEvents() {
    UiLoopScope loop;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    UiLoopScope loop;
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

int AddKeyFilter(std::function<bool(MSG&)> filter) {
    std::lock_guard<std::mutex> lock(g_filterMutex);
    g_keyFilters.emplace_back(g_nextFilter, std::move(filter));
    return g_nextFilter++;
}
void RemoveKeyFilter(int cookie) {
    std::lock_guard<std::mutex> lock(g_filterMutex);
    for (auto it = g_keyFilters.begin(); it != g_keyFilters.end(); ++it)
        if (it->first == cookie) {
            g_keyFilters.erase(it);
            return;
        }
}

HWND RegisterWindow(CWnd* wnd) {
    std::lock_guard<std::mutex> lock(g_regMutex);
    std::uintptr_t h = g_nextHandle;
    g_nextHandle += 0x10;
    g_registry[h] = wnd;
    return reinterpret_cast<HWND>(h);
}
std::vector<HWND> OwnedWindows(const CWnd* owner) {
    std::vector<std::pair<std::uintptr_t, CWnd*>> all;
    {
        std::lock_guard<std::mutex> lock(g_regMutex);
        all.assign(g_registry.begin(), g_registry.end());
    }
    std::sort(all.begin(), all.end());  // oldest first
    std::vector<HWND> owned;
    for (auto& [h, w] : all)
        if (w != owner && !(w->d->style & WS_CHILD) && w->d->owner == owner)
            owned.push_back(reinterpret_cast<HWND>(h));
    return owned;
}

void UnregisterWindow(HWND h) {
    std::lock_guard<std::mutex> lock(g_regMutex);
    g_registry.erase(reinterpret_cast<std::uintptr_t>(h));
}


UINT KeyToVk(int k, Qt::KeyboardModifiers mods) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) {
        if (mods & Qt::KeypadModifier) return VK_NUMPAD0 + (k - Qt::Key_0);
        return '0' + (k - Qt::Key_0);
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return VK_F1 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        case Qt::Key_Pause:
            return VK_PAUSE;
        case Qt::Key_CapsLock:
            return VK_CAPITAL;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Asterisk:
            return (mods & Qt::KeypadModifier) ? VK_MULTIPLY : '8';
        case Qt::Key_Plus:
            return (mods & Qt::KeypadModifier) ? VK_ADD : VK_OEM_PLUS;
        case Qt::Key_Minus:
            return (mods & Qt::KeypadModifier) ? VK_SUBTRACT : VK_OEM_MINUS;
        case Qt::Key_Period:
            return (mods & Qt::KeypadModifier) ? VK_DECIMAL : VK_OEM_PERIOD;
        case Qt::Key_Slash:
            return (mods & Qt::KeypadModifier) ? VK_DIVIDE : VK_OEM_2;
        case Qt::Key_Equal:
            return VK_OEM_PLUS;
        case Qt::Key_Comma:
            return VK_OEM_COMMA;
        case Qt::Key_Semicolon:
            return VK_OEM_1;
        case Qt::Key_QuoteLeft:
            return VK_OEM_3;
        case Qt::Key_BracketLeft:
            return VK_OEM_4;
        case Qt::Key_Backslash:
            return VK_OEM_5;
        case Qt::Key_BracketRight:
            return VK_OEM_6;
        case Qt::Key_Apostrophe:
            return VK_OEM_7;
        case Qt::Key_NumLock:
            return VK_NUMLOCK;
        case Qt::Key_ScrollLock:
            return VK_SCROLL;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
            return VK_LWIN;
        case Qt::Key_Super_R:
            return VK_RWIN;
        case Qt::Key_Menu:
            return VK_APPS;
        case Qt::Key_Print:
            return VK_SNAPSHOT;
        case Qt::Key_Clear:
            return VK_CLEAR;
        default:
            return 0;
    }
}

int VkToQtKey(UINT vk) {
    if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + (vk - VK_F1);
    switch (vk) {
        case VK_BACK:
            return Qt::Key_Backspace;
        case VK_TAB:
            return Qt::Key_Tab;
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_SHIFT:
            return Qt::Key_Shift;
        case VK_CONTROL:
            return Qt::Key_Control;
        case VK_MENU:
            return Qt::Key_Alt;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        case VK_PRIOR:
            return Qt::Key_PageUp;
        case VK_NEXT:
            return Qt::Key_PageDown;
        case VK_END:
            return Qt::Key_End;
        case VK_HOME:
            return Qt::Key_Home;
        case VK_LEFT:
            return Qt::Key_Left;
        case VK_UP:
            return Qt::Key_Up;
        case VK_RIGHT:
            return Qt::Key_Right;
        case VK_DOWN:
            return Qt::Key_Down;
        case VK_INSERT:
            return Qt::Key_Insert;
        case VK_DELETE:
            return Qt::Key_Delete;
        case VK_ADD:
        case VK_OEM_PLUS:
            return Qt::Key_Plus;
        case VK_SUBTRACT:
        case VK_OEM_MINUS:
            return Qt::Key_Minus;
        case VK_MULTIPLY:
            return Qt::Key_Asterisk;
        case VK_DECIMAL:
        case VK_OEM_PERIOD:
            return Qt::Key_Period;
        case VK_DIVIDE:
        case VK_OEM_2:
            return Qt::Key_Slash;
        case VK_OEM_COMMA:
            return Qt::Key_Comma;
        case VK_CAPITAL:
            return Qt::Key_CapsLock;
        case VK_NUMLOCK:
            return Qt::Key_NumLock;
        case VK_SCROLL:
            return Qt::Key_ScrollLock;
        case VK_PAUSE:
            return Qt::Key_Pause;
        case VK_LWIN:
            return Qt::Key_Meta;
        case VK_APPS:
            return Qt::Key_Menu;
        case VK_SNAPSHOT:
            return Qt::Key_Print;
        case VK_OEM_4:
            return Qt::Key_BracketLeft;
        case VK_OEM_5:
            return Qt::Key_Backslash;
        case VK_OEM_6:
            return Qt::Key_BracketRight;
        case VK_OEM_7:
            return Qt::Key_Apostrophe;
        case VK_OEM_1:
            return Qt::Key_Semicolon;
        case VK_OEM_3:
            return Qt::Key_QuoteLeft;
        default:
            return Qt::Key_unknown;
    }
}
}  // namespace platform

namespace platform {
CWnd* LookupWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    std::lock_guard<std::mutex> lock(g_regMutex);
    auto it = g_registry.find(reinterpret_cast<std::uintptr_t>(hwnd));
    return it == g_registry.end() ? nullptr : it->second;
}
}  // namespace platform

CWnd* CWnd::FromHandle(HWND hwnd) {
    // the object may be destroyed by the UI thread the moment after: other threads post
    (void)CheckUiThread("CWnd::FromHandle");
    return LookupWindow(hwnd);
}

BOOL IsWindow(HWND hwnd) {
    return LookupWindow(hwnd) != nullptr;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!g_dispatcher) return FALSE;
    if (!hwnd) {
        // a thread message: only WM_QUIT means something to this loop
        if (msg == WM_QUIT) {
            PostTask([code = (int)wParam] { PostQuitMessage(code); });
            return TRUE;
        }
        return FALSE;
    }
    if (!IsWindow(hwnd)) return FALSE;
    // resolved again on arrival: the window may be gone by then. Through the posted-task
    // queue, so messages and tasks keep one order and the hand-over is a lock the thread
    // checker sees.
    PostTask([hwnd, msg, wParam, lParam] {
        if (CWnd* w = LookupWindow(hwnd)) Dispatch(w, msg, wParam, lParam);
    });
    return TRUE;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!g_dispatcher) return 0;
    if (IsUiThread()) {
        CWnd* w = CWnd::FromHandle(hwnd);
        return w ? Dispatch(w, msg, wParam, lParam) : 0;
    }
    if (!IsWindow(hwnd)) return 0;
    return SendFromOtherThread(g_dispatcher, hwnd, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    g_quit = true;
    g_quitCode = exitCode;
    if (QCoreApplication::instance()) QCoreApplication::exit(exitCode);
}

BOOL GetCursorPos(LPPOINT pt) {
    if (!pt) return FALSE;
    QPoint p = QCursor::pos();
    *pt = POINT{p.x(), p.y()};
    return TRUE;
}

DWORD GetTickCount() {
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return (DWORD)t.elapsed();
}

int GetSystemMetrics(int index) {
    QScreen* s = QGuiApplication::primaryScreen();
    switch (index) {
        case SM_CXSCREEN:
            return s ? s->geometry().width() : 1920;
        case SM_CYSCREEN:
            return s ? s->geometry().height() : 1080;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
            return 17;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        default:
            return 0;
    }
}

UINT GetCaretBlinkTime() {
    // the toolkit gives the whole on-and-off cycle; 0 means the caret does not blink
    const int cycle = QGuiApplication::styleHints()->cursorFlashTime();
    return cycle > 0 ? UINT(cycle / 2) : 530;
}

BOOL SystemParametersWorkArea(LPRECT rc) {
    if (!rc) return FALSE;
    QScreen* s = QGuiApplication::primaryScreen();
    *rc = s ? FromQRect(s->availableGeometry()) : RECT{0, 0, 1920, 1040};
    return TRUE;
}

// ---- CWinApp ----
CWinApp::CWinApp(const char* name) : m_pszAppName(name ? name : "") {
    g_app = this;
}
CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}
int CWinApp::Run() {
    if (!g_quit && QCoreApplication::instance()) {
        UiLoopScope loop;
        m_exitCode = QCoreApplication::exec();
    } else {
        m_exitCode = g_quitCode;
        if (QCoreApplication::instance()) {
            // The quit came while no main loop ran (the main window destroyed from a nested
            // pump, or before Run): the loop still runs what is queued ahead of the quit and
            // then ends, and Qt forgets the request, so the next modal loop is not ended at once.
            UiLoopScope loop;
            QTimer::singleShot(0, QCoreApplication::instance(),
                               [code = m_exitCode] { QCoreApplication::exit(code); });
            QCoreApplication::exec();
        }
    }
    g_quit = false;
    return ExitInstance();
}
void CWinApp::AddDocTemplate(CDocTemplate* t) {
    if (t) m_templates.push_back(t);
}
CWinApp* AfxGetApp() {
    return g_app;
}
CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}
