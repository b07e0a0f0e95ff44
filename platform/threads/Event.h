// A Win32-style event on an eventfd: signalled or not, latched until it is taken (auto reset)
// or reset (manual reset). Being a descriptor, it can be waited for in one poll() together
// with a serial port and other events. Thread-safe.
#pragma once

#include <atomic>

#include "platform/base/WinTypes.h"

class CEvent {
public:
    CEvent(BOOL manualReset, BOOL initialState);
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    // FALSE when the system had no descriptor to give; every operation then fails.
    BOOL IsValid() const { return m_fd >= 0; }
    BOOL IsManualReset() const { return m_bManualReset; }

    // Signals the event; setting a signalled event changes nothing (signals do not count up).
    BOOL Set();
    BOOL Reset();
    // Takes the signal if there is one: an auto-reset event is reset by this, a manual-reset
    // event stays signalled. FALSE when it was not signalled, or another waiter took it first.
    BOOL TryTake();

    // Readable while the event is signalled; for poll() inside the platform layer only.
    int Descriptor() const { return m_fd; }

private:
    int m_fd;
    BOOL m_bManualReset;
    // Orders what the setter wrote before Set() before what a waiter reads after the wait:
    // the kernel orders the descriptor, but a manual-reset waiter only polls it.
    std::atomic<unsigned> m_nSetCount{0};
};
