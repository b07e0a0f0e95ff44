// Hangs an ICSP line decoder off an in-process serial device, wired as the serial programming
// adapter is: data out on DTR, clock on RTS, data in on CTS, each inverted by the line drivers
// (a logical 1 is the modem line off). There is no PGM line. Lines that the device cannot
// serve (CFakeSerialDevice::SetModemLinesWork) make the host's line calls fail.
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

private:
    CFakeSerialDevice& m_device;
    CIcspDecoder& m_decoder;
};
