#include "ports/hyBoardRequest.h"

#include <algorithm>
#include <cstring>

namespace {

WORD Get16(const BYTE* p)
{
    return (WORD)((p[0] << 8) | p[1]);
}

void Put32(BYTE* p, DWORD value)
{
    p[0] = (BYTE)(value >> 24);
    p[1] = (BYTE)(value >> 16);
    p[2] = (BYTE)(value >> 8);
    p[3] = (BYTE)value;
}

}  // namespace

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
    case 0: return Get16(record) == kHyFirstStartRequest && Get16(record + 10) == 0;
    case 1: return Get16(record) == kHySecondStartRequest;
    default: return FALSE;
    }
}

void BuildRequestReply(const BYTE* record, DWORD result, BYTE* reply)
{
    memcpy(reply, record, 4);
    Put32(reply + 4, result);
    memcpy(reply + 8, record + 8, 4);
}
