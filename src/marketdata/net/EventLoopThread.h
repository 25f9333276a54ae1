#pragma once
// The one network thread. Every socket, timer and reply handler of the market-data client
// runs on the event loop this thread drives; other threads hand work over with
// RunInLoop. The loop is kept alive by an hourly timer, so it runs while no connection
// exists.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct event;
struct event_base;

// The running loop as the rest of the network code sees it. Lives as long as the loop.
struct RunningLoop {
    std::thread::id m_threadId;
    event_base* m_pBase = nullptr;

    bool IsInLoopThread() const { return std::this_thread::get_id() == m_threadId; }
};

// Switches libevent to pthread locking; must precede the first event base. Idempotent.
void EnableEventThreads();

// Runs task on the loop's thread at its next iteration (also when called on that thread:
// the caller's stack unwinds first). Safe from any thread. Returns false when the loop
// cannot take work (it is being torn down); the task is then dropped.
bool RunInLoop(const RunningLoop* loop, std::function<void()> task);

// Same, after a delay in milliseconds.
bool RunInLoopAfter(const RunningLoop* loop, int delayMs, std::function<void()> task);

class BaseLibEvThread {
public:
    using StartHook = std::function<void(RunningLoop*)>;
    using TimerHook = std::function<void()>;

    BaseLibEvThread() = default;
    ~BaseLibEvThread();
    BaseLibEvThread(const BaseLibEvThread&) = delete;
    BaseLibEvThread& operator=(const BaseLibEvThread&) = delete;

    // Starts the thread and returns once its loop exists.
    RunningLoop* Start();
    // Ends the loop (pending callbacks finish first) and joins the thread.
    void Stop();

    RunningLoop* GetLoop() const { return m_pLoop.load(); }

    StartHook m_startHook;
    TimerHook m_timerHook;

private:
    int Run();

    std::atomic<RunningLoop*> m_pLoop{nullptr};
    event* m_pKeepAlive = nullptr;
    std::thread m_thread;
    std::mutex m_startMutex;
    std::condition_variable m_started;
};

// Process-wide owner of the network thread.
class CReactor {
public:
    // Switches libevent to pthread locking (once), starts the thread and publishes its
    // loop. A second call while running returns the same loop.
    static RunningLoop* Start();
    // Stops the loop and joins the thread; the loop pointer becomes null. The network
    // client must be stopped before, so that nothing posts to a dead loop.
    static void Stop();
    static RunningLoop* GetLoop();

private:
    static std::shared_ptr<BaseLibEvThread> s_thread;
    static std::atomic<RunningLoop*> s_pLoop;
};
