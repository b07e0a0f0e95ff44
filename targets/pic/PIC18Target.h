// The target family of Microchip PIC18FXX2/FXX8 flash microcontrollers programmed in circuit:
// code memory, the eight ID location bytes, the fourteen configuration bytes and (where the
// device has one) data EEPROM, all loaded from one Intel HEX file into theIntelHex, and the
// in-circuit programming sequence that erases, programs, verifies and configures one device
// over the lines of the target's port object.
//
// Store addresses are the device's own byte addresses:
//   code memory    0x000000 up to 16 KB or 32 KB
//   ID locations   0x200000-0x200007
//   configuration  0x300000-0x30000D (CONFIG1L to CONFIG7H)
//   data EEPROM    0xF00000 up to 256 or 1024 bytes
//
// The configuration bytes and an options word of this program form the configuration record
// m_Config (PIC18Config), stored in the settings as four DWORDs <short name>_Options0 to
// _Options3. The boards derive from this class and supply their identity, default record,
// device id and port type.
//
// The line protocol (the "ICSP layer" below) is Microchip's: 4-bit commands least significant
// bit first, each followed by a 16-bit payload; core instructions executed by the device; the
// table pointer and table reads and writes; panel writes started with command 1111, whose
// programming runs while the host holds the fourth clock of the following NOP high. Timings
// are in units of 10 microseconds (CTargetBase::Delay). Every operation returns FALSE as soon
// as one line operation fails; the device-level ones end with IdleLines on every path.
#pragma once

#include <initializer_list>

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "targets/IntelHexTarget.h"
#include "targets/pic/IcspLines.h"
#include "targets/pic/PIC18Config.h"

struct HexRecord;
class CProgressCtrl;

class CPIC18Target : public CIntelHexTarget<4> {
public:
    // Device flags: what the device has.
    enum : WORD {
        devCode32K = 0x0001,   // four 8 KB panels; clear: 16 KB, two panels
        devWatchdog = 0x0010,  // the options dialog offers the watchdog
        devBrownOut = 0x0040,
        devPowerUpTimer = 0x0080,
        devEeprom256 = 0x0100,
        devEeprom1024 = 0x0200,  // also loads EEADRH
        devEepromMask = 0x0300,
        devLowVoltage = 0x4000,  // low-voltage programming may be chosen
    };

    enum { moduleCode = 0, moduleId = 1, moduleConfig = 2, moduleEeprom = 3, moduleCount = 4 };
    static_assert(moduleCount == kListCount, "one module list per module");

    static const DWORD idBase = 0x200000;
    static const DWORD idBytes = 8;
    static const DWORD configBase = 0x300000;
    static const DWORD configBytes = PIC18Config::kConfigBytes;
    static const DWORD eepromBase = 0xF00000;
    static const DWORD panelBytes = 0x2000;

    // 4-bit commands.
    enum : BYTE {
        cmdCore = 0x0,             // payload: a 16-bit instruction the device executes
        cmdShiftOutTablat = 0x2,   // 8 clocks, then the device sends TABLAT
        cmdTableRead = 0x8,        // TABLAT = byte at TBLPTR, then sent
        cmdTableReadInc = 0x9,     // the same, then TBLPTR + 1
        cmdTableWrite = 0xC,       // payload: 2 bytes into the write buffer at TBLPTR
        cmdTableWriteInc2 = 0xD,   // the same, then TBLPTR + 2
        cmdTableWriteStart = 0xF,  // the same, then programming during the next NOP
    };

    // Core instructions (access bank; EECON1 bits as Microchip names them).
    enum : WORD {
        insMovlw = 0x0E00,  // + literal
        insMovwfTblptrU = 0x6EF8,
        insMovwfTblptrH = 0x6EF7,
        insMovwfTblptrL = 0x6EF6,
        insMovwfTablat = 0x6EF5,
        insMovwfEecon2 = 0x6EA7,
        insMovwfEedata = 0x6EA8,
        insMovwfEeadr = 0x6EA9,
        insMovwfEeadrh = 0x6EAA,
        insMovfEecon1 = 0x50A6,
        insMovfEedata = 0x50A8,
        insSetEepgd = 0x8EA6,
        insClearEepgd = 0x9EA6,
        insSetCfgs = 0x8CA6,
        insClearCfgs = 0x9CA6,
        insSetWren = 0x84A6,
        insClearWren = 0x94A6,
        insSetFree = 0x88A6,
        insSetWr = 0x82A6,
        insSetRd = 0x80A6,
        insIncfTblptrL = 0x2AF6,
        insGoto100000First = 0xEF00,
        insGoto100000Second = 0xF800,
        insNop = 0x0000,
    };

