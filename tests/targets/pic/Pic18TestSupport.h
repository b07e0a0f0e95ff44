// Shared pieces of the PIC18 tests: a fixture that puts the QD5170 board back to its default
// record with scripted UI services and a fake main dialog, a PIC18 target of any device flags,
// and the board's texts.
#pragma once

#include <string>
#include <vector>

#include "targets/pic/QD5170FLASH.h"
#include "tests/targets/pic/Pic16TestSupport.h"

// A PIC18 target of any device flags, for devices that no board carries.
class CTestPic18 : public CPIC18Target {
public:
    explicit CTestPic18(WORD flags, BYTE id = 0xB8) : CPIC18Target(id, "TESTPIC18", "Test PIC18 Board", flags)
    {
        InitOptions(CQD5170Flash::kDefaultConfig);
    }
    CCommsBase& Comms() { return m_Comms; }
};

namespace pic18test {

inline constexpr char kResetPrompt[] = "Please reset the QD5170 board (by pressing SW1) now.";
const WORD k16KWithEeprom = 0x41D0;
const WORD k32K = 0x41D1;
const WORD k32KWithoutEeprom = 0x40D1;
const WORD k32KBothEepromBits = 0x43D1;

// The file the whole runs program: code at the start and at the end of the memory, the ID
// locations, every configuration byte and a few EEPROM bytes.
inline const std::vector<BYTE> kCode = hextext::Pattern(40, 0x10);
inline const std::vector<BYTE> kCodeAtEnd = {0x12, 0x34, 0x56};
const DWORD kCodeEnd = 0x7FFD;
inline const std::vector<BYTE> kIds = {1, 2, 3, 4, 5, 6, 7, 8};
inline const std::vector<BYTE> kConfig = {0x00, 0x22, 0x0F, 0x0E, 0x00, 0x01, 0x85,
                                          0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
inline const std::vector<BYTE> kEeprom = {0xA5, 0x00, 0x5A, 0x11, 0x22};

inline std::string RunImage(bool withIdAndEeprom = true)
{
    std::string text = hextext::Image(0, kCode, false) + hextext::Image(kCodeEnd, kCodeAtEnd, false);
    if (withIdAndEeprom)
        text += hextext::Image(0x200000, kIds, false) + hextext::Image(0xF00000, kEeprom, false);
    return text + hextext::Image(0x300000, kConfig);
}

inline void DeleteStoredRecord(const std::string& name)
{
    for (int i = 0; i < 4; ++i)
        DeleteSetting(name + "_Options" + std::to_string(i));
}

inline std::vector<BYTE> ConfigBytes(const PIC18Config& config)
{
    return std::vector<BYTE>(config.m_Bytes, config.m_Bytes + PIC18Config::kConfigBytes);
}

}  // namespace pic18test

class Pic18Test : public PicTestBase {
protected:
    void SetUp() override
    {
        pic18test::DeleteStoredRecord("QD5170");
        pic18test::DeleteStoredRecord("TESTPIC18");
        qd.LoadOptions();
        qd.ClearModule(-1);
    }
    void TearDown() override { qd.ClearModule(-1); }

    CQD5170Flash& qd = theQD5170Flash;
};
