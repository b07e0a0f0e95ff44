#include "tests/sim/Pic16Simulator.h"

#include <algorithm>
#include <cstdio>

const CPic16Simulator::Variant CPic16Simulator::F873 = {"PIC16F873", 4096, 128, 0x0960};
const CPic16Simulator::Variant CPic16Simulator::F874 = {"PIC16F874", 4096, 128, 0x0920};
const CPic16Simulator::Variant CPic16Simulator::F876 = {"PIC16F876", 8192, 256, 0x09E0};
const CPic16Simulator::Variant CPic16Simulator::F877 = {"PIC16F877", 8192, 256, 0x09A0};

namespace {

const WORD kConfigMemory = 0x2000;
const WORD kDeviceIdAddress = 0x2006;
const WORD kConfigAddress = 0x2007;

// Frames of the protocol: a 6-bit command; a data word of start bit, 14 bits and stop bit,
// driven by the device on pulses 1 to 14 when it is read.
const IcspFrame kCommandFrame = {6, 0, 0};
const IcspFrame kLoadFrame = {16, 0, 0};
const uint32_t kReadDriveMask = 0x7FFE;

}  // namespace

CPic16Simulator::CPic16Simulator(const Variant& variant)
    : m_variant(variant), m_program(variant.programWords, 0x3FFF), m_eeprom(variant.eepromBytes, 0xFF),
      m_deviceId(variant.deviceId)
{
    std::fill(std::begin(m_ids), std::end(m_ids), 0x3FFF);
}

WORD CPic16Simulator::ProgramWord(WORD address) const
{
    address = (WORD)(address % m_variant.programWords);
    return Stuck(Space::Program, address, m_program[address]);
}

BYTE CPic16Simulator::EepromByte(WORD address) const
{
    address = (WORD)(address % m_variant.eepromBytes);
    return (BYTE)Stuck(Space::Eeprom, address, m_eeprom[address]);
}

WORD CPic16Simulator::ConfigWord() const
{
    return Stuck(Space::Config, 0, m_config);
}

bool CPic16Simulator::AcceptsLowVoltageEntry() const
{
    return (ConfigWord() & 0x0080) != 0;
}

IcspFrame CPic16Simulator::EnterProgramMode(bool lowVoltage)
{
    Entered(lowVoltage);
    m_pc = 0;
    m_expect = Expect::Command;
    m_pending = Pending::None;
    m_unprotectStep = 0;
    return kCommandFrame;
}

void CPic16Simulator::LeaveProgramMode()
{
    m_inProgramMode = false;
    m_expect = Expect::Command;
}

IcspFrame CPic16Simulator::CommandFrame()
{
    m_expect = Expect::Command;
    return kCommandFrame;
}

IcspFrame CPic16Simulator::FrameDone(uint32_t hostBits, const IcspFrameTiming& timing)
{
    switch (m_expect) {
    case Expect::Load:
        if ((hostBits & 0x0001) || (hostBits & 0x8000))
            ++m_framingErrors;
        OnLoad((WORD)((hostBits >> 1) & 0x3FFF));
        return CommandFrame();
    case Expect::Read: return CommandFrame();
    case Expect::Command: break;
    }
    if (m_checkTiming) {
        if (timing.startUs < m_busyUntilUs)
            ++m_timingViolations;
    }
    BYTE code = (BYTE)(hostBits & 0x3F);
    if (m_commandObserver)
        m_commandObserver(code);
    IcspFrame next = OnCommandBits(code);
    if (m_checkTiming && code == 8)
        m_busyUntilUs = timing.endUs + m_pendingCycleUs;
    return next;
}

IcspFrame CPic16Simulator::OnCommandBits(BYTE code)
{
    Command command;
    command.code = code;
    command.address = m_pc;
    m_currentCode = code;
    // The disable sequence is 1, 7, 8 with nothing else between; anything else breaks it.
    if (code != 1 && code != 7 && code != 8)
        m_unprotectStep = 0;

    IcspFrame next = kCommandFrame;
    m_expect = Expect::Command;
    switch (code) {
    case 0: m_pc = kConfigMemory; [[fallthrough]];
    case 2:
    case 3:
        command.hasData = true;
        m_expect = Expect::Load;
        next = kLoadFrame;
        break;
    case 4:
    case 5: {
        WORD value = code == 4 ? ReadProgramSpace() : ReadDataMemory();
        command.hasData = true;
        command.data = value;
        m_expect = Expect::Read;
        next = IcspFrame{16, kReadDriveMask, (uint32_t)(value & 0x3FFF) << 1};
        break;
    }
    case 6: Increment(); break;
    case 1: m_unprotectStep = 1; break;
    case 7: m_unprotectStep = m_unprotectStep == 1 ? 2 : 0; break;
    case 8: BeginProgramming(); break;
    case 9: m_pending = Pending::EraseProgram; break;
    case 11: m_pending = Pending::EraseData; break;
    default: break;
    }
    m_commands.push_back(command);
    return next;
}

