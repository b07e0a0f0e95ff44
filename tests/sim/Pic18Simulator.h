// A PIC18FXX2 device in its programming mode, written from Microchip's published flash
// programming guide for the PIC18FXX2/FXX8 family. It sits on a CIcspDecoder, which
// hangs off the serial or the parallel port double, like the PIC16 device model.
//
// Protocol:
//   commands  4 bits, least significant first, latched on the falling clock edge; each is
//             followed by 16 more clocks: a payload from the host, least significant first,
//             or, for the reads, 8 clocks the device ignores and 8 on which it drives TABLAT
//             (bit 0 first, from the rising edge on)
//   0000 core instruction   0010 shift out TABLAT
//   1000 table read, 1001 post-increment, 1010 post-decrement, 1011 pre-increment
//   1100 table write, 1101 post-increment by 2, 1110 post-decrement by 2,
//   1111 table write and start programming: the cycle runs while the host holds the fourth
//        clock of the next command, a NOP, high (P9), then the clock stays low for P10
// Core instructions: MOVLW, MOVWF, MOVF, CLRF, INCF, BSF, BCF on the access bank, GOTO, NOP.
// Registers: TBLPTRU:H:L (22 bits), TABLAT, EECON1 (EEPGD 7, CFGS 6, FREE 4, WREN 2, WR 1,
// RD 0), EECON2 (the 0x55, 0xAA unlock right before BSF EECON1,WR), EEADRH:EEADR, EEDATA.
//
// Memories: code from 0, ID locations 0x200000-0x200007, configuration bytes 0x300000-
// 0x30000D (unimplemented bits read 0), device id 0x3FFFFE-0x3FFFFF, data EEPROM through
// EEADR. Writes go through 8-byte panel buffers, one per 8 KB panel in multi-panel mode
// (0x40 written to 0x3C0006), one in single-panel mode (0x00); the programming cycle writes
// every buffer loaded since the last one, each to the row it was loaded for. Programming only
// clears bits: memory must be erased first. A row erase (FREE set) clears 64 bytes, in
// multi-panel mode the same row of every panel; started by 1111 or by WR. Configuration bytes
// are written one at a time, with their ones and zeros (the even address takes the payload's
// low byte, the odd one its high byte); they are erased only by the chip erase. The chip erase
// (0x80 written to 0x3C0004, then two NOPs) runs from the second NOP's command bits; its
// operand may follow only after P11. An EEPROM write (WREN, unlock, WR) keeps WR set for a
// number of EECON1 reads.
//
// Protection (configuration bits, 0 = protected): CP0-3/CPB make a block read as 0 and refuse
// writes and row erases, CPD the same for the EEPROM; WRT0-3/WRTB/WRTD refuse writes; WRTC
// refuses configuration writes. In low-voltage mode the LVP bit cannot be cleared and the
// protection bytes CONFIG5L-CONFIG7H only take bits to 0.
//
// Faults: stuck bits in any memory, another device id, an EEPROM write that never completes,
// and (through the decoder) a dead data line. Writes set up otherwise than the programming guide
// sets them up (code and ID memory with EEPGD set and CFGS clear, configuration with both set)
// are refused and counted.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "platform/base/WinTypes.h"
#include "tests/sim/IcspDeviceModel.h"

class CPic18Simulator : public CIcspDeviceModelBase<DWORD, BYTE> {
public:
    struct Variant {
        const char* name;
        DWORD codeBytes;
        WORD eepromBytes;
        WORD deviceId;  // DEVID2:DEVID1 with revision 0
    };
    static const Variant F242;
    static const Variant F252;
    static const Variant F442;
    static const Variant F452;

    enum class Space { Code, Id, Config, Eeprom };

    // One command as the device received it: the payload sent, or the byte sent back.
    struct Command {
        BYTE code = 0;
        WORD data = 0;
        DWORD tblptr = 0;  // TBLPTR when the command arrived
        bool operator==(const Command& other) const { return code == other.code && data == other.data; }
    };

    // The implemented bits of CONFIG1L-CONFIG7H, which are also the erased values.
    static const BYTE kConfigImplemented[14];

    // A blank, unprotected device, as the chip erase leaves it (LVP set).
    explicit CPic18Simulator(const Variant& variant = F252);

    const Variant& GetVariant() const { return m_variant; }
    // The memories as the cells hold them, stuck bits included.
    BYTE CodeByte(DWORD address) const;
    void SetCodeByte(DWORD address, BYTE value) { m_code[address % m_variant.codeBytes] = value; }
    BYTE IdByte(int index) const;
    void SetIdByte(int index, BYTE value) { m_ids[index & 7] = value; }
    // As a table read returns it: unimplemented bits 0.
    BYTE ConfigByte(int index) const;
    void SetConfigByte(int index, BYTE value) { m_config[index] = value; }
    BYTE EepromByte(WORD address) const;
    void SetEepromByte(WORD address, BYTE value) { m_eeprom[address % m_variant.eepromBytes] = value; }
    WORD DeviceIdWord() const { return m_deviceId; }
    void SetDeviceIdWord(WORD word) { m_deviceId = word; }
    void SetStuckBit(Space space, DWORD address, int bit, bool level) { SetStuck(space, address, bit, level); }
    // EECON1 reads that still show WR after an EEPROM write starts (1 by default).
    void SetEepromBusyPolls(int polls) { m_eepromBusyPolls = polls; }
    void SetEepromWriteNeverCompletes(bool never) { m_eepromNeverCompletes = never; }

