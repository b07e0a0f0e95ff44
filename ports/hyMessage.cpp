#include "ports/hyMessage.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/base/ByteOrder.h"
#include "platform/base/DebugOutput.h"

namespace {

const BYTE kSync = 0xAA;
const BYTE kFlagData = 0x01;

}  // namespace

CHyMessage::CHyMessage() = default;

CHyMessage::~CHyMessage() = default;

CHyMessage* CHyMessage::Create()
{
    return new CHyMessage();
}

CHyMessage* CHyMessage::CreateFromBytes(const BYTE* bytes, DWORD size)
{
    CHyMessage* frame = Create();
    if (!frame->ParseFromBytes(bytes, size)) {
        frame->Release();
        return NULL;
    }
    return frame;
}

void CHyMessage::AddRef()
{
    m_nRefCount.fetch_add(1, std::memory_order_relaxed);
}

void CHyMessage::Release()
{
    if (m_nRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

BOOL CHyMessage::IsValid() const
{
    return m_abyHeader[0] == kSync && m_abyHeader[1] == kSync;
}

void CHyMessage::AllocateData(DWORD size)
{
    m_pData.reset(size > 0 ? new BYTE[size]() : NULL);
    m_nDataSize = size;
}

void CHyMessage::BuildHeader(BYTE* header) const
{
    header[0] = kSync;
    header[1] = kSync;
    header[2] = m_byFlags;
    header[3] = m_byType;
    PutBigEndian32(header + 4, m_dwAddress);
    PutBigEndian32(header + 8, m_dwLength);
}

void CHyMessage::PrepareToSend()
{
    if (m_nByteCount == 0) {
        BuildHeader(m_abyHeader);
        m_nByteCount = kHeaderSize;
    }
    m_nSendPos = 0;
}

BOOL CHyMessage::GetNextByte(char* out)
{
    DWORD total = m_nDataSize + kHeaderSize;
    if (m_nSendPos < 0 || (DWORD)m_nSendPos >= total) {
        *out = 0;
        return FALSE;
    }
    *out = (char)(m_nSendPos < kHeaderSize ? m_abyHeader[m_nSendPos] : m_pData[m_nSendPos - kHeaderSize]);
    ++m_nSendPos;
    return (DWORD)m_nSendPos < total;
}

int CHyMessage::PutByte(BYTE b)
{
    if (m_nByteCount < 0)
        return -1;
    if (m_nByteCount < kHeaderSize) {
        m_abyHeader[m_nByteCount] = b;
    } else {
        DWORD index = (DWORD)(m_nByteCount - kHeaderSize);
        if (!m_pData || index >= m_nDataSize)
            return -1;
        m_pData[index] = b;
    }
    return ++m_nByteCount;
}

BOOL CHyMessage::DecodeHeader()
{
    m_byFlags = m_abyHeader[2];
    m_byType = m_abyHeader[3];
    m_dwAddress = GetBigEndian32(m_abyHeader + 4);
    m_dwLength = GetBigEndian32(m_abyHeader + 8);
    if (!(m_byFlags & kFlagData))
        return TRUE;
    if (m_dwLength > kMaxDataSize)
        return FALSE;
    AllocateData(m_dwLength);
    return TRUE;
}

int CHyMessage::ReceiveByte(BYTE b)
{
    int count = PutByte(b);
    if (count == kHeaderSize && !DecodeHeader())
        return receiveTooLong;
    if (count < kHeaderSize)
        return receiveMore;
    if ((m_byFlags & kFlagData) && (DWORD)count < m_dwLength + kHeaderSize)
        return receiveMore;
    return receiveComplete;
}

BOOL CHyMessage::ParseFromBytes(const BYTE* bytes, DWORD size)
{
    if (!bytes || size < (DWORD)kHeaderSize)
        return FALSE;
    memcpy(m_abyHeader, bytes, kHeaderSize);
    if (!DecodeHeader())
        return FALSE;
    m_nByteCount = kHeaderSize;
    if ((m_byFlags & kFlagData) && m_dwLength != 0) {
        if (size - kHeaderSize < m_dwLength)
            return FALSE;
        memcpy(m_pData.get(), bytes + kHeaderSize, m_dwLength);
        m_nByteCount += (int)m_dwLength;
    }
    return TRUE;
}

DWORD CHyMessage::WriteToBytes(BYTE* out, DWORD size) const
{
    DWORD data = (m_byFlags & kFlagData) ? m_dwLength : 0;
    if (!out || data > m_nDataSize || size < kHeaderSize + (uint64_t)data)
        return 0;
    BuildHeader(out);
    if (data > 0)
        memcpy(out + kHeaderSize, m_pData.get(), data);
    return kHeaderSize + data;
}

void CHyMessage::DebugDump(const char* prefix) const
{
    std::string text = prefix ? prefix : "";
    if (!text.empty())
        text.pop_back();
    char hex[4];
    for (int i = 0; i < kHeaderSize; ++i) {
        snprintf(hex, sizeof hex, "%02X ", m_abyHeader[i]);
        text += hex;
    }
    for (DWORD i = 0; i < m_nDataSize && m_pData; ++i) {
        snprintf(hex, sizeof hex, "%02X ", m_pData[i]);
        text += hex;
    }
    text += "\n";
    OutputDebugString(text.c_str());
}
