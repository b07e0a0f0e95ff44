// What the PIC programming benchmarks share: a user who presses the board's reset at every
// prompt, and the cost of one modem-line operation on a real tty.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/ui/UiServices.h"
#include "targets/TargetBase.h"
#include "ports/CommsBase.h"
#include "tests/support/PseudoTerminal.h"

namespace picbench {

using Clock = std::chrono::steady_clock;

// The user of the bench: presses the board's reset at each prompt, reports anything else.
class CResettingUser : public IUiServices {
public:
    explicit CResettingUser(std::function<void()> reset) : m_reset(std::move(reset)) {}
    int MessageBox(const CString& text, const CString&, UINT) override
    {
        if (text.Find("Please reset") == 0)
            m_reset();
        else
            std::printf("  message: %s\n", text.GetString());
        return IDOK;
    }
    BOOL FileDialog(const FileDialogRequest&, std::vector<CString>&) override { return FALSE; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

private:
    std::function<void()> m_reset;
};

// Seconds per line operation when each is one modem-line ioctl on a tty.
inline double IoctlSeconds()
{
    CPseudoTerminal pty;
    if (!pty.IsOpen())
        return 0;
    CCommsBase comms;
    // The line settings fail on a pseudo-terminal, but the port stays open as type 2.
    comms.Open(CCommsBase::typeSerialLines, CString(pty.SlavePath().c_str()));
    if (comms.GetType() != CCommsBase::typeSerialLines)
        return 0;
    const int count = 100000;
    auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        comms.SetClock(i & 1);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    comms.Close();
    return seconds / count;
}

// Calibrates the busy-wait delay once and prints what it found; gives the calibrated factor.
inline DWORD CalibrateDelays()
{
    auto start = Clock::now();
    CTargetBase::CalibrateDelay();
    std::printf("calibration %.2f s, factor %u iterations per 10 us\n",
                std::chrono::duration<double>(Clock::now() - start).count(), (unsigned)CTargetBase::s_nDelayFactor);
    return CTargetBase::s_nDelayFactor;
}

}  // namespace picbench
