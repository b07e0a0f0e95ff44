// Intel HEX text for test files, written independently of the program's own writer so that a
// fault in one cannot hide a fault in the other.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/base/WinTypes.h"

namespace hextext {

inline std::string Record(BYTE type, WORD address, const std::vector<BYTE>& data)
{
    char text[16];
    unsigned sum = (unsigned)data.size() + (address >> 8) + (address & 0xFF) + type;
    snprintf(text, sizeof text, ":%02X%04X%02X", (unsigned)data.size(), (unsigned)address, (unsigned)type);
    std::string line = text;
    for (BYTE b : data) {
        snprintf(text, sizeof text, "%02X", (unsigned)b);
        line += text;
        sum += b;
    }
    snprintf(text, sizeof text, "%02X\r\n", (unsigned)((0x100 - (sum & 0xFF)) & 0xFF));
    return line + text;
}

// `data` placed at absolute `address` (relative to the base the file is read at), 16 bytes a
// line, with extended linear address records where the upper 16 bits change; ends with the
// end-of-file record unless `withEnd` is false.
inline std::string Image(DWORD address, const std::vector<BYTE>& data, bool withEnd = true)
{
    std::string text;
    DWORD upper = 0;
    for (size_t at = 0; at < data.size();) {
        DWORD absolute = address + (DWORD)at;
        if ((absolute >> 16) != upper) {
            upper = absolute >> 16;
            text += Record(4, 0, {(BYTE)(upper >> 8), (BYTE)upper});
        }
        size_t room = 0x10000 - (absolute & 0xFFFF);
        size_t n = data.size() - at;
        if (n > 16)
            n = 16;
        if (n > room)
            n = room;
        text += Record(0, (WORD)(absolute & 0xFFFF), std::vector<BYTE>(data.begin() + at, data.begin() + at + n));
        at += n;
    }
    if (withEnd)
        text += ":00000001FF\r\n";
    return text;
}

// `count` bytes of a pattern that differs from byte to byte and from `seed` to `seed`.
inline std::vector<BYTE> Pattern(size_t count, BYTE seed)
{
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = (BYTE)(seed + i * 7 + (i >> 8));
    return bytes;
}

inline bool WriteText(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && ok;
}

}  // namespace hextext
