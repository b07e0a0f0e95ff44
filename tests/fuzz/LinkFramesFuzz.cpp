// libFuzzer target for the serial link's frame reader, fed what a board can send: an input is a
// stream of bytes taken one at a time into frames, as the link's read thread takes them. Every
// frame completed must hold exactly the header and data that its bytes gave, be sent back
// byte for byte when echoed, and agree with the reader of contiguous bytes; a header that
// announces more data than a frame carries is refused, and the link stops there. Bytes left
// over are too few for the frame they begin, which the contiguous reader must refuse too. A
// broken promise aborts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ports/hyMessage.h"
#include "tests/fuzz/FuzzStream.h"

namespace {

DWORD BigEndian32(const uint8_t* bytes)
{
    return (DWORD)bytes[0] << 24 | (DWORD)bytes[1] << 16 | (DWORD)bytes[2] << 8 | bytes[3];
}

bool SameFrame(const CHyMessage& a, const CHyMessage& b)
{
    return a.m_byFlags == b.m_byFlags && a.m_byType == b.m_byType && a.m_dwAddress == b.m_dwAddress &&
           a.m_dwLength == b.m_dwLength && a.m_nDataSize == b.m_nDataSize &&
           (a.m_nDataSize == 0 || memcmp(a.m_pData.get(), b.m_pData.get(), a.m_nDataSize) == 0);
}

void CheckFrame(CHyMessage& frame, const uint8_t* bytes, size_t count)
{
    Require(count >= (size_t)CHyMessage::kHeaderSize);
    const DWORD data = (bytes[2] & 0x01) ? BigEndian32(bytes + 8) : 0;
    Require(count == CHyMessage::kHeaderSize + (size_t)data && data <= CHyMessage::kMaxDataSize);
    Require(frame.m_byFlags == bytes[2] && frame.m_byType == bytes[3] && frame.m_dwAddress == BigEndian32(bytes + 4) &&
            frame.m_dwLength == BigEndian32(bytes + 8));
    Require(frame.IsValid() == (bytes[0] == 0xAA && bytes[1] == 0xAA));
    Require(frame.m_nDataSize == data && (data == 0 || memcmp(frame.m_pData.get(), bytes + 12, data) == 0));
    // A complete frame stores nothing more.
    const int stored = frame.m_nByteCount;
    Require(frame.ReceiveByte(0x55) != CHyMessage::receiveComplete && frame.m_nByteCount == stored);

    std::vector<uint8_t> echoed;
    frame.PrepareToSend();
    char next = 0;
    for (bool more = true; more && echoed.size() <= count;) {
        more = frame.GetNextByte(&next);
        echoed.push_back((uint8_t)next);
    }
    Require(echoed.size() == count && memcmp(echoed.data(), bytes, count) == 0);

    CHyMessagePtr contiguous(CHyMessage::CreateFromBytes(bytes, (DWORD)count));
    Require(contiguous && SameFrame(frame, *contiguous));
    if (data > 0)
        Require(CHyMessage::CreateFromBytes(bytes, (DWORD)count - 1) == NULL);
    // Written out from its fields, a frame gets its sync bytes anew and nothing else changes.
    std::vector<uint8_t> written(count);
    Require(contiguous->WriteToBytes(written.data(), (DWORD)count) == count);
    Require(written[0] == 0xAA && written[1] == 0xAA && memcmp(written.data() + 2, bytes + 2, count - 2) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t start = 0;
    CHyMessagePtr frame(CHyMessage::Create());
    for (size_t i = 0; i < size; ++i) {
        int state = frame->ReceiveByte(data[i]);
        size_t count = i + 1 - start;
        if (state == CHyMessage::receiveMore)
            continue;
        if (state == CHyMessage::receiveTooLong) {
            Require(count == (size_t)CHyMessage::kHeaderSize && (data[start + 2] & 0x01) &&
                    BigEndian32(data + start + 8) > CHyMessage::kMaxDataSize);
            Require(CHyMessage::CreateFromBytes(data + start, (DWORD)(size - start)) == NULL);
            return 0;
        }
        Require(state == CHyMessage::receiveComplete);
        CheckFrame(*frame, data + start, count);
        frame.reset(CHyMessage::Create());
        start = i + 1;
    }
    Require(start == size || CHyMessage::CreateFromBytes(data + start, (DWORD)(size - start)) == NULL);
    return 0;
}
