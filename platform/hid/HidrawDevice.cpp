#include "platform/hid/HidrawDevice.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include <poll.h>
#include <unistd.h>

#include "platform/time/KeepAlive.h"

namespace {

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t Deadline(DWORD timeoutMs)
{
    return timeoutMs == INFINITE ? -1 : NowMs() + (int64_t)timeoutMs;
}

int Remaining(int64_t deadline)
{
    if (deadline < 0)
        return -1;
    int64_t left = deadline - NowMs();
    if (left <= 0)
        return 0;
    return left > INT_MAX ? INT_MAX : (int)left;
}

}  // namespace

CHidrawDevice::CHidrawDevice(int fd, const HidDeviceInfo& info, BOOL numberedReports)
    : m_fd(fd), m_info(info), m_bNumbered(numberedReports)
{
}

CHidrawDevice::~CHidrawDevice()
{
    close(m_fd);
}

int CHidrawDevice::WaitFor(short events, int64_t deadline)
{
    for (;;) {
        // A long wait for a report goes in slices, with the window kept alive between them.
        int wait = Remaining(deadline);
        int slice = KeepAliveSlice(wait);
        pollfd entry = {m_fd, events, 0};
        int ready = poll(&entry, 1, slice);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (ready == 0 && slice != wait) {
            KeepAliveNow();
            continue;
        }
        if (ready == 0)
            return 0;
        // Data still waiting after a hang-up is given out first; a hang-up alone is an
        // unplugged device.
        if (entry.revents & events)
            return 1;
        return -1;
    }
}

int CHidrawDevice::WriteReport(const BYTE* report, DWORD length, DWORD timeoutMs, DWORD* written)
{
    DWORD ignored = 0;
    if (!written)
        written = &ignored;
    *written = 0;
    if (!report || length == 0)
        return hidTransferError;
    int64_t deadline = Deadline(timeoutMs);
    for (;;) {
        int ready = WaitFor(POLLOUT, deadline);
        if (ready <= 0)
            return ready == 0 ? hidTransferTimeout : hidTransferError;
        ssize_t put = write(m_fd, report, length);
        if (put >= 0) {
            *written = (DWORD)put;
            // A report goes out whole or not at all; anything else is a device fault.
            return (DWORD)put == length ? hidTransferDone : hidTransferError;
        }
        if (errno != EAGAIN && errno != EINTR)
            return hidTransferError;   // EIO, ENODEV, EPIPE: the device has gone
    }
}

int CHidrawDevice::ReadReport(BYTE* report, DWORD length, DWORD timeoutMs, DWORD* received)
{
    DWORD ignored = 0;
    if (!received)
        received = &ignored;
    *received = 0;
    if (!report || length < 2)
        return hidTransferError;
    // An unnumbered report arrives without its id byte: read it in behind a 0.
    BYTE* into = m_bNumbered ? report : report + 1;
    DWORD room = m_bNumbered ? length : length - 1;
    int64_t deadline = Deadline(timeoutMs);
    for (;;) {
        int ready = WaitFor(POLLIN, deadline);
        if (ready <= 0)
            return ready == 0 ? hidTransferTimeout : hidTransferError;
        ssize_t got = read(m_fd, into, room);
        if (got > 0) {
            if (!m_bNumbered)
                report[0] = 0;
            DWORD filled = (DWORD)got + (m_bNumbered ? 0 : 1);
            memset(report + filled, 0, length - filled);
            *received = length;
            return hidTransferDone;
        }
        // End of file: the node has gone.
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            return hidTransferError;
    }
}
