// The target family of Microchip PIC16 flash microcontrollers programmed in circuit: program
// FLASH, configuration memory and (where the device has one) data EEPROM, loaded from Intel
// HEX files into theIntelHex, and the in-circuit programming sequence that erases, programs,
// verifies and configures one device over the lines of the target's port object.
//
// Store addresses are the HEX file's byte addresses: a 14-bit device word takes two bytes, low
// byte first, so a store address is twice the device word address.
//   FLASH         store 0x0000 up to the FLASH size       device words 0x0000 onward
//   configuration store 0x4000-0x400F                     device words 0x2000-0x2007; the
//                                                         configuration word is 0x2007, store
//                                                         bytes 0x400E (low) and 0x400F (high)
//   data EEPROM   store 0x4200 up to 0x4200 + 2 x size    one EEPROM byte in the low byte of
//                                                         each word from 0x2100 onward
//
// The device's 14-bit configuration word is kept together with two options of this program in
// m_wConfig (bits 14 and 15), stored in the settings as <short name>_Options. The boards
// derive from this class and supply their identity, port type and device id.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "targets/IntelHexTarget.h"
#include "targets/pic/IcspLines.h"

struct HexRecord;
class CProgressCtrl;

class CPIC16Target : public CIntelHexTarget<3> {
public:
    // Capability word: what the device has.
    enum : WORD {
        capFlashSizeMask = 0x0003,  // 0 = 2K words, 1 = 4K, 2 = 8K, 3 = no FLASH size
        capWatchdog = 0x0010,
        capEeprom = 0x0020,  // module 2 exists
        capBrownOut = 0x0040,
        capPowerUpTimer = 0x0080,
        capEeprom128 = 0x0100,  // 128 bytes; takes precedence over capEeprom256
        capEeprom256 = 0x0200,
        capLowVoltage = 0x4000,  // the sequence drives PGM and keeps the LVP bit
        capFastMode = 0x8000,    // the fast mode option may be edited
    };

    // Configuration/options word: bits 0-13 the device's configuration word, 14-15 options.
    enum : WORD {
        cfgOscillatorMask = 0x0003,   // 0 LP, 1 XT, 2 HS, 3 RC
        cfgWatchdog = 0x0004,         // enabled when set
        cfgPowerUpTimerOff = 0x0008,  // the power-up timer is enabled when clear
        cfgCodeProtectLow = 0x0030,   // 3 none, 2 0x1F00-0x1FFF, 1 0x1000-0x1FFF, 0 all
        cfgBrownOut = 0x0040,
        cfgLowVoltage = 0x0080,
        cfgEepromUnprotected = 0x0100,
        cfgWriteEnable = 0x0200,
        cfgForcedBits = 0x0C00,       // set in every word written to the device
        cfgCodeProtectHigh = 0x3000,  // second copy of bits 5:4
        cfgDeviceBits = 0x3FFF,
        cfgFastMode = 0x4000,  // kept and shown; the sequence does not consult it
        cfgVerify = 0x8000,    // read every program word back
    };

    enum { moduleFlash = 0, moduleConfig = 1, moduleEeprom = 2, moduleCount = 3 };
    static_assert(moduleCount == kListCount, "one module list per module");

    static const DWORD configBase = 0x4000;
    static const DWORD configBytes = 0x10;
    static const DWORD configWordLow = 0x400E;
    static const DWORD eepromBase = 0x4200;
    static const DWORD eepromWindow = 0x200;

    // ICSP commands (6 bits, least significant first).
    enum : BYTE {
        cmdLoadConfig = 0,   // address counter to 0x2000; a data word follows
        cmdUnprotect1 = 1,   // first and fourth step of the code-protection disable
        cmdLoadProgram = 2,  // data word for program memory
        cmdLoadData = 3,     // data word for data memory (the byte in bits 0-7)
        cmdReadProgram = 4,  // the device sends the program word at the counter
        cmdReadData = 5,     // the device sends the data memory byte at the counter
        cmdIncrement = 6,
        cmdUnprotect2 = 7,        // second and fifth step of the code-protection disable
        cmdBeginProgramming = 8,  // erase/programming cycle of what was loaded or chosen
        cmdBulkEraseProgram = 9,
        cmdBulkEraseData = 11,
    };

