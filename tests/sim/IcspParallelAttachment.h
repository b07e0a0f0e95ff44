// Hangs an ICSP line decoder off the fake parallel port, wired as the parallel programming
// adapter is: the data line on data bit 0 (driven by the host's latch while control bit 5 is
// clear, read from the pins once bit 5 turns the port around), the clock on control bit 1
// (inverted: the bit set is the clock low), PGM on control bit 3.
#pragma once

#include "tests/sim/IcspDecoder.h"
#include "tests/support/FakeParallelPort.h"

class CIcspParallelAttachment {
public:
    // Takes over the port's write observer; both must outlive this object.
    CIcspParallelAttachment(CFakeParallelPort& port, CIcspDecoder& decoder);
    ~CIcspParallelAttachment();
    CIcspParallelAttachment(const CIcspParallelAttachment&) = delete;
    CIcspParallelAttachment& operator=(const CIcspParallelAttachment&) = delete;

private:
    void Sample();

    CFakeParallelPort& m_port;
    CIcspDecoder& m_decoder;
};
