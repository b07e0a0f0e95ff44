// One open hidraw node. Every transfer waits in poll() against a deadline of its own, so a
// time-out holds whatever the node does; the descriptor is non-blocking so that a wake-up
// without a report cannot hang a read.
//
// Writes are another matter: hidraw ignores O_NONBLOCK for them and poll() always calls the
// node writable. The kernel hands the report to the device and waits, in a sleep no signal
// ends and closing the descriptor does not cut short, until the device takes it or the
// kernel gives up (USB: after 5 s, ETIMEDOUT). So writes run on a writer thread of the device
// while the caller waits for each against its deadline; a report not taken by then is a
// time-out, as when a pending write is cancelled. The write left in the kernel ends by itself
// within the kernel's limit: the next write waits for it first (reports stay in order), and
// closing waits for it before the descriptor goes, so no thread is left behind or killed.
// The writer is started once and kept, since a thread started anew for every report waits
// behind everything else the scheduler has before it runs.
//
// hidraw passes reports of a device that numbers them with the id first, and those of a device
// that does not without any id byte; reads are turned into the Windows layout (id byte first,
// 0 when unnumbered, zero-padded to the full length) so the caller sees one shape.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/hid/IHidDevice.h"

class CHidrawDevice : public IHidDevice {
public:
    // write(2) in the manner of the kernel's hidraw node; tests stand in their own.
    using WriteFn = std::function<ssize_t(int fd, const void* data, size_t length)>;

    // Takes over `fd`. An empty `write` is write(2).
    CHidrawDevice(int fd, const HidDeviceInfo& info, BOOL numberedReports, WriteFn write = WriteFn());
    // Waits for a write still in the kernel, then closes the node.
    ~CHidrawDevice() override;

    const HidDeviceInfo& GetInfo() const override { return m_info; }
    int WriteReport(const BYTE* report, DWORD length, DWORD timeoutMs, DWORD* written) override;
    int ReadReport(BYTE* report, DWORD length, DWORD timeoutMs, DWORD* received) override;

    CHidrawDevice(const CHidrawDevice&) = delete;
    CHidrawDevice& operator=(const CHidrawDevice&) = delete;

private:
    struct Writer;

    // poll() `fd` for `events` until the deadline (-1: none): 1 ready, 0 timed out, -1 error
    // or hang-up.
    static int WaitFor(int fd, short events, int64_t deadline);
    // Waits until the write handed over last has left the kernel; FALSE when it is still
    // there at the deadline.
    BOOL FinishWrite(int64_t deadline);

    int m_fd;
    HidDeviceInfo m_info;
    BOOL m_bNumbered;
    WriteFn m_write;
    // Started with the first write.
    std::unique_ptr<Writer> m_pWriter;
    // A report was handed to the writer and its outcome not yet taken.
    BOOL m_bWriting = FALSE;
};
