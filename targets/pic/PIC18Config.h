// The configuration record of a PIC18 target: the device's fourteen configuration bytes
// CONFIG1L to CONFIG7H (device addresses 0x300000-0x30000D) in device order, followed by this
// program's options word. The settings keep it as four little-endian DWORDs (bytes 0-3, 4-7,
// 8-11 and 12-15 of the record).
#pragma once

#include "platform/base/WinTypes.h"

struct PIC18Config {
    enum { kConfigBytes = 14, kDwords = 4 };

    // Indexes of the configuration bytes that the program reads or edits.
    enum : int {
        config1H = 1,
        config2L = 2,
        config2H = 3,
        config3H = 5,
        config4L = 6,
        config5L = 8,
        config5H = 9,
        config6L = 10,
        config6H = 11,
        config7L = 12,
        config7H = 13,
    };

    // Options word bits; no other bit is read.
    enum : WORD {
        optVerify = 0x0002,           // read code, ID and EEPROM back after programming
        optLowVoltage = 0x0004,       // program in low-voltage mode (PGM line)
        optLowVoltageWired = 0x0008,  // the board is wired for it: only then may it be chosen
    };

    // CONFIG4L bit 2: the device accepts low-voltage entry.
    static const BYTE kLvpBit = 0x04;

    BYTE m_Bytes[kConfigBytes];
    WORD m_wOptions;

    // DWORD `index` (0-3) of the record in its stored form.
    DWORD GetDword(int index) const
    {
        DWORD value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | ByteAt(index * 4 + i);
        return value;
    }
    void SetDword(int index, DWORD value)
    {
        for (int i = 0; i < 4; ++i)
            SetByteAt(index * 4 + i, (BYTE)(value >> (8 * i)));
    }

    bool operator==(const PIC18Config& other) const
    {
        for (int i = 0; i < kConfigBytes; ++i)
            if (m_Bytes[i] != other.m_Bytes[i])
                return false;
        return m_wOptions == other.m_wOptions;
    }

private:
    // Byte `at` (0-15) of the stored form: the options word is bytes 14 (low) and 15.
    BYTE ByteAt(int at) const
    {
        if (at < kConfigBytes)
            return m_Bytes[at];
        return (BYTE)(at == kConfigBytes ? m_wOptions : m_wOptions >> 8);
    }
    void SetByteAt(int at, BYTE value)
    {
        if (at < kConfigBytes)
            m_Bytes[at] = value;
        else if (at == kConfigBytes)
            m_wOptions = (WORD)((m_wOptions & 0xFF00) | value);
        else
            m_wOptions = (WORD)((m_wOptions & 0x00FF) | (value << 8));
    }
};
