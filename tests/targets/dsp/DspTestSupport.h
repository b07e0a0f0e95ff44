// Shared pieces of the Tessar target tests: listing texts made from word lists, what those
// words become on the wire, targets that show their areas, and the thick target's settings.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/StoredSettings.h"
#include "targets/dsp/Tessareeprom.h"
#include "targets/dsp/TessarThick.h"

namespace dsptest {

// `count` words of four hexadecimal digits, upper and lower case mixed as listings have them.
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

// Four header lines, then `perLine` words a line, each line led by its word index and ": "
// (six characters), words one space apart, the last one ending the line.
inline std::string Listing(const std::vector<std::string>& words, size_t perLine = 8)
{
    std::string text = "tessasm listing\n; area data\n;\n;\n";
    for (size_t i = 0; i < words.size(); ++i) {
        char prefix[8];
        snprintf(prefix, sizeof prefix, "%04X: ", (unsigned)(i & 0xFFFF));
        text += i % perLine ? " " : (i ? "\n" : "") + std::string(prefix);
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
inline std::string WordBytes(const std::vector<std::string>& words)
{
    std::string bytes;
    for (const std::string& word : words) {
        unsigned value = (unsigned)std::stoul(word, NULL, 16);
        bytes += (char)(value >> 8);
        bytes += (char)value;
    }
    return bytes;
}

// A Tessar target (id 0x7x, which no registered target uses) with its areas in view.
template <class Target>
class CUnderTest : public Target {
public:
    explicit CUnderTest(WORD model) : Target(0x72, "TST", "Tessar Test Board", model) {}
    CString AreaText(int area) const { return this->m_strAreaData[area]; }
    DWORD Words(int area) const { return this->m_nAreaWords[area]; }
};
using CEepromUnderTest = CUnderTest<CTessarEeprom>;
using CThickUnderTest = CUnderTest<CTessarThick>;

inline void StoreJumpSettings(const char* address, DWORD options)
{
    if (!address) {
        StoreSetting("TST Jmp Addr", REG_SZ, NULL, 0);
        StoreSetting("TST_Options", REG_DWORD, NULL, 0);
        return;
    }
    StoreSetting("TST Jmp Addr", REG_SZ, address, (DWORD)strlen(address) + 1);
    StoreSetting("TST_Options", REG_DWORD, &options, sizeof options);
}

}  // namespace dsptest
