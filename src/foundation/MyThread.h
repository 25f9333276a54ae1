#pragma once
// Base of the program's own worker threads. A subclass implements Run, polls
// IsStopRequested between steps and sleeps through WaitForStop, so that a stop request
// wakes it at once.
//
// Life cycle: idle -> Start -> running -> Run returns -> idle and ended; it may be started
// again. Start marks the object running before the thread exists, so a Stop or
// RequestStop issued right after Start always reaches the new thread.
//
// With auto-delete set the object deletes itself when its thread ends; it must then not
// be touched from outside once started. Otherwise a subclass calls Stop in its own
// destructor: the base destructor still joins a running thread, but by then the
// subclass part is gone.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class CMyThread {
public:
    CMyThread() = default;
    virtual ~CMyThread();
    CMyThread(const CMyThread&) = delete;
    CMyThread& operator=(const CMyThread&) = delete;

    // Starts the thread. False when it is already running or could not be created.
    // The priority is accepted for callers' sake; workers run at the normal priority.
    virtual bool Start(int priority = 0);
    // Requests a stop and waits for the thread to end. Returns at once when the thread
    // was never started or has ended; called from the worker itself it only requests.
    virtual void Stop();
    // Requests a stop without waiting.
    virtual void RequestStop();

    bool IsIdle() const { return m_bIdle.load(); }
    bool IsEnded() const { return m_bEnded.load(); }
    bool IsStopRequested() const { return m_bStopRequested.load(); }
    void SetAutoDelete(bool autoDelete) { m_bAutoDelete.store(autoDelete); }
    // Result of the last Run (the thread's exit code); 0 before the first end.
    int GetExitCode() const { return m_nExitCode.load(); }
    // Kernel id of the running (or last) thread, set by the thread itself.
    uint32_t GetThreadId() const { return m_nThreadId.load(); }

protected:
    virtual int Run() = 0;
    virtual void OnStart() {}
    virtual void OnEnd() {}

    // Sleeps up to `timeout`; true when a stop was requested (at once if it already was).
    bool WaitForStop(std::chrono::milliseconds timeout);

private:
    void ThreadProc();

    std::atomic<uint32_t> m_nThreadId{0};
    std::mutex m_mutex;  // guards m_thread and the stop wake-up
    std::condition_variable m_stopEvent;
    std::thread m_thread;
    std::atomic<bool> m_bStopRequested{false};
    std::atomic<bool> m_bIdle{true};
    std::atomic<bool> m_bEnded{false};
    std::atomic<bool> m_bAutoDelete{false};
    std::atomic<int> m_nExitCode{0};
};
