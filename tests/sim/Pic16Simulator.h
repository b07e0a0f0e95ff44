// A PIC16F87x device in its programming mode, written from Microchip's published in-circuit
// serial programming protocol for these devices. It sits on a CIcspDecoder, which hangs off the
// serial or the parallel port double.
//
// Protocol:
//   commands   6 bits, least significant first, latched on the falling clock edge
//   data words 16 pulses: start bit, 14 data bits least significant first, stop bit; on a
//              read the device drives the line from the 2nd to the 15th rising edge
//   0  Load Configuration          counter to 0x2000; data word into the latch
//   2  Load Data for Program Memory, 3  Load Data for Data Memory (8 bits)
//   4  Read Data from Program Memory, 5  Read Data from Data Memory
//   6  Increment Address (program memory wraps at 0x1FFF, configuration memory at 0x3FFF back
//      to 0x2000: only leaving the programming mode brings the counter back to 0)
//   8  Begin Erase/Programming Cycle of what was loaded or chosen last
//   9  Bulk Erase Program Memory (with the counter in configuration memory, the configuration
//      word and ID locations too), 11 Bulk Erase Data Memory; both refused while protected
//   1, 7, 8, wait, 1, 7 with the counter at 0x2007: the code-protection disable, which erases
//      the whole device
// Memories: program words from 0, ID locations 0x2000-0x2003, the device id at 0x2006 (read
// only), the configuration word at 0x2007 (bit 10 is not implemented and reads 1), data
// EEPROM addressed by the low bits of the counter. Code-protected program memory reads 0 and
// ignores writes; protected data memory likewise.
//
// Faults: stuck bits in any memory, another device id, and (through the decoder) a dead data
// line. With times taken, every command that starts while an erase/programming cycle still
// runs counts as a timing violation.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "platform/base/WinTypes.h"
#include "tests/sim/IcspDeviceModel.h"

class CPic16Simulator : public CIcspDeviceModelBase<WORD, WORD> {
public:
    struct Variant {
        const char* name;
        WORD programWords;
        WORD eepromBytes;
        WORD deviceId;  // id word with revision 0
    };
    static const Variant F873;
    static const Variant F874;
    static const Variant F876;
    static const Variant F877;

    enum class Space { Program, Config, Eeprom };

    // One command as the device received it; `data` is the word loaded or the word sent back.
    struct Command {
        BYTE code = 0;
        bool hasData = false;
        WORD data = 0;
        WORD address = 0;  // the address counter when the command arrived
        bool operator==(const Command& other) const
        {
            return code == other.code && hasData == other.hasData && (!hasData || data == other.data);
        }
    };

    static const WORD kConfigUnimplemented = 0x0400;

    // A blank, unprotected device (configuration word 0x3FFF: low-voltage entry allowed).
    explicit CPic16Simulator(const Variant& variant = F877);

    const Variant& GetVariant() const { return m_variant; }
    // The memories as the cells hold them, stuck bits included.
    WORD ProgramWord(WORD address) const;
    void SetProgramWord(WORD address, WORD word) { m_program[address % m_variant.programWords] = word & 0x3FFF; }
    BYTE EepromByte(WORD address) const;
    void SetEepromByte(WORD address, BYTE value) { m_eeprom[address % m_variant.eepromBytes] = value; }
    // Without the unimplemented bit.
    WORD ConfigWord() const;
    void SetConfigWord(WORD word) { m_config = word & 0x3FFF; }
    WORD IdLocation(int index) const { return m_ids[index & 3]; }
    WORD DeviceIdWord() const { return m_deviceId; }
    void SetDeviceIdWord(WORD word) { m_deviceId = word; }
    void SetStuckBit(Space space, WORD address, int bit, bool level) { SetStuck(space, address, bit, level); }
    // The upper six bits of a data memory read carry no data; this model sends them as given
    // (0x3F00 by default), so a host must look at the low byte only.
    void SetDataReadHighBits(WORD bits) { m_dataHighBits = bits & 0x3F00; }

    // Every command received in the programming mode, in order.
    const std::vector<Command>& Commands() const { return m_commands; }
    void ClearCommands() { m_commands.clear(); }
    WORD AddressCounter() const { return m_pc; }
    // Load frames whose start or stop bit was not 0.
    int FramingErrors() const { return m_framingErrors; }

    bool AcceptsLowVoltageEntry() const override;
    IcspFrame EnterProgramMode(bool lowVoltage) override;
    void LeaveProgramMode() override;
    IcspFrame FrameDone(uint32_t hostBits, const IcspFrameTiming& timing) override;

    // Minimum times of the device's self-timed cycles, in microseconds.
    static constexpr double kProgramCycleUs = 4000;
    static constexpr double kEraseCycleUs = 8000;

private:
    enum class Expect { Command, Load, Read };
    enum class Pending { None, WriteProgram, WriteData, EraseProgram, EraseData };

    IcspFrame CommandFrame();
    IcspFrame OnCommandBits(BYTE code);
    void OnLoad(WORD data);
    void BeginProgramming();
    void Increment();
    WORD ReadProgramSpace() const;
    WORD ReadDataMemory() const;
    void WriteProgramSpace(WORD word);
    // 3 none, 2 the last 256 words, 1 the upper half, 0 all (the stronger of the two copies).
    int CodeProtection() const;
    bool IsCodeProtected(WORD address) const;
    bool IsDataProtected() const { return (ConfigWord() & 0x0100) == 0; }
    void EraseAll();

    Variant m_variant;
    std::vector<WORD> m_program;
    std::vector<BYTE> m_eeprom;
    WORD m_ids[4];
    WORD m_config = 0x3FFF;
    WORD m_deviceId;
    WORD m_dataHighBits = 0x3F00;

    WORD m_pc = 0;
    WORD m_latch = 0x3FFF;
    Expect m_expect = Expect::Command;
    BYTE m_currentCode = 0;
    Pending m_pending = Pending::None;
    int m_unprotectStep = 0;

    std::vector<Command> m_commands;
    int m_framingErrors = 0;
    double m_busyUntilUs = 0;
    double m_pendingCycleUs = 0;
};

// Readable commands in test failures: "Load(2, 0x3FFF)", "Read(4) = 0x09A0", "Cmd(6)".
std::ostream& operator<<(std::ostream& out, const CPic16Simulator::Command& command);
