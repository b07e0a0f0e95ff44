#include "platform/hid/HidrawDevice.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include "platform/threads/Event.h"
#include "platform/threads/Synchronization.h"
#include "platform/threads/WorkerThread.h"
#include "platform/time/KeepAlive.h"

namespace {

// Microseconds, so that a wait rounded to whole milliseconds never comes out short.
int64_t NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t Deadline(DWORD timeoutMs)
{
    return timeoutMs == INFINITE ? -1 : NowUs() + (int64_t)timeoutMs * 1000;
}

// Milliseconds left, rounded up.
int Remaining(int64_t deadline)
{
    if (deadline < 0)
        return -1;
    int64_t left = (deadline - NowUs() + 999) / 1000;
    if (left <= 0)
        return 0;
    return left > INT_MAX ? INT_MAX : (int)left;
}

}  // namespace

struct CHidrawDevice::Writer {
    CEvent stop{TRUE, FALSE};
    CEvent go{FALSE, FALSE};
    CEvent done{FALSE, FALSE};
    // Touched by the caller only while the writer is idle.
    std::vector<BYTE> report;
    ssize_t put = -1;
    int error = 0;
    std::atomic<bool> ended{false};
    // Declared last, so that it is joined before the events it waits on go.
    std::unique_ptr<CWorkerThread> thread;

    void Run(int fd, const WriteFn& write)
    {
        for (;;) {
            HANDLE waits[2] = {&stop, &go};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                break;
            ssize_t written;
            do {
                written = write(fd, report.data(), report.size());
            } while (written < 0 && errno == EINTR);
            error = written < 0 ? errno : 0;
            put = written;
            done.Set();
        }
        ended = true;
    }
};

CHidrawDevice::CHidrawDevice(int fd, const HidDeviceInfo& info, BOOL numberedReports, WriteFn write)
    : m_fd(fd), m_info(info), m_bNumbered(numberedReports), m_write(std::move(write))
{
    if (!m_write)
        m_write = [](int node, const void* data, size_t length) { return ::write(node, data, length); };
}

CHidrawDevice::~CHidrawDevice()
{
    if (m_pWriter) {
        // Waits in slices that keep the window alive, rather than in the join.
        FinishWrite(-1);
        m_pWriter->stop.Set();
        m_pWriter->thread->Join();
        m_pWriter.reset();
    }
    close(m_fd);
}

int CHidrawDevice::WaitFor(int fd, short events, int64_t deadline)
{
    for (;;) {
        // A long wait for a report goes in slices, with the window kept alive between them.
        int wait = Remaining(deadline);
        int slice = KeepAliveSlice(wait);
        pollfd entry = {fd, events, 0};
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

BOOL CHidrawDevice::FinishWrite(int64_t deadline)
{
    if (!m_bWriting)
        return TRUE;
    if (WaitFor(m_pWriter->done.Descriptor(), POLLIN, deadline) == 0)
        return FALSE;
    // Taking the signal also orders the writer's outcome before the reads of it.
    m_pWriter->done.TryTake();
    m_bWriting = FALSE;
    return TRUE;
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
    // A report that timed out may still be in the kernel; the device takes it before this one.
    if (!FinishWrite(deadline))
        return hidTransferTimeout;
    if (!m_pWriter) {
        std::unique_ptr<Writer> writer(new Writer);
        if (!writer->stop.IsValid() || !writer->go.IsValid() || !writer->done.IsValid())
            return hidTransferError;
        Writer* self = writer.get();
        int fd = m_fd;
        WriteFn write = m_write;
        auto escaped = [self] {
            self->put = -1;
            self->error = EIO;
            self->ended = true;
            self->done.Set();
        };
        writer->thread = CWorkerThread::Start([self, fd, write] { self->Run(fd, write); }, escaped, NULL, FALSE);
        if (!writer->thread)
            return hidTransferError;
        m_pWriter = std::move(writer);
    }
    if (m_pWriter->ended)
        return hidTransferError;
    m_pWriter->report.assign(report, report + length);
    m_pWriter->go.Set();
    m_bWriting = TRUE;
    if (!FinishWrite(deadline))
        return hidTransferTimeout;
    ssize_t put = m_pWriter->put;
    if (put >= 0) {
        *written = (DWORD)put;
        // A report goes out whole or not at all; anything else is a device fault.
        return (DWORD)put == length ? hidTransferDone : hidTransferError;
    }
    // The kernel gave up on a device that did not take the report; EIO, ENODEV, EPIPE: the
    // device has gone.
    return m_pWriter->error == ETIMEDOUT ? hidTransferTimeout : hidTransferError;
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
        int ready = WaitFor(m_fd, POLLIN, deadline);
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
