// Big-endian fields, as the serial link's frames and the DSP's COFF files hold them.
#pragma once

#include "platform/base/WinTypes.h"

inline WORD GetBigEndian16(const BYTE* in)
{
    return (WORD)((in[0] << 8) | in[1]);
}

inline DWORD GetBigEndian32(const BYTE* in)
{
    return ((DWORD)in[0] << 24) | ((DWORD)in[1] << 16) | ((DWORD)in[2] << 8) | in[3];
}

inline void PutBigEndian32(BYTE* out, DWORD value)
{
    out[0] = (BYTE)(value >> 24);
    out[1] = (BYTE)(value >> 16);
    out[2] = (BYTE)(value >> 8);
    out[3] = (BYTE)value;
}
