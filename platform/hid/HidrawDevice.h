// One open hidraw node. Every transfer waits in poll() against a deadline of its own, so a
// time-out holds whatever the node does; the descriptor is non-blocking so that a wake-up
// without a report cannot hang a read.
//
// hidraw passes reports of a device that numbers them with the id first, and those of a device
// that does not without any id byte; reads are turned into the Windows layout (id byte first,
// 0 when unnumbered, zero-padded to the full length) so the caller sees one shape.
#pragma once

#include <cstdint>

#include "platform/hid/IHidDevice.h"

class CHidrawDevice : public IHidDevice {
public:
    // Takes over `fd`.
    CHidrawDevice(int fd, const HidDeviceInfo& info, BOOL numberedReports);
    ~CHidrawDevice() override;

    const HidDeviceInfo& GetInfo() const override { return m_info; }
    int WriteReport(const BYTE* report, DWORD length, DWORD timeoutMs, DWORD* written) override;
    int ReadReport(BYTE* report, DWORD length, DWORD timeoutMs, DWORD* received) override;

    CHidrawDevice(const CHidrawDevice&) = delete;
    CHidrawDevice& operator=(const CHidrawDevice&) = delete;

private:
    // poll() for `events` until the deadline: 1 ready, 0 timed out, -1 error or hang-up.
    int WaitFor(short events, int64_t deadline);

    int m_fd;
    HidDeviceInfo m_info;
    BOOL m_bNumbered;
};
