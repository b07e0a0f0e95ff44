// The requests that a program started on a duvazorudo board sends to the host over the link
// (frame type 0x85), and the host's replies. A request's data is a record of big-endian fields:
// u16 code, u16, u32, u16, u16, then data of the code. The reply record (12 bytes) echoes the
// code, the second u16 and the last two, with a u32 result between. What a record holds comes
// from the board, so it is only ever read within the host's own buffer.
#pragma once

#include "platform/base/WinTypes.h"
#include "ports/hyMessage.h"

constexpr BYTE kHyBoardRequestType = 0x85;
// A request's record is copied into a buffer of this size (zero-filled, never beyond it).
constexpr DWORD kHyRequestBufferSize = 280;
constexpr DWORD kHyReplyRecordSize = 12;
// The codes of the started program's two start-up requests, in the order it asks them.
constexpr WORD kHyFirstStartRequest = 10;
constexpr WORD kHySecondStartRequest = 11;

// The record of `frame` into `record` (kHyRequestBufferSize bytes): the frame's data, zero-filled
// past what came. FALSE, with `record` untouched, for no frame or a frame of another type.
BOOL ReadBoardRequest(const CHyMessage* frame, BYTE* record);
// `record` is the start-up request that the program asks as its `step`-th (0 or 1): code 10 with
// its last u16 0, then code 11. Any other step matches nothing.
BOOL IsStartRequest(const BYTE* record, int step);
// The reply to `record` with `result` into `reply` (kHyReplyRecordSize bytes); the echoed
// fields go back as they came.
void BuildRequestReply(const BYTE* record, DWORD result, BYTE* reply);
