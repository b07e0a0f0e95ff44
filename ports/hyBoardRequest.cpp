#include "ports/hyBoardRequest.h"

#include <algorithm>
#include <cstring>

#include "platform/base/ByteOrder.h"

BOOL ReadBoardRequest(const CHyMessage* frame, BYTE* record)
{
    if (!frame || frame->m_byType != kHyBoardRequestType)
        return FALSE;
    memset(record, 0, kHyRequestBufferSize);
    if (frame->m_pData)
        memcpy(record, frame->m_pData.get(), std::min(frame->m_nDataSize, kHyRequestBufferSize));
    return TRUE;
}

BOOL IsStartRequest(const BYTE* record, int step)
{
    switch (step) {
    case 0: return GetBigEndian16(record) == kHyFirstStartRequest && GetBigEndian16(record + 10) == 0;
    case 1: return GetBigEndian16(record) == kHySecondStartRequest;
    default: return FALSE;
    }
}

void BuildRequestReply(const BYTE* record, DWORD result, BYTE* reply)
{
    memcpy(reply, record, 4);
    PutBigEndian32(reply + 4, result);
    memcpy(reply + 8, record + 8, 4);
}
