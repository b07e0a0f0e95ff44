// A board whose PIC is wired to the parallel programming adapter on LPT1 (data on data bit 0,
// clock on control bit 1, PGM on control bit 3), through the fake parallel-port driver, which
// it installs for its lifetime. Its reset button SW1 takes MCLR low and back to VDD, so the
// device enters its programming mode by the low-voltage rule (PGM), unless the board applies
// the programming voltage at reset. Any ICSP device model can sit on it.
#pragma once

#include "tests/sim/IcspDecoder.h"
#include "tests/sim/IcspParallelAttachment.h"
#include "tests/support/FakeParallelPort.h"

class CPicParallelBoard {
public:
    // `device` must outlive the board.
    explicit CPicParallelBoard(IIcspDeviceModel& device, bool resetAppliesVpp = false);
    CPicParallelBoard(const CPicParallelBoard&) = delete;
    CPicParallelBoard& operator=(const CPicParallelBoard&) = delete;

    // The user presses and releases SW1.
    void PressReset() { m_lines.PressReset(m_resetAppliesVpp); }
    CFakeParallelPort& Port() { return m_port; }
    CIcspDecoder& Lines() { return m_lines; }
    bool PortClosed() const { return m_port.OpenConnections() == 0 && !m_port.IsClaimed(); }

private:
    bool m_resetAppliesVpp;
    CFakeParallelPort m_port;
    CIcspDecoder m_lines;
    CIcspParallelAttachment m_wire;
};
