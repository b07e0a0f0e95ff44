// A board whose PIC is wired to the serial programming adapter (data on DTR, clock on RTS,
// data back on CTS), registered under a port name in the in-process serial registry. Its reset
// button SW1 applies the programming voltage to MCLR (the high-voltage entry), unless the
// board is built for low-voltage entry. Any ICSP device model can sit on it.
#pragma once

#include "platform/base/CString.h"
#include "tests/sim/IcspDecoder.h"
#include "tests/sim/IcspSerialAttachment.h"
#include "tests/support/FakeSerialDevice.h"

class CPicSerialBoard {
public:
    // `device` must outlive the board.
    explicit CPicSerialBoard(IIcspDeviceModel& device, const CString& port = "COM1:", bool resetAppliesVpp = true);
    CPicSerialBoard(const CPicSerialBoard&) = delete;
    CPicSerialBoard& operator=(const CPicSerialBoard&) = delete;

    // The user presses and releases SW1.
    void PressReset() { m_lines.PressReset(m_resetAppliesVpp); }
    // The user removes (true) or refits the jumper that ties PGM low.
    void SetPgmJumperRemoved(bool removed) { m_wire.SetPgm(removed); }
    CFakeSerialDevice& Port() { return m_port; }
    CIcspDecoder& Lines() { return m_lines; }
    bool PortClosed() const { return !m_port.IsOpen(); }

private:
    bool m_resetAppliesVpp;
    CFakeSerialDevice m_port;
    CIcspDecoder m_lines;
    CIcspSerialAttachment m_wire;
};
