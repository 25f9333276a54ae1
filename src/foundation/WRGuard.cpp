#include "foundation/WRGuard.h"

void CWRGuard::ReadLock() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_bWriter; });
    ++m_nReaders;
}

void CWRGuard::ReadUnlock() {
    std::lock_guard lock(m_mutex);
    if (m_nReaders > 0 && --m_nReaders == 0) m_changed.notify_all();
}

void CWRGuard::WriteLock() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_bWriter && m_nReaders == 0; });
    m_bWriter = true;
}

void CWRGuard::WriteUnlock() {
    std::lock_guard lock(m_mutex);
    m_bWriter = false;
    m_changed.notify_all();
}

bool CWRGuard::TryReadLock() {
    std::lock_guard lock(m_mutex);
    if (m_bWriter) return false;
    ++m_nReaders;
    return true;
}

bool CWRGuard::TryWriteLock() {
    std::lock_guard lock(m_mutex);
    if (m_bWriter || m_nReaders > 0) return false;
    m_bWriter = true;
    return true;
}