    // Every command received in the programming mode, in order (while recording).
    const std::vector<Command>& Commands() const { return m_commands; }
    void ClearCommands() { m_commands.clear(); }
    void Record(bool on) { m_recording = on; }
    DWORD TablePointer() const { return m_tblptr; }
    BYTE Eecon1() const { return m_eecon1; }
    bool MultiPanel() const { return m_multiPanel; }
    DWORD ProgramCounter() const { return m_pc; }

    int ChipErases() const { return m_chipErases; }
    int RowErases() const { return m_rowErases; }
    int ProgrammingCycles() const { return m_programmingCycles; }
    int EepromWrites() const { return m_eepromWrites; }
    int EepromPolls() const { return m_eepromPolls; }
    // Writes and erases the device did not make: protected memory, WR without WREN or the
    // unlock, or set up otherwise than the programming guide does.
    int RefusedWrites() const { return m_refusedWrites; }
    // Sequences the programming guide does not allow: a start of programming not followed by a
    // NOP, a broken chip erase sequence, an erase code other than the chip erase.
    int ProtocolErrors() const { return m_protocolErrors; }
    int UnknownInstructions() const { return m_unknownInstructions; }

    // The timing check counts programming holds shorter than P9, discharges shorter than P10,
    // and erases given less than P11 before the next command: the chip erase, and a row erase
    // started by WR, taken to need as long.
    static constexpr double kProgramHoldUs = 1000;  // P9
    static constexpr double kDischargeUs = 5;       // P10
    static constexpr double kChipEraseUs = 5000;    // P11

    bool AcceptsLowVoltageEntry() const override;
    IcspFrame EnterProgramMode(bool lowVoltage) override;
    void LeaveProgramMode() override;
    IcspFrame FrameDone(uint32_t hostBits, const IcspFrameTiming& timing) override;

private:
    enum class Expect { Command, Payload, Read };
    enum class Hold { None, Program, RowErase, Config };

    struct Panel {
        BYTE bytes[8];
        DWORD row = 0;
        bool loaded = false;
    };

    IcspFrame OnCommandBits(BYTE code, const IcspFrameTiming& timing);
    void OnPayload(WORD data);
    void EndHold(BYTE code, const IcspFrameTiming& timing);
    void Execute(WORD instruction);
    BYTE ReadRegister(int address);
    void WriteRegister(int address, BYTE value);
    void WriteEecon1(BYTE value);
    void StartWrite();
    BYTE ReadTable(DWORD address) const;
    void TableWrite(WORD data, bool start);
    Panel& PanelFor(DWORD address);
    void ProgramPanels();
    void EraseRow(DWORD address);
    void WriteConfigByte();
    void ChipErase();
    void WriteCell(DWORD address, BYTE value);

    bool IsCode(DWORD address) const { return address < m_variant.codeBytes; }
    static bool IsId(DWORD address) { return address >= 0x200000 && address < 0x200008; }
    // -1 the boot block (0x0000-0x01FF), else block 0-3 by 8 KB.
    static int BlockOf(DWORD address) { return address < 0x200 ? -1 : (int)(address >> 13); }
    bool IsReadProtected(DWORD address) const;
    bool IsWriteProtected(DWORD address) const;
    bool IsEepromReadProtected() const { return (ConfigByte(9) & 0x80) == 0; }
    bool IsEepromWriteProtected() const { return (ConfigByte(11) & 0x80) == 0; }
    bool IsConfigWriteProtected() const { return (ConfigByte(11) & 0x20) == 0; }
    WORD EepromAddress() const;

    Variant m_variant;
    std::vector<BYTE> m_code;
    BYTE m_ids[8];
    BYTE m_config[14];
    std::vector<BYTE> m_eeprom;
    WORD m_deviceId;
    int m_eepromBusyPolls = 1;
    bool m_eepromNeverCompletes = false;

    bool m_lowVoltage = false;
    Expect m_expect = Expect::Command;
    BYTE m_code4 = 0;
    BYTE m_w = 0;
    DWORD m_tblptr = 0;
    BYTE m_tablat = 0;
    BYTE m_eecon1 = 0;
    BYTE m_eeadr = 0;
    BYTE m_eeadrh = 0;
    BYTE m_eedata = 0;
    BYTE m_file[0x1000] = {};
    DWORD m_pc = 0;
    bool m_gotoPending = false;
    BYTE m_gotoLow = 0;
    int m_unlock = 0;
    int m_eepromBusy = 0;
    bool m_multiPanel = false;
    Panel m_panels[4];
    Hold m_hold = Hold::None;
    DWORD m_holdAddress = 0;
    BYTE m_holdValue = 0;
    int m_eraseStage = 0;
    bool m_wrEraseStarted = false;

    std::vector<Command> m_commands;
    bool m_recording = true;
    int m_chipErases = 0;
    int m_rowErases = 0;
    int m_programmingCycles = 0;
    int m_eepromWrites = 0;
    int m_eepromPolls = 0;
    int m_refusedWrites = 0;
    int m_protocolErrors = 0;
    int m_unknownInstructions = 0;
    double m_gapFromUs = 0;
    double m_minimumGapUs = 0;
};

// Readable commands in test failures: "Core(0x0E3C)", "Write(D, 0x1234)", "Read(9) = 0x5A".
std::ostream& operator<<(std::ostream& out, const CPic18Simulator::Command& command);
