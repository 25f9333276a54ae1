#include "foundation/MyThread.h"

#include <unistd.h>

#include <system_error>

CMyThread::~CMyThread() {
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bIdle) {
            m_bStopRequested = true;
            m_stopEvent.notify_all();
        }
        thread = std::move(m_thread);
    }
    if (thread.joinable()) {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();  // auto-delete: the worker is deleting its own object
        else
            thread.join();
    }
}

bool CMyThread::Start(int /*priority*/) {
    std::thread previous;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bIdle) return false;
        previous = std::move(m_thread);
    }
    // The previous run has flagged itself idle; its thread is at most returning.
    if (previous.joinable()) {
        if (previous.get_id() == std::this_thread::get_id())
            previous.detach();
        else
            previous.join();
    }

    std::lock_guard lock(m_mutex);
    if (!m_bIdle) return false;
    m_bStopRequested = false;
    m_bEnded = false;
    m_bIdle = false;
    try {
        m_thread = std::thread(&CMyThread::ThreadProc, this);
    } catch (const std::system_error&) {
        m_bIdle = true;
        return false;
    }
    return true;
}

void CMyThread::RequestStop() {
    std::lock_guard lock(m_mutex);
    if (m_bIdle) return;
    m_bStopRequested = true;
    m_stopEvent.notify_all();
}

void CMyThread::Stop() {
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bIdle) {
            m_bStopRequested = true;
            m_stopEvent.notify_all();
        }
        if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
            thread = std::move(m_thread);
    }
    // Joining owns the thread object outright: there is no handle left to go stale.
    if (thread.joinable()) thread.join();
}

bool CMyThread::WaitForStop(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_stopEvent.wait_for(lock, timeout, [this] { return m_bStopRequested.load(); });
}

void CMyThread::ThreadProc() {
    m_nThreadId = static_cast<uint32_t>(::gettid());
    int rc = -1;
    // An exception escaping a worker would end the process; it ends the run instead.
    try {
        OnStart();
        rc = Run();
    } catch (...) {
        rc = -1;
    }
    try {
        OnEnd();
    } catch (...) {
    }
    m_nExitCode = rc;

    bool autoDelete;
    {
        std::lock_guard lock(m_mutex);
        m_bEnded = true;
        m_bIdle = true;
        autoDelete = m_bAutoDelete;
        // Nobody will join a self-deleting worker; Stop may already have taken the handle.
        if (autoDelete && m_thread.joinable()) m_thread.detach();
    }
    if (autoDelete) delete this;
}
