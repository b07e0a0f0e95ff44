// The one place a replaceable service is reached through: the platform installs its real
// implementation (or nothing, and the caller falls back to a default), tests install a double
// for a scope and put the previous one back. An empty slot (NULL, an empty function) means
// "the default is in force"; what the default is stays with each service's accessor.
//
// Pointer slots are one atomic word, so that hot paths (the clock behind every busy wait) pay
// no lock; other values (a factory function) are guarded by a mutex. Either may be read from
// any thread.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>

template <class T>
class CServiceSlot {
public:
    T Get() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_value;
    }
    // Puts `value` in the slot and returns what it replaces.
    T Install(T value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(m_value, value);
        return value;
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};

template <class T>
class CServiceSlot<T*> {
public:
    T* Get() const { return m_value.load(std::memory_order_acquire); }
    T* Install(T* value) { return m_value.exchange(value, std::memory_order_acq_rel); }

private:
    std::atomic<T*> m_value{nullptr};
};

// Installs `value` in `slot` for the life of the scope and puts the previous value back.
// Scopes nest; they must end in the reverse order of their start.
template <class T>
class CScopedService {
public:
    CScopedService(CServiceSlot<T>& slot, T value) : m_slot(slot), m_previous(slot.Install(std::move(value))) {}
    ~CScopedService() { m_slot.Install(std::move(m_previous)); }
    CScopedService(const CScopedService&) = delete;
    CScopedService& operator=(const CScopedService&) = delete;

private:
    CServiceSlot<T>& m_slot;
    T m_previous;
};
