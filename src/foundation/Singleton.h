#pragma once
// Process-wide objects created on first use (the data centre, the common variables and
// resources, the dialog factory, ...). Each accessor owns one LazySingleton slot.
//
// The first call may come from any thread: the network thread and workers reach the data
// centre while the UI thread may still be starting. So the slot publishes its object
// exactly once: every caller gets the same object, and no object is ever replaced or
// destroyed behind a caller that already holds it. The fast path is one acquire load;
// only the very first calls take the slot's creation lock.
#include <atomic>
#include <mutex>
#include <new>

template <class T>
class LazySingleton {
public:
    constexpr LazySingleton() = default;
    LazySingleton(const LazySingleton&) = delete;
    LazySingleton& operator=(const LazySingleton&) = delete;

    // The object, created with `new T` on first use; null only when allocation fails
    // (the next call tries again). A constructor must not ask for its own slot.
    T* Get() {
        if (T* p = m_instance.load(std::memory_order_acquire)) return p;
        std::lock_guard<std::mutex> lock(m_create);
        T* p = m_instance.load(std::memory_order_relaxed);
        if (!p) {
            p = new (std::nothrow) T;
            m_instance.store(p, std::memory_order_release);
        }
        return p;
    }

    // The object if it exists, without creating it.
    T* Peek() const { return m_instance.load(std::memory_order_acquire); }

    // Destroys the object; the next Get makes a new one. Only for the end of the process
    // and for tests: nothing may still be using the object.
    void Reset() {
        std::lock_guard<std::mutex> lock(m_create);
        delete m_instance.exchange(nullptr, std::memory_order_acq_rel);
    }

private:
    std::atomic<T*> m_instance{nullptr};
    std::mutex m_create;
};
