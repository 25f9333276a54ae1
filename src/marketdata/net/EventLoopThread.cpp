#include "marketdata/net/EventLoopThread.h"

#include <event2/event.h>
#include <event2/thread.h>

#include <mutex>

namespace {

struct PostedTask {
    std::function<void()> m_task;
};

void RunPostedTask(evutil_socket_t, short, void* arg) {
    std::unique_ptr<PostedTask> posted(static_cast<PostedTask*>(arg));
    if (posted->m_task) posted->m_task();
}

bool Schedule(const RunningLoop* loop, const timeval* delay, std::function<void()> task) {
    if (!loop || !loop->m_pBase) return false;
    auto* posted = new PostedTask{std::move(task)};
    if (event_base_once(loop->m_pBase, -1, EV_TIMEOUT, RunPostedTask, posted, delay) != 0) {
        delete posted;
        return false;
    }
    return true;
}

void OnKeepAlive(evutil_socket_t, short, void* arg) {
    auto* self = static_cast<BaseLibEvThread*>(arg);
    if (self->m_timerHook) self->m_timerHook();
}

}  // namespace

bool RunInLoop(const RunningLoop* loop, std::function<void()> task) {
    return Schedule(loop, nullptr, std::move(task));
}

bool RunInLoopAfter(const RunningLoop* loop, int delayMs, std::function<void()> task) {
    timeval tv{delayMs / 1000, (delayMs % 1000) * 1000};
    return Schedule(loop, &tv, std::move(task));
}

BaseLibEvThread::~BaseLibEvThread() {
    Stop();
}

void EnableEventThreads() {
    static std::once_flag threadsOn;
    std::call_once(threadsOn, [] { evthread_use_pthreads(); });
}

RunningLoop* BaseLibEvThread::Start() {
    EnableEventThreads();
    if (m_thread.joinable()) return m_pLoop.load();
    m_thread = std::thread([this] { Run(); });
    std::unique_lock lock(m_startMutex);
    m_started.wait(lock, [this] { return m_pLoop.load() != nullptr; });
    return m_pLoop.load();
}

void BaseLibEvThread::Stop() {
    if (!m_thread.joinable()) return;
    if (RunningLoop* loop = m_pLoop.load()) event_base_loopexit(loop->m_pBase, nullptr);
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

int BaseLibEvThread::Run() {
    RunningLoop loop;
    loop.m_threadId = std::this_thread::get_id();
    loop.m_pBase = event_base_new();
    {
        std::lock_guard lock(m_startMutex);
        m_pLoop = &loop;
    }
    m_started.notify_all();
    if (m_startHook) m_startHook(&loop);

    m_pKeepAlive = event_new(loop.m_pBase, -1, EV_PERSIST, OnKeepAlive, this);
    timeval hour{3600, 0};
    event_add(m_pKeepAlive, &hour);

    event_base_dispatch(loop.m_pBase);

    event_free(m_pKeepAlive);
    m_pKeepAlive = nullptr;
    m_pLoop = nullptr;
    event_base_free(loop.m_pBase);
    return 0;
}

std::shared_ptr<BaseLibEvThread> CReactor::s_thread;
std::atomic<RunningLoop*> CReactor::s_pLoop{nullptr};

RunningLoop* CReactor::Start() {
    EnableEventThreads();
    if (s_thread) return s_pLoop.load();
    s_thread = std::make_shared<BaseLibEvThread>();
    s_pLoop = s_thread->Start();
    return s_pLoop.load();
}

void CReactor::Stop() {
    if (!s_thread) return;
    s_pLoop = nullptr;
    s_thread->Stop();
    s_thread.reset();
}

RunningLoop* CReactor::GetLoop() {
    return s_pLoop.load();
}
