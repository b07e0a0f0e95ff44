#include "platform/threads/Event.h"

#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

CEvent::CEvent(BOOL manualReset, BOOL initialState)
    : m_fd(eventfd(initialState ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC)), m_bManualReset(manualReset)
{
}

CEvent::~CEvent()
{
    if (m_fd >= 0)
        close(m_fd);
}

BOOL CEvent::Set()
{
    if (m_fd < 0)
        return FALSE;
    m_nSetCount.fetch_add(1, std::memory_order_release);
    uint64_t one = 1;
    for (;;) {
        if (write(m_fd, &one, sizeof one) == (ssize_t)sizeof one)
            return TRUE;
        if (errno == EINTR)
            continue;
        // EAGAIN: the counter is at its ceiling, so the event is signalled anyway.
        return errno == EAGAIN;
    }
}

BOOL CEvent::Reset()
{
    if (m_fd < 0)
        return FALSE;
    uint64_t count;
    while (read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {}
    return TRUE;
}

BOOL CEvent::TryTake()
{
    if (m_fd < 0)
        return FALSE;
    if (m_bManualReset) {
        pollfd entry = {m_fd, POLLIN, 0};
        if (poll(&entry, 1, 0) != 1 || !(entry.revents & POLLIN))
            return FALSE;
        m_nSetCount.load(std::memory_order_acquire);
        return TRUE;
    }
    uint64_t count;
    for (;;) {
        if (read(m_fd, &count, sizeof count) == (ssize_t)sizeof count) {
            m_nSetCount.load(std::memory_order_acquire);
            return TRUE;
        }
        if (errno != EINTR)
            return FALSE;
    }
}