    // EECON1 WR as the device reports it while a write runs.
    static const BYTE eecon1Wr = 0x02;
    // How long one EEPROM write may take before the device counts as not answering.
    static const DWORD kEepromWriteTimeoutMs = 100;

    // Joins theTargetList; leaves the records, the module heads and the loaded flags alone
    // (the boards are static objects, so these start as zero).
    CPIC18Target(BYTE id, CString name, CString description, WORD deviceFlags);

    // "16K" or "32K" + " FLASH Memory", "ID Location", "Configuration Data", "EEPROM Memory"
    // (with an EEPROM flag only). FALSE for any other module, -1 included.
    BOOL GetModuleName(CString& name, int module) override;
    int GetModuleCount() override;
    // Every file is read through the code list and split by LoadModule.
    int SelectModuleForFile(const CString& path) override;
    // Reads one Intel HEX file into the code list and moves the ID, configuration and EEPROM
    // windows out of it; refuses data outside the four windows with a message box.
    // Configuration bytes in the file replace those of m_Config and are stored at once. Adds to
    // what the modules hold; a file that fails or is refused changes nothing (records, flags,
    // m_Config and settings).
    BOOL LoadModule(int module, const CString& path) override;
    BOOL CanProgram() override;
    int ShowOptions() override;
    // The flat image of the whole store (gaps 0xFF) positioned at the module's window, and the
    // module's length from there: module 0 or -1 from 0 (length = code end; for -1 with no
    // code the store's end), 1 from 0x200000, 2 from 0x300000, 3 from 0xF00000. Owned by the
    // target until the next call; NULL when the module is not loaded, is not a module, or the
    // image cannot be built.
    BYTE* GetModuleImage(int module, DWORD* length) override;
    // Writes m_Config to the settings and its configuration bytes into the loaded
    // configuration data.
    void SaveOptions() override;
    BOOL GetFileFilter(CString& filter) override;

    // m_DefaultConfig = m_Config = `defaults`, then each stored DWORD replaces its part of
    // m_Config (a missing or unreadable one keeps the default). 1 always.
    virtual int InitOptions(PIC18Config defaults);
    // Erases, programs, verifies and configures the device on `resource`, opened as
    // `portType`. `expectedId` is the device id with the revision bits 4:0 clear (0: any
    // device); a device that does not match is left untouched. `*status` gets the outcome
    // text; TRUE only with "Programming complete". The port is closed on every path.
    virtual BOOL ProgramDevice(CString resource, CString* status, WORD expectedId, BYTE portType);

    void SetResetPrompt(CString text) { m_strResetPrompt = text; }
    // The overlap check with its message box: TRUE when the image may be used.
    BOOL CheckBuffer();
    WORD GetCodeLastAddress() const;
    WORD GetEepromBytes() const;
    BYTE GetPanelCount() const;

    WORD GetDeviceFlags() const { return m_wDeviceFlags; }
    const PIC18Config& GetConfig() const { return m_Config; }
    PIC18Config& Config() { return m_Config; }
    void SetConfig(const PIC18Config& config) { m_Config = config; }
    const PIC18Config& GetDefaultConfig() const { return m_DefaultConfig; }
    CString GetResetPrompt() const { return m_strResetPrompt; }
    const CIcspLines& GetLines() const { return m_Lines; }

    // --- ICSP layer: bit level ---

    // Data 0, then clock 0.
    BOOL IdleLines();
    BOOL ClockPulse();
    BOOL SendBit(BYTE bit);
    // The 4 bits of `code` least significant first, then data 0; with `wait`, m_nCommandDelay.
    BOOL SendCommandCode(BYTE code, BOOL wait);
    // The 16 bits least significant first; the data line is left at the last bit.
    BOOL SendPayload(WORD data);
    // 8 clocks with data 0, then 8 bits from the device sampled while the clock is high, bit 0
    // first.
    BOOL ReceiveByte(BYTE* value);
    BOOL SendCommand(BYTE code, WORD payload);
    BOOL ReadCommand(BYTE code, BYTE* value);
    // The NOP after a start-programming command: its fourth clock is held high for
    // m_nProgramDelay, then low for m_nDischargeDelay, then 16 zero bits.
    BOOL ProgramHold();
    BOOL SetTablePointer(DWORD address);
    BOOL ReadByteAt(DWORD address, BYTE* value);
    // Image word at `offset`, low byte first; bytes at or beyond `length` read 0xFF.
    static WORD GetImageWord(DWORD offset, const BYTE* buffer, DWORD length);

