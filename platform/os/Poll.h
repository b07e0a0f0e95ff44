// poll() for the waits of the platform layer: restarted after a signal with the time left
// recomputed on the monotonic clock, so a signal neither ends a wait early nor stretches it.
#pragma once

#include <poll.h>

// As poll(); `timeoutMs` -1 waits without limit. Never fails with EINTR.
int PollRestarting(pollfd* entries, nfds_t count, int timeoutMs);
