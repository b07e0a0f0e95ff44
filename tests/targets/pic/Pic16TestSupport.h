// Shared pieces of the PIC16 tests: the fixture base of both PIC families, a fixture that puts
// both PIC16 boards back to a known state, Intel HEX files of device words, and the settings
// values the boards keep.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/testing/VirtualClock.h"
#include "targets/pic/QB66XXFLASH.h"
#include "targets/pic/QD5140FLASH.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/ScopedDelayFactor.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/stub/HexText.h"

// A PIC16 target of any capability, for devices that no board carries.
class CTestPic16 : public CPIC16Target {
public:
    explicit CTestPic16(WORD capability, BYTE id = 0xB6) : CPIC16Target(id, "TESTPIC", "Test PIC16 Board", capability)
    {
    }
    CCommsBase& Comms() { return m_Comms; }
};

namespace pic16test {

inline constexpr char kQD5140Prompt[] = "Please reset the QD5140 board (by pressing SW1) now.";
const WORD k8KWithEeprom = 0x02F2;
const WORD k4KWithSmallEeprom = 0x0121;
const WORD k8KWithoutEeprom = 0x00D2;

// Device words as store bytes, low byte first.
inline std::vector<BYTE> Bytes(const std::vector<WORD>& words)
{
    std::vector<BYTE> bytes;
    for (WORD word : words) {
        bytes.push_back((BYTE)(word & 0xFF));
        bytes.push_back((BYTE)(word >> 8));
    }
    return bytes;
}

// EEPROM bytes as store bytes: one byte in the low byte of each word.
inline std::vector<BYTE> EepromBytes(const std::vector<BYTE>& values)
{
    std::vector<BYTE> bytes;
    for (BYTE value : values) {
        bytes.push_back(value);
        bytes.push_back(0x00);
    }
    return bytes;
}

// The file the whole runs program: FLASH words 0-2 and 5 (3 and 4 left blank) and three EEPROM
// bytes.
inline const std::vector<WORD> kFlash = {0x2805, 0x0186, 0x3FFE};
inline const WORD kFlashAt5 = 0x1283;
inline const std::vector<BYTE> kEeprom = {0x11, 0xA5, 0x00};

inline std::string RunImage()
{
    return hextext::Image(0, Bytes(kFlash), false) + hextext::Image(10, Bytes({kFlashAt5}), false) +
           hextext::Image(0x4200, EepromBytes(kEeprom));
}

}  // namespace pic16test

// What the fixtures of both PIC families share: fast waits on a virtual clock, a temporary
// folder, scripted UI services and a fake main dialog.
class PicTestBase : public ::testing::Test {
protected:
    // `data` at file address `address` as an Intel HEX file; returns its path.
    CString HexFile(const std::string& name, DWORD address, const std::vector<BYTE>& data)
    {
        return folder.Write(name, hextext::Image(address, data)).c_str();
    }

    // `count` reset prompts, each answered by pressing `board`'s reset button.
    template <class Board>
    void ExpectResets(Board& board, const char* prompt, int count = 1)
    {
        for (int i = 0; i < count; ++i)
            ui.ExpectMessage(prompt, MB_OK, IDOK, [&board] { board.PressReset(); });
    }

    // The waits spin a loop per unit and then the clock: one iteration each and the virtual
    // clock keep the suite fast, and let the simulators check every wait exactly.
    CScopedDelayFactor delayFactor;
    CVirtualClock clock{1000};
    CScopedClock scopedClock{clock};
    CTempFolder folder;
    CScriptedUi ui;
    CFakeTargetHost host;
};

class Pic16Test : public PicTestBase {
protected:
    void SetUp() override
    {
        DeleteSetting("QD5140_Options");
        DeleteSetting("QB6620_Options");
        qd.LoadOptions();
        qb.LoadOptions();
        qd.ClearModule(-1);
        qb.ClearModule(-1);
    }
    void TearDown() override
    {
        qd.ClearModule(-1);
        qb.ClearModule(-1);
    }

    CQD5140Flash& qd = theQD5140Flash;
    CQB66XXFlash& qb = theQB6620Flash;
};
