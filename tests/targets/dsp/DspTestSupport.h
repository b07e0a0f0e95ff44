// Shared pieces of the Tessar target tests: tessasm listing texts made from word lists, the
// bytes and text those words become on the wire, and targets that show their area texts.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "targets/dsp/Tessareeprom.h"
#include "targets/dsp/TessarThick.h"

namespace dsptest {

// Type ids that no registered target uses.
const BYTE kEepromId = 0x71;
const BYTE kThickId = 0x72;

// `count` words of four hexadecimal digits, all different in their neighbourhood, with
// upper- and lower-case letters mixed as a listing may have them.
inline std::vector<std::string> Words(size_t count, unsigned seed = 1)
{
    std::vector<std::string> words;
    unsigned value = seed * 0x9E37u;
    for (size_t i = 0; i < count; ++i) {
        value = value * 1103515245u + 12345u;
        char word[8];
        snprintf(word, sizeof word, (i % 3) ? "%04X" : "%04x", (value >> 12) & 0xFFFF);
        words.push_back(word);
    }
    return words;
}

// A listing as the assembler writes it: four header lines, then `perLine` words to a line,
// each line led by its word address and ": " (six characters), words one space apart; the
// last word ends with a line feed.
inline std::string Listing(const std::vector<std::string>& words, size_t perLine = 8)
{
    std::string text = "tessasm listing\n; area data\n;\n;\n";
    for (size_t i = 0; i < words.size(); ++i) {
        if (i % perLine == 0) {
            char prefix[8];
            snprintf(prefix, sizeof prefix, "%04X: ", (unsigned)(i & 0xFFFF));
            text += (i ? "\n" : "") + std::string(prefix);
        } else {
            text += ' ';
        }
        text += words[i];
    }
    return text + "\n";
}

inline std::string Joined(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += word;
    return text;
}

// Each word as two bytes, high byte first.
inline std::vector<BYTE> WordBytes(const std::vector<std::string>& words)
{
    std::vector<BYTE> bytes;
    for (const std::string& word : words) {
        unsigned value = (unsigned)std::stoul(word, NULL, 16);
        bytes.push_back((BYTE)(value >> 8));
        bytes.push_back((BYTE)value);
    }
    return bytes;
}

// The targets with their area texts in view.
class CEepromUnderTest : public CTessarEeprom {
public:
    explicit CEepromUnderTest(WORD model, BYTE id = kEepromId)
        : CTessarEeprom(id, "TSE", "Tessar EEPROM Test Board", model) {}
    CString AreaText(int area) const { return m_strAreaData[area]; }
    DWORD Words(int area) const { return m_nAreaWords[area]; }
};

class CThickUnderTest : public CTessarThick {
public:
    explicit CThickUnderTest(WORD model, BYTE id = kThickId)
        : CTessarThick(id, "TST", "Tessar Thick Test Board", model) {}
    CString AreaText(int area) const { return m_strAreaData[area]; }
    DWORD Words(int area) const { return m_nAreaWords[area]; }
};

}  // namespace dsptest

#include "app/QuilletApp.h"
#include "platform/settings/Registry.h"

namespace dsptest {

// Stores `size` bytes as the value `name` under the settings key; a NULL `data` removes it.
inline void StoreSetting(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = theApp.OpenSettingsKey();
    if (!key)
        return;
    if (data)
        RegSetValueEx(key, name, 0, type, (const BYTE*)data, size);
    else
        RegDeleteValue(key, name);
    RegCloseKey(key);
}

inline void StoreJumpSettings(const char* address, DWORD options)
{
    StoreSetting("TST Jmp Addr", REG_SZ, address, (DWORD)strlen(address) + 1);
    StoreSetting("TST_Options", REG_DWORD, &options, sizeof options);
}

inline void ForgetJumpSettings()
{
    StoreSetting("TST Jmp Addr", REG_SZ, NULL, 0);
    StoreSetting("TST_Options", REG_DWORD, NULL, 0);
}

}  // namespace dsptest
