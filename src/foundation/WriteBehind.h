#pragma once
// Files written behind the caller's back. A file rewritten after every small change (a
// chart's drawings) is serialised by its owner and handed over here; one writer thread
// replaces it on disk with WriteFileAtomic, so the owner never waits for the flushes.
//
// - A newer version of a path replaces an older one that is still queued: only the last
//   version of a burst reaches the disk, in the order the paths were first handed over.
// - Until a version is on disk its bytes stay readable through PendingBytes, so whoever
//   loads the file reads the newest version, never the one the disk still holds.
// - Drain waits until everything handed over is written; the program's exit calls it, so
//   nothing handed over is lost.
// - A failed write is logged and given to the error sink on the writer thread (the
//   owner's module posts it on to its UI thread); it is never dropped silently.
//
// Every operation may be called from any thread. The lock is never held while writing
// or while calling the sink.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

class CWriteBehind {
public:
    // Path and readable reason of a write that failed; runs on the writer thread.
    using ErrorSink = std::function<void(const std::string& path, const std::string& error)>;

    // How one version reaches the disk: WriteFileAtomic unless a test says otherwise.
    using WriteFn = std::function<bool(const std::string& path, std::string_view bytes, std::string* error)>;

    CWriteBehind();
    // Writes what is still queued, then ends the writer thread.
    ~CWriteBehind();
    CWriteBehind(const CWriteBehind&) = delete;
    CWriteBehind& operator=(const CWriteBehind&) = delete;

    // Hands the whole new contents of `path` over; the writer thread starts on first use.
    void Write(const std::string& path, std::string bytes);
    // The newest contents of `path` that are not on disk yet (queued or being written);
    // false when the file holds its newest version.
    bool PendingBytes(const std::string& path, std::string& bytes) const;
    bool IsPending(const std::string& path) const;
    // Waits until every version handed over before the call has been written or has failed
    // (and its failure given to the sink).
    void Drain();
    // The same for one path.
    void Drain(const std::string& path);
    // Replaces the sink; an empty one leaves failures to the log alone. The sink must not
    // wait for the writer (Drain) since it runs on it.
    void SetErrorSink(ErrorSink sink);

    // For tests: replaces the way versions are written (empty: WriteFileAtomic again).
    void SetWriteFunction(WriteFn write);

    // Files written and writes that failed so far.
    uint64_t WrittenCount() const;
    uint64_t FailedCount() const;

private:
    using Bytes = std::shared_ptr<const std::string>;
    void Run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // work queued, or the end
    std::condition_variable m_done;  // a write ended
    std::deque<std::string> m_order;                // queued paths, each once, oldest first
    std::unordered_map<std::string, Bytes> m_queued;  // path -> its newest queued version
    std::string m_writingPath;                      // being written (empty: none)
    Bytes m_writing;
    ErrorSink m_sink;
    WriteFn m_write;
    uint64_t m_nWritten = 0;
    uint64_t m_nFailed = 0;
    bool m_bBusy = false;  // a burst is being written (its folders not yet flushed)
    bool m_bStop = false;
    std::thread m_thread;
};

// The program's write-behind; drained at exit.
CWriteBehind& GetWriteBehind();