    // Device word addresses the sequence uses.
    static const WORD addrConfigMemory = 0x2000;
    static const WORD addrDeviceId = 0x2006;
    static const WORD addrConfigWord = 0x2007;
    static const WORD addrEeprom = 0x2100;

    // Joins theTargetList; leaves m_wConfig, the module heads and the loaded flags alone (the
    // boards are static objects, so these start as zero).
    CPIC16Target(BYTE id, CString name, CString description, WORD capability);

    // "2K", "4K" or "8K" + " FLASH Memory", "Configuration Data", "EEPROM Memory" (with the
    // EEPROM only). Assigns; FALSE for any other module, -1 included.
    BOOL GetModuleName(CString& name, int module) override;
    int GetModuleCount() override;
    // Every file is read through module 0 and split by LoadModule.
    int SelectModuleForFile(const CString& path) override;
    // Reads one Intel HEX file and splits it over the three modules by address; refuses data
    // beyond a module's window with a message box. A configuration word in the file replaces
    // bits 0-13 of m_wConfig and is stored at once. Adds to what the modules already hold; a
    // file that fails or is refused changes nothing (records, flags, word and settings).
    BOOL LoadModule(int module, const CString& path) override;
    BOOL CanProgram() override;
    // Runs the options dialog for this target; 1 when it ends with OK.
    int ShowOptions() override;
    // The flat image of the whole store with blank words 0x3FFF, positioned at the module's
    // window: module 0 or -1 from 0 (length = FLASH end; for -1 with no FLASH the store's end),
    // 1 from 0x4000, 2 from 0x4200. Owned by the target until the next call; NULL when the
    // module is not loaded, is not a module, or the image cannot be built.
    BYTE* GetModuleImage(int module, DWORD* length) override;
    // Writes m_wConfig as <short name>_Options and back into the loaded configuration word.
    void SaveOptions() override;
    // One file at a time.
    BOOL GetFileFilter(CString& filter) override;

    // Sets m_wDefaultConfig and reads m_wConfig from the settings (the default when the value
    // is missing or unreadable; unchanged when the settings key cannot be opened). 1 always.
    virtual int InitOptions(WORD defaultConfig);
    // Erases, programs, verifies and configures the device on `resource`, opened as
    // `portType` (2 serial modem lines, 4 parallel port). `expectedId` is the device id in bits
    // 13:5 of the id word (0: any device); a device that does not match is left untouched.
    // `*status` gets the outcome text; TRUE only with "Programming complete". The port is
    // closed on every path.
    virtual BOOL ProgramDevice(CString resource, CString* status, WORD expectedId, BYTE portType);

    void SetResetPrompt(CString text) { m_strResetPrompt = text; }
    // The overlap check with its message box: TRUE when the image may be used.
    BOOL CheckImage();
    // 0x1000, 0x2000 or 0x4000 store bytes by the FLASH size; 0 for size 3.
    WORD GetFlashBytes() const;
    // 0x100 or 0x200 store bytes by the EEPROM size bits; 0 without.
    WORD GetEepromBytes() const;

    WORD GetCapability() const { return m_wCapability; }
    WORD GetConfig() const { return m_wConfig; }
    void SetConfig(WORD config) { m_wConfig = config; }
    WORD GetDefaultConfig() const { return m_wDefaultConfig; }
    CString GetResetPrompt() const { return m_strResetPrompt; }
    // The device's address counter as the sequence last left it.
    WORD GetAddress() const { return m_wAddress; }
    const CIcspLines& GetLines() const { return m_Lines; }

    // --- The ICSP layer. Each returns FALSE as soon as one line operation fails. ---

