// The threading contract: which calls belong to the UI thread, whether its loop is running,
// and sends from other threads that must never wait on a loop that is not there.
#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <mutex>

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
std::mutex g_mutex;
std::condition_variable g_changed;
int g_loopDepth = 0;  // UI-thread loops running now (guarded by g_mutex)

struct PendingSend {
    bool done = false;
    bool cancelled = false;
    LRESULT result = 0;
};
std::list<std::shared_ptr<PendingSend>> g_pending;

std::mutex g_handlerMutex;
std::function<void(const std::string&)> g_violationHandler;

void Log(const std::string& text) {
    std::fprintf(stderr, "tarrow platform: %s\n", text.c_str());
}
}  // namespace

namespace platform {

UiLoopScope::UiLoopScope() {
    std::lock_guard lock(g_mutex);
    ++g_loopDepth;
}

UiLoopScope::~UiLoopScope() {
    std::lock_guard lock(g_mutex);
    if (--g_loopDepth > 0) return;
    // no loop will answer the sends still queued: their senders go on with 0, and the
    // queued calls, should a loop run them later, do nothing (their arguments may be gone)
    for (auto& p : g_pending)
        if (!p->done) {
            p->cancelled = true;
            p->done = true;
        }
    g_pending.clear();
    g_changed.notify_all();
}

bool UiLoopRunning() {
    std::lock_guard lock(g_mutex);
    return g_loopDepth > 0;
}

void UiThreadViolation(const char* call) {
    const std::string text = std::string(call) + " called off the UI thread; post instead";
    std::function<void(const std::string&)> handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_violationHandler;
    }
    if (handler) {
        handler(text);
        return;
    }
    Log(text);
#ifndef NDEBUG
    std::abort();
#endif
}

void SetUiThreadViolationHandler(std::function<void(const std::string&)> handler) {
    std::lock_guard lock(g_handlerMutex);
    g_violationHandler = std::move(handler);
}

LRESULT SendFromOtherThread(QObject* dispatcher, HWND hwnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) {
    auto pending = std::make_shared<PendingSend>();
    {
        std::lock_guard lock(g_mutex);
        if (g_loopDepth == 0) {
            Log("SendMessage(" + std::to_string(msg) +
                ") from another thread while the UI loop is not running: answered 0");
            return 0;
        }
        g_pending.push_back(pending);
    }
    QMetaObject::invokeMethod(
        dispatcher,
        [pending, hwnd, msg, wParam, lParam] {
            {
                std::lock_guard lock(g_mutex);
                if (pending->cancelled) return;
            }
            LRESULT r = 0;
            if (CWnd* w = LookupWindow(hwnd)) r = Dispatch(w, msg, wParam, lParam);
            std::lock_guard lock(g_mutex);
            pending->result = r;
            pending->done = true;
            g_pending.remove(pending);
            g_changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(g_mutex);
    g_changed.wait(lock, [&] { return pending->done; });
    if (pending->cancelled)
        Log("SendMessage(" + std::to_string(msg) +
            ") from another thread: the UI loop stopped before answering; answered 0");
    return pending->result;
}
}  // namespace platform
