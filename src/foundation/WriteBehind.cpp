#include "foundation/WriteBehind.h"

#include "foundation/AtomicFile.h"
#include "foundation/MyLog.h"

namespace {
bool WriteAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    return WriteFileAtomic(path, bytes, error);
}
}  // namespace

CWriteBehind::CWriteBehind() : m_write(WriteAtomically) {}

CWriteBehind::~CWriteBehind() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void CWriteBehind::Write(const std::string& path, std::string bytes) {
    auto version = std::make_shared<const std::string>(std::move(bytes));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto [it, added] = m_queued.try_emplace(path, version);
        if (added)
            m_order.push_back(path);
        else
            it->second = std::move(version);  // the older version was never started
        if (!m_thread.joinable()) m_thread = std::thread([this] { Run(); });
    }
    m_wake.notify_one();
}

bool CWriteBehind::PendingBytes(const std::string& path, std::string& bytes) const {
    Bytes version;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (auto it = m_queued.find(path); it != m_queued.end())
            version = it->second;
        else if (m_writing && m_writingPath == path)
            version = m_writing;
    }
    if (!version) return false;
    bytes = *version;  // versions are never changed once handed over: no lock needed
    return true;
}

bool CWriteBehind::IsPending(const std::string& path) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queued.count(path) || (m_writing && m_writingPath == path);
}

void CWriteBehind::Drain() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_order.empty() && !m_bBusy; });
}

void CWriteBehind::Drain(const std::string& path) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [&] { return !m_queued.count(path) && !(m_writing && m_writingPath == path); });
}

void CWriteBehind::SetErrorSink(ErrorSink sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink = std::move(sink);
}

void CWriteBehind::SetWriteFunction(WriteFn write) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_write = write ? std::move(write) : WriteFn(WriteAtomically);
}

uint64_t CWriteBehind::WrittenCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nWritten;
}

uint64_t CWriteBehind::FailedCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nFailed;
}

void CWriteBehind::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_bStop || !m_order.empty(); });
        if (m_order.empty()) return;  // stopped with nothing left to write
        m_bBusy = true;
        lock.unlock();
        {
            // A burst of files flushes each folder once, after its last file.
            CAtomicWriteBatch batch;
            lock.lock();
            while (!m_order.empty()) {
                const std::string path = std::move(m_order.front());
                m_order.pop_front();
                auto it = m_queued.find(path);
                m_writing = std::move(it->second);
                m_queued.erase(it);
                m_writingPath = path;
                const Bytes version = m_writing;
                const WriteFn write = m_write;
                lock.unlock();

                std::string error;
                const bool ok = write(path, *version, &error);
                if (!ok)
                    GetAppLog().WriteLog("%s %d %s", "CWriteBehind", 1,
                                         error.empty() ? path.c_str() : error.c_str());

                if (!ok) {
                    // Reported before the version counts as done: whoever drained has
                    // the report in hand.
                    lock.lock();
                    const ErrorSink sink = m_sink;
                    lock.unlock();
                    if (sink) sink(path, error.empty() ? "cannot write " + path : error);
                }

                lock.lock();
                m_writing.reset();
                m_writingPath.clear();
                ++(ok ? m_nWritten : m_nFailed);
                m_done.notify_all();
            }
            lock.unlock();
        }
        lock.lock();
        m_bBusy = false;
        m_done.notify_all();
    }
}

CWriteBehind& GetWriteBehind() {
    // The writer logs up to its very end at exit: the log must be made first so that it
    // is destroyed after the writer.
    static CMyLog& log = GetAppLog();
    (void)log;
    static CWriteBehind writer;
    return writer;
}
