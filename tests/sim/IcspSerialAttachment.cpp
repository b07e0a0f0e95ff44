#include "tests/sim/IcspSerialAttachment.h"

CIcspSerialAttachment::CIcspSerialAttachment(CFakeSerialDevice& device, CIcspDecoder& decoder)
    : m_device(device), m_decoder(decoder)
{
    m_decoder.OnHostInputChanged([this](bool level) { m_device.SetCts(!level); });
    m_device.OnLinesChanged([this](bool dtr, bool rts) {
        m_dtr = dtr;
        m_rts = rts;
        Forward();
    });
    m_dtr = m_device.Dtr();
    m_rts = m_device.Rts();
    Forward();
}

CIcspSerialAttachment::~CIcspSerialAttachment()
{
    m_device.OnLinesChanged(nullptr);
    m_decoder.OnHostInputChanged(nullptr);
}

void CIcspSerialAttachment::SetPgm(bool level)
{
    m_pgm = level;
    Forward();
}

void CIcspSerialAttachment::Forward()
{
    m_decoder.SetHostLines(!m_rts, !m_dtr, true, m_pgm);
}
