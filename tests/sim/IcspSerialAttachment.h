// Hangs an ICSP line decoder off an in-process serial device, wired as the serial programming
// adapter is: data out on DTR, clock on RTS, data in on CTS, each inverted by the line drivers
// (a logical 1 is the modem line off). The host has no PGM line: on boards that offer
// low-voltage entry PGM is set by a jumper (SetPgm). Lines that the device cannot serve
// (CFakeSerialDevice::SetModemLinesWork) make the host's line calls fail.
#pragma once

#include "tests/sim/IcspDecoder.h"
#include "tests/support/FakeSerialDevice.h"

class CIcspSerialAttachment {
public:
    // Takes over the device's line observer; both must outlive this object.
    CIcspSerialAttachment(CFakeSerialDevice& device, CIcspDecoder& decoder);
    ~CIcspSerialAttachment();
    CIcspSerialAttachment(const CIcspSerialAttachment&) = delete;
    CIcspSerialAttachment& operator=(const CIcspSerialAttachment&) = delete;

    // The PGM pin as the board's jumper sets it (low until changed).
    void SetPgm(bool level);

private:
    void Forward();

    CFakeSerialDevice& m_device;
    CIcspDecoder& m_decoder;
    bool m_dtr = false;
    bool m_rts = false;
    bool m_pgm = false;
};
