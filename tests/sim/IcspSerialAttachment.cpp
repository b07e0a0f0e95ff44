#include "tests/sim/IcspSerialAttachment.h"

CIcspSerialAttachment::CIcspSerialAttachment(CFakeSerialDevice& device, CIcspDecoder& decoder)
    : m_device(device), m_decoder(decoder)
{
    m_decoder.OnHostInputChanged([this](bool level) { m_device.SetCts(!level); });
    m_device.OnLinesChanged([this](bool dtr, bool rts) { m_decoder.SetHostLines(!rts, !dtr, true, false); });
    m_decoder.SetHostLines(!m_device.Rts(), !m_device.Dtr(), true, false);
}

CIcspSerialAttachment::~CIcspSerialAttachment()
{
    m_device.OnLinesChanged(nullptr);
    m_decoder.OnHostInputChanged(nullptr);
}