    // --- ICSP layer: device level ---

    BOOL ReadDeviceId(WORD* id);
    // The low-voltage row erase when options bit 2 is set, else the chip erase.
    BOOL BulkErase(CProgressCtrl* bar);
    BOOL EraseHighVoltage(CProgressCtrl* bar);
    BOOL EraseLowVoltage(CProgressCtrl* bar);
    BOOL EraseIdRow();
    BOOL EraseConfigRow();
    BOOL EraseEeprom();
    // The whole code memory, all panels at once, 8 bytes a panel a pass; bytes at or beyond
    // `length` are written 0xFF.
    BOOL WriteCode(CProgressCtrl* bar, const BYTE* image, DWORD length);
    BOOL WriteId(CProgressCtrl* bar, const BYTE* image, DWORD length);
    BOOL WriteEeprom(CProgressCtrl* bar, const BYTE* data, DWORD length);
    // FALSE also when the device does not finish the write within kEepromWriteTimeoutMs.
    BOOL WriteEepromByte(WORD address, BYTE value);
    // Compares the device's words from `first` (even) up to `last` (odd) with `buffer`, whose
    // byte 0 belongs to `first`; bytes at or beyond `length` must read 0xFF. With `mask`
    // (`length` bytes), only the bits set in it are compared.
    BOOL VerifyRange(CProgressCtrl* bar, const BYTE* buffer, DWORD length, DWORD first, DWORD last,
                     const BYTE* mask = NULL);
    // The `length` bytes from EEPROM address 0, then every byte above them reads 0xFF.
    BOOL VerifyEeprom(CProgressCtrl* bar, const BYTE* data, DWORD length);
    BOOL ReadEepromByte(WORD address, BYTE* value);
    // The fourteen bytes CONFIG1L to CONFIG7H, in the order CONFIG1 to CONFIG5, CONFIG7,
    // CONFIG6 (which can protect the configuration against writes).
    BOOL WriteConfig(CProgressCtrl* bar, const BYTE* config);
    BOOL WriteConfigWord(WORD word);
    BOOL ReadConfig(BYTE* config);
    // Each argument other than (DWORD)-1 replaces its timing (10-microsecond units).
    void SetTimings(DWORD clockHigh, DWORD clockLow, DWORD command, DWORD erase, DWORD program = (DWORD)-1,
                    DWORD discharge = (DWORD)-1);

protected:
    WORD m_wDeviceFlags;
    PIC18Config m_Config;
    PIC18Config m_DefaultConfig;
    CString m_strResetPrompt;
    DWORD m_nClockHigh;
    DWORD m_nClockLow;
    DWORD m_nCommandDelay;
    DWORD m_nProgramDelay;
    DWORD m_nDischargeDelay;
    DWORD m_nEraseDelay;

private:
    static int GetModuleCountOf(WORD flags) { return (flags & devEepromMask) ? 4 : 3; }
    BOOL HasEepromHighAddress() const { return (m_wDeviceFlags & devEepromMask) > devEeprom256; }
    BOOL IsLowVoltageMode() const { return (m_Config.m_wOptions & PIC18Config::optLowVoltage) != 0; }
    // Moves the ID, configuration and EEPROM windows out of the code list.
    LPCSTR SplitFile(int list) override;
    // Marks the code loaded and takes configuration bytes in the file.
    void AcceptFile(int list) override;
    // Takes the configuration bytes of a loaded file into m_Config and stores them.
    void TakeConfigBytes();

    BOOL Core(WORD instruction);
    BOOL CoreSequence(std::initializer_list<WORD> instructions);
    BOOL CodeAccess();
    BOOL ConfigAccess();
    BOOL EepromAccess();
    BOOL Unlock();
    // Multi-panel (0x0040) or single-panel (0x0000) writes, through the register at 0x3C0006.
    BOOL SetPanelMode(WORD mode);
    BOOL EraseRowByWrite(BOOL configSpace, DWORD address);
    // Eight bytes into the write buffer of the panel at `address` (image bytes from `offset`),
    // the last word with the start of programming when `start`.
    BOOL LoadPanel(DWORD address, const BYTE* image, DWORD offset, DWORD length, BOOL start);
    BOOL LoadEepromAddress(WORD address);
    BOOL WaitForEepromWrite();

    BOOL RunSequence(const CString& resource, CString& status, WORD expectedId, BYTE portType);
    BOOL ProgramModules(CProgressCtrl* bar, CString& status);
    BOOL VerifyModules(CProgressCtrl* bar, CString& status);

    CIcspLines m_Lines;
};
