// libFuzzer target for the reading of the board's requests in the .hye download. An input is a
// stream of bytes as a board sends it, read into frames by the link's frame reader. A request
// frame's record must be its data, zero-filled to the end of the host's buffer and never
// written past it; a frame of any other type must leave the buffer alone. The reply to a
// request echoes its fields around the result, and put into the host's reply frame it reads
// back the same on the board's side. A broken promise aborts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ports/hyBoardRequest.h"
#include "ports/hyMessage.h"
#include "tests/fuzz/FuzzStream.h"

namespace {

const uint8_t kUntouched = 0xA5;

void CheckReply(const std::vector<BYTE>& record, DWORD result)
{
    // Exact sizes, so that AddressSanitizer sees any access past either buffer.
    std::vector<BYTE> reply(kHyReplyRecordSize);
    BuildRequestReply(record.data(), result, reply.data());
    Require(memcmp(reply.data(), record.data(), 4) == 0 && memcmp(reply.data() + 8, record.data() + 8, 4) == 0);
    Require(((DWORD)reply[4] << 24 | (DWORD)reply[5] << 16 | (DWORD)reply[6] << 8 | reply[7]) == result);

    CHyMessagePtr frame(CHyMessage::Create());
    frame->m_byType = 0x1A;
    frame->m_byFlags = 0x01;
    frame->m_dwLength = kHyReplyRecordSize;
    frame->AllocateData(kHyReplyRecordSize);
    memcpy(frame->m_pData.get(), reply.data(), kHyReplyRecordSize);
    std::vector<BYTE> wire(CHyMessage::kHeaderSize + kHyReplyRecordSize);
    Require(frame->WriteToBytes(wire.data(), (DWORD)wire.size()) == wire.size());
    CHyMessagePtr read(CHyMessage::Create());
    int state = CHyMessage::receiveMore;
    for (BYTE b : wire)
        state = read->ReceiveByte(b);
    Require(state == CHyMessage::receiveComplete && read->m_nDataSize == kHyReplyRecordSize &&
            memcmp(read->m_pData.get(), reply.data(), kHyReplyRecordSize) == 0);
}

void CheckRequest(const CHyMessage& frame)
{
    std::vector<BYTE> record(kHyRequestBufferSize, kUntouched);
    if (!ReadBoardRequest(&frame, record.data())) {
        Require(frame.m_byType != kHyBoardRequestType);
        for (BYTE b : record)
            Require(b == kUntouched);
        return;
    }
    Require(frame.m_byType == kHyBoardRequestType);
    const DWORD data = frame.m_nDataSize;
    Require(data <= kHyRequestBufferSize);
    Require(data == 0 || memcmp(record.data(), frame.m_pData.get(), data) == 0);
    for (DWORD i = data; i < kHyRequestBufferSize; ++i)
        Require(record[i] == 0);
    Require(!IsStartRequest(record.data(), 2) && !IsStartRequest(record.data(), -1));
    CheckReply(record, frame.m_dwAddress);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<BYTE> record(kHyRequestBufferSize, kUntouched);
    Require(!ReadBoardRequest(NULL, record.data()) && record[0] == kUntouched);
    CHyMessagePtr frame(CHyMessage::Create());
    for (size_t i = 0; i < size; ++i) {
        int state = frame->ReceiveByte(data[i]);
        if (state == CHyMessage::receiveTooLong)
            return 0;
        if (state == CHyMessage::receiveComplete) {
            CheckRequest(*frame);
            frame.reset(CHyMessage::Create());
        }
    }
    return 0;
}