    BOOL IdleLines();
    BOOL ClockPulse();
    BOOL SendBit(BYTE bit);
    // The 6 low bits of `command`, then data high; with `wait`, then m_nCommandDelay.
    BOOL SendCommand(BYTE command, BOOL wait);
    // Start bit 0, the 14 low bits of `data` least significant first, stop bit 0.
    BOOL SendData(WORD data);
    // Data high and a start clock, 14 bits from the device (bit 0 first; bits 14-15 are 0),
    // data high and a stop clock. `*data` is stored before the stop bit.
    BOOL ReadData(WORD* data);
    BOOL CommandWithData(BYTE command, WORD data);
    BOOL CommandRead(BYTE command, WORD* data);
    // Command 6 with its wait, then idle lines (whose result is not used).
    BOOL IncrementAddress();
    // Load, begin programming and, with `verify`, read back one program word at the device's
    // address counter; FALSE also on a read-back that differs. Ends with idle lines.
    BOOL ProgramWord(WORD word, BOOL verify);
    // Steps the device's counter from m_wAddress up to word address `address`, then programs
    // `count` words of the little-endian image `data`, each masked with `mask`, verifying by
    // bit 15 of m_wConfig. Steps the main dialog's bar once per increment before the words,
    // once per word and once at the end. FALSE at once for no data, no words, or a counter
    // already past `address`.
    BOOL ProgramWords(WORD address, const BYTE* data, DWORD count, WORD mask);
    // Writes `word` to the configuration word (0x2007) and reads it back, whatever bit 15 of
    // m_wConfig says. The device's counter is left at 0x2007; m_wAddress is not changed.
    BOOL WriteConfig(WORD word);
    // Reads the device id word (0x2006) into `*id`, then runs the code-protection disable
    // sequence, which erases the whole device, but only when the id matches `expectedId` (0:
    // any): a device that is not the expected one is left as it was. TRUE when the lines
    // worked; the caller checks the id.
    BOOL UnprotectAndReadId(WORD* id, WORD expectedId = 0);
    // Bulk erase of program memory with `programBlank` loaded and, with `eraseData`, of data
    // memory with `dataBlank`. Steps `progress` (may be NULL) over 0-4 or 0-6.
    BOOL BulkErase(WORD programBlank, WORD dataBlank, CProgressCtrl* progress, BOOL eraseData);
    BOOL ReadDeviceId(WORD* id);
    BOOL ReadConfig(WORD* word);
    // Each argument other than (DWORD)-1 replaces its timing (10-microsecond units).
    void SetTimings(DWORD clockHigh, DWORD clockLow, DWORD command, DWORD load, DWORD program, DWORD erase);

    // TRUE when `expectedId` is 0 or equals bits 13:5 of the id word (the revision in bits
    // 4:0 is ignored).
    static BOOL IsExpectedDevice(WORD id, WORD expectedId);

protected:
    WORD m_wCapability;
    WORD m_wConfig;
    WORD m_wDefaultConfig;
    WORD m_wAddress;
    CString m_strResetPrompt;
    DWORD m_nClockHigh;
    DWORD m_nClockLow;
    DWORD m_nCommandDelay;
    DWORD m_nLoadDelay;
    DWORD m_nProgramDelay;
    DWORD m_nEraseDelay;

private:
    // Module 2 exists only with the EEPROM.
    static int GetModuleCountOf(WORD capability) { return (capability & capEeprom) ? 3 : 2; }
    BOOL IsLowVoltageMode() const;
    // Moves the configuration and EEPROM windows out of the list the file was read into.
    LPCSTR SplitFile(int list) override;
    // Marks FLASH loaded and takes a configuration word in the file.
    void AcceptFile(int list) override;
    // The message that refuses what the modules hold after a file's records were split over
    // them; NULL when they are within their limits.
    LPCSTR FindRefusal() const;
    // Takes the configuration word of a loaded file into m_wConfig.
    void TakeConfigWord();
    BOOL RunSequence(const CString& resource, CString& status, WORD expectedId, BYTE portType);
    BOOL ResetPrompt();
    // The FLASH and EEPROM passes share their stepping; `dataMemory` picks the commands and
    // takes one image byte per word.
    BOOL ProgramRun(WORD address, const BYTE* data, DWORD count, WORD mask, BOOL dataMemory);
    BOOL ProgramCell(BYTE load, BYTE read, WORD word, BOOL verify, WORD compareMask);
    BOOL SendIncrements(int count, BOOL wait);

    CIcspLines m_Lines;
};