void CPic16Simulator::OnLoad(WORD data)
{
    if (!m_commands.empty())
        m_commands.back().data = data;
    if (m_currentCode == 3) {
        m_latch = data & 0xFF;
        m_pending = Pending::WriteData;
    } else {
        m_latch = data;
        m_pending = Pending::WriteProgram;
    }
}

void CPic16Simulator::Increment()
{
    if (m_pc < kConfigMemory)
        m_pc = (WORD)((m_pc + 1) & 0x1FFF);
    else
        m_pc = (WORD)(kConfigMemory | ((m_pc + 1) & 0x1FFF));
}

int CPic16Simulator::CodeProtection() const
{
    WORD config = ConfigWord();
    return std::min((config >> 4) & 3, (config >> 12) & 3);
}

bool CPic16Simulator::IsCodeProtected(WORD address) const
{
    WORD words = m_variant.programWords;
    WORD offset = (WORD)(address % words);
    switch (CodeProtection()) {
    case 3: return false;
    case 2: return offset >= words - 256;
    case 1: return offset >= words / 2;
    default: return true;
    }
}

WORD CPic16Simulator::ReadProgramSpace() const
{
    if (m_pc < kConfigMemory) {
        if (IsCodeProtected(m_pc))
            return 0;
        return ProgramWord(m_pc);
    }
    if (m_pc < kConfigMemory + 4)
        return Stuck(Space::Config, m_pc, m_ids[m_pc - kConfigMemory]);
    if (m_pc == kDeviceIdAddress)
        return m_deviceId;
    if (m_pc == kConfigAddress)
        return (WORD)(ConfigWord() | kConfigUnimplemented);
    return 0x3FFF;
}

WORD CPic16Simulator::ReadDataMemory() const
{
    if (IsDataProtected())
        return 0;
    return (WORD)(EepromByte(m_pc) | m_dataHighBits);
}

void CPic16Simulator::WriteProgramSpace(WORD word)
{
    word &= 0x3FFF;
    if (m_pc < kConfigMemory) {
        if (!IsCodeProtected(m_pc))
            m_program[m_pc % m_variant.programWords] = word;
    } else if (m_pc < kConfigMemory + 4) {
        m_ids[m_pc - kConfigMemory] = word;
    } else if (m_pc == kConfigAddress) {
        m_config = word;
    }
}

void CPic16Simulator::EraseAll()
{
    std::fill(m_program.begin(), m_program.end(), 0x3FFF);
    std::fill(m_eeprom.begin(), m_eeprom.end(), 0xFF);
    std::fill(std::begin(m_ids), std::end(m_ids), 0x3FFF);
    m_config = 0x3FFF;
}

void CPic16Simulator::BeginProgramming()
{
    m_pendingCycleUs = kProgramCycleUs;
    if (m_unprotectStep == 2 && m_pc == kConfigAddress) {
        EraseAll();
        m_unprotectStep = 0;
        m_pendingCycleUs = kEraseCycleUs;
        return;
    }
    m_unprotectStep = 0;
    switch (m_pending) {
    case Pending::WriteProgram: WriteProgramSpace(m_latch); break;
    case Pending::WriteData:
        if (!IsDataProtected())
            m_eeprom[m_pc % m_variant.eepromBytes] = (BYTE)m_latch;
        break;
    case Pending::EraseProgram:
        m_pendingCycleUs = kEraseCycleUs;
        if (CodeProtection() != 3)
            break;
        std::fill(m_program.begin(), m_program.end(), 0x3FFF);
        if (m_pc >= kConfigMemory) {
            std::fill(std::begin(m_ids), std::end(m_ids), 0x3FFF);
            m_config = 0x3FFF;
        }
        break;
    case Pending::EraseData:
        m_pendingCycleUs = kEraseCycleUs;
        if (!IsDataProtected())
            std::fill(m_eeprom.begin(), m_eeprom.end(), 0xFF);
        break;
    case Pending::None: break;
    }
}

std::ostream& operator<<(std::ostream& out, const CPic16Simulator::Command& command)
{
    char text[40];
    if (!command.hasData)
        snprintf(text, sizeof text, "Cmd(%u)", (unsigned)command.code);
    else if (command.code == 4 || command.code == 5)
        snprintf(text, sizeof text, "Read(%u) = 0x%04X", (unsigned)command.code, (unsigned)command.data);
    else
        snprintf(text, sizeof text, "Load(%u, 0x%04X)", (unsigned)command.code, (unsigned)command.data);
    return out << text;
}
