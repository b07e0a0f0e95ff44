#include "platform/threads/Synchronization.h"

#include <cstdint>
#include <vector>

#include "platform/os/Poll.h"
#include "platform/threads/Event.h"
#include "platform/time/Clock.h"
#include "platform/time/KeepAlive.h"

namespace {

CEvent* EventOf(HANDLE handle)
{
    return static_cast<CEvent*>(handle);
}

// Real milliseconds one poll() may sleep while a test clock decides the time-out: short, so
// that a test moving its clock ends the wait at once, and long enough not to spin.
const int kTestClockSliceMs = 1;

// How long the next poll() may sleep: -1 for no limit, else at most until the deadline.
int NextPollWait(DWORD timeoutMs, uint64_t deadline)
{
    if (timeoutMs == INFINITE)
        return -1;
    uint64_t now = CurrentClock().NowMilliseconds();
    uint64_t left = deadline > now ? deadline - now : 0;
    if (!IsSystemClockInstalled())
        return left == 0 ? 0 : kTestClockSliceMs;
    return left > 0x7FFFFFFF ? 0x7FFFFFFF : (int)left;
}

}  // namespace

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR)
{
    CEvent* event = new CEvent(manualReset, initialState);
    if (!event->IsValid()) {
        delete event;
        return NULL;
    }
    return event;
}

BOOL SetEvent(HANDLE event)
{
    return event ? EventOf(event)->Set() : FALSE;
}

BOOL ResetEvent(HANDLE event)
{
    return event ? EventOf(event)->Reset() : FALSE;
}

BOOL CloseHandle(HANDLE event)
{
    if (!event)
        return FALSE;
    delete EventOf(event);
    return TRUE;
}

int EventDescriptor(HANDLE event)
{
    return event ? EventOf(event)->Descriptor() : -1;
}

DWORD WaitForSingleObject(HANDLE event, DWORD timeoutMs)
{
    return WaitForMultipleObjects(1, &event, FALSE, timeoutMs);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* events, BOOL waitAll, DWORD timeoutMs)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !events || waitAll)
        return WAIT_FAILED;
    std::vector<pollfd> entries(count);
    for (DWORD i = 0; i < count; ++i) {
        if (!events[i])
            return WAIT_FAILED;
        entries[i] = {EventDescriptor(events[i]), POLLIN, 0};
    }
    const uint64_t deadline = timeoutMs == INFINITE ? 0 : CurrentClock().NowMilliseconds() + timeoutMs;
    for (;;) {
        // The scan, not poll()'s answer, decides: it goes in index order and takes only the
        // first signal it gets, and a signal another waiter took in between is not reported.
        for (DWORD i = 0; i < count; ++i) {
            if (EventOf(events[i])->TryTake())
                return WAIT_OBJECT_0 + i;
        }
        // A link's answer awaited on the GUI thread keeps the window alive meanwhile.
        int wait = KeepAliveSlice(NextPollWait(timeoutMs, deadline));
        if (wait == 0 && CurrentClock().NowMilliseconds() >= deadline)
            return WAIT_TIMEOUT;
        if (PollRestarting(entries.data(), count, wait) < 0)
            return WAIT_FAILED;
        KeepAlive();
    }
}
