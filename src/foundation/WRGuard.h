#pragma once
// Many-readers / one-writer lock. Readers are the drawing and training code, the writer is
// whoever merges data arriving from the network. Not re-entrant: a reader must not take
// the write lock, nor a writer the read lock (either waits for itself).
//
// Unlike std::shared_mutex, a lock may be released by a thread other than the one that
// took it. Nothing favours writers: a steady stream of readers can delay a writer.
// Prefer the guards below to the bare calls, so that no error path leaves the lock held.

#include <condition_variable>
#include <mutex>
#include <utility>

class CWRGuard {
public:
    CWRGuard() = default;
    virtual ~CWRGuard() = default;
    CWRGuard(const CWRGuard&) = delete;
    CWRGuard& operator=(const CWRGuard&) = delete;

    void ReadLock();
    void ReadUnlock();
    void WriteLock();
    void WriteUnlock();

    // Non-blocking variants: true when the lock was taken.
    bool TryReadLock();
    bool TryWriteLock();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_nReaders = 0;
    bool m_bWriter = false;
};

// Holds the read lock of a CWRGuard for its scope (or until Unlock).
class CReadGuard {
public:
    explicit CReadGuard(CWRGuard& guard) : m_pGuard(&guard) { guard.ReadLock(); }
    ~CReadGuard() { Unlock(); }
    CReadGuard(const CReadGuard&) = delete;
    CReadGuard& operator=(const CReadGuard&) = delete;
    // Moving hands the held lock over; the source holds nothing afterwards.
    CReadGuard(CReadGuard&& other) noexcept : m_pGuard(std::exchange(other.m_pGuard, nullptr)) {}
    CReadGuard& operator=(CReadGuard&&) = delete;

    void Unlock() {
        if (m_pGuard) {
            m_pGuard->ReadUnlock();
            m_pGuard = nullptr;
        }
    }

private:
    CWRGuard* m_pGuard;
};

// Holds the write lock of a CWRGuard for its scope (or until Unlock, e.g. to call
// subscribers after a merge without holding it).
class CWriteGuard {
public:
    explicit CWriteGuard(CWRGuard& guard) : m_pGuard(&guard) { guard.WriteLock(); }
    // Takes over a write lock the caller already holds (e.g. from TryWriteLock).
    CWriteGuard(CWRGuard& guard, std::adopt_lock_t) : m_pGuard(&guard) {}
    ~CWriteGuard() { Unlock(); }
    CWriteGuard(const CWriteGuard&) = delete;
    CWriteGuard& operator=(const CWriteGuard&) = delete;
    CWriteGuard(CWriteGuard&& other) noexcept : m_pGuard(std::exchange(other.m_pGuard, nullptr)) {}
    CWriteGuard& operator=(CWriteGuard&&) = delete;

    void Unlock() {
        if (m_pGuard) {
            m_pGuard->WriteUnlock();
            m_pGuard = nullptr;
        }
    }

private:
    CWRGuard* m_pGuard;
};
