#include "platform/os/Poll.h"

#include <cerrno>
#include <climits>
#include <cstdint>

#include <time.h>

namespace {

int64_t MonotonicMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

int PollRestarting(pollfd* entries, nfds_t count, int timeoutMs)
{
    const int64_t deadline = timeoutMs < 0 ? -1 : MonotonicMs() + timeoutMs;
    int wait = timeoutMs;
    for (;;) {
        int ready = poll(entries, count, wait);
        if (ready >= 0 || errno != EINTR)
            return ready;
        if (deadline >= 0) {
            int64_t left = deadline - MonotonicMs();
            wait = left <= 0 ? 0 : (left > INT_MAX ? INT_MAX : (int)left);
        }
    }
}
