#include "tests/sim/IcspParallelAttachment.h"

CIcspParallelAttachment::CIcspParallelAttachment(CFakeParallelPort& port, CIcspDecoder& decoder)
    : m_port(port), m_decoder(decoder)
{
    m_decoder.OnHostInputChanged([this](bool level) { m_port.SetDevicePins(level ? 0x01 : 0x00); });
    m_port.OnWrite([this](DWORD, BYTE) { Sample(); });
    Sample();
}

CIcspParallelAttachment::~CIcspParallelAttachment()
{
    m_port.OnWrite(nullptr);
    m_decoder.OnHostInputChanged(nullptr);
}

void CIcspParallelAttachment::Sample()
{
    BYTE control = m_port.Control();
    m_decoder.SetHostLines((control & 0x02) == 0, (m_port.DataLatch() & 0x01) != 0, !m_port.HostReadsPins(),
                           (control & 0x08) != 0);
}
