#include "tests/sim/Pic18Simulator.h"

#include <algorithm>
#include <cstdio>

const CPic18Simulator::Variant CPic18Simulator::F242 = {"PIC18F242", 0x4000, 256, 0x0480};
const CPic18Simulator::Variant CPic18Simulator::F252 = {"PIC18F252", 0x8000, 256, 0x0400};
const CPic18Simulator::Variant CPic18Simulator::F442 = {"PIC18F442", 0x4000, 256, 0x04A0};
const CPic18Simulator::Variant CPic18Simulator::F452 = {"PIC18F452", 0x8000, 256, 0x0420};

const BYTE CPic18Simulator::kConfigImplemented[14] = {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85,
                                                      0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};

namespace {

const IcspFrame kCommandFrame = {4, 0, 0};
const IcspFrame kPayloadFrame = {16, 0, 0};
const uint32_t kReadDriveMask = 0xFF00;

// Registers of the access bank (their full addresses).
const int kTblptrU = 0xFF8;
const int kTblptrH = 0xFF7;
const int kTblptrL = 0xFF6;
const int kTablat = 0xFF5;
const int kEeadrh = 0xFAA;
const int kEeadr = 0xFA9;
const int kEedata = 0xFA8;
const int kEecon2 = 0xFA7;
const int kEecon1 = 0xFA6;

const BYTE kEepgd = 0x80;
const BYTE kCfgs = 0x40;
const BYTE kFree = 0x10;
const BYTE kWren = 0x04;
const BYTE kWr = 0x02;
const BYTE kRd = 0x01;

const DWORD kTblptrMask = 0x3FFFFF;
const DWORD kBulkEraseRegister = 0x3C0004;
const DWORD kPanelModeRegister = 0x3C0006;
const DWORD kConfigBase = 0x300000;
const DWORD kIdBase = 0x200000;
const BYTE kChipEraseCode = 0x80;
const DWORD kPanelBytes = 0x2000;
const DWORD kRowBytes = 0x40;

}  // namespace

CPic18Simulator::CPic18Simulator(const Variant& variant)
    : m_variant(variant), m_code(variant.codeBytes, 0xFF), m_eeprom(variant.eepromBytes, 0xFF),
      m_deviceId(variant.deviceId)
{
    std::fill(std::begin(m_ids), std::end(m_ids), 0xFF);
    std::copy(std::begin(kConfigImplemented), std::end(kConfigImplemented), m_config);
}

BYTE CPic18Simulator::CodeByte(DWORD address) const
{
    address %= m_variant.codeBytes;
    return Stuck(Space::Code, address, m_code[address]);
}

BYTE CPic18Simulator::IdByte(int index) const
{
    return Stuck(Space::Id, (DWORD)(index & 7), m_ids[index & 7]);
}

BYTE CPic18Simulator::ConfigByte(int index) const
{
    return (BYTE)(Stuck(Space::Config, (DWORD)index, m_config[index]) & kConfigImplemented[index]);
}

BYTE CPic18Simulator::EepromByte(WORD address) const
{
    address = (WORD)(address % m_variant.eepromBytes);
    return Stuck(Space::Eeprom, address, m_eeprom[address]);
}

bool CPic18Simulator::IsReadProtected(DWORD address) const
{
    int block = BlockOf(address);
    return block < 0 ? (ConfigByte(9) & 0x40) == 0 : (ConfigByte(8) & (1 << block)) == 0;
}

bool CPic18Simulator::IsWriteProtected(DWORD address) const
{
    int block = BlockOf(address);
    return block < 0 ? (ConfigByte(11) & 0x40) == 0 : (ConfigByte(10) & (1 << block)) == 0;
}

bool CPic18Simulator::AcceptsLowVoltageEntry() const
{
    return (ConfigByte(6) & 0x04) != 0;
}

// --- Frames ---

IcspFrame CPic18Simulator::EnterProgramMode(bool lowVoltage)
{
    Entered(lowVoltage);
    m_lowVoltage = lowVoltage;
    m_expect = Expect::Command;
    m_w = 0;
    m_tblptr = 0;
    m_tablat = 0;
    m_eecon1 = 0;
    m_pc = 0;
    m_gotoPending = false;
    m_unlock = 0;
    m_eepromBusy = 0;
    m_multiPanel = false;
    for (Panel& panel : m_panels)
        panel.loaded = false;
    m_hold = Hold::None;
    m_eraseStage = 0;
    m_wrEraseStarted = false;
    m_minimumGapUs = 0;
    return kCommandFrame;
}

void CPic18Simulator::LeaveProgramMode()
{
    m_inProgramMode = false;
    m_expect = Expect::Command;
}

IcspFrame CPic18Simulator::FrameDone(uint32_t hostBits, const IcspFrameTiming& timing)
{
    if (m_checkTiming && m_minimumGapUs > 0) {
        if (timing.startUs - m_gapFromUs < m_minimumGapUs)
            ++m_timingViolations;
        m_minimumGapUs = 0;
    }
    switch (m_expect) {
    case Expect::Payload: {
        // An erase that WR started runs from the end of the instruction after it, a NOP.
        const bool eraseRuns = m_wrEraseStarted;
        OnPayload((WORD)(hostBits & 0xFFFF));
        if (eraseRuns) {
            m_wrEraseStarted = false;
            if (m_checkTiming) {
                m_gapFromUs = timing.endUs;
                m_minimumGapUs = kChipEraseUs;
            }
        }
        m_expect = Expect::Command;
        return kCommandFrame;
    }
    case Expect::Read: m_expect = Expect::Command; return kCommandFrame;
    case Expect::Command: break;
    }
    BYTE code = (BYTE)(hostBits & 0x0F);
    if (m_commandObserver)
        m_commandObserver(code);
    return OnCommandBits(code, timing);
}

void CPic18Simulator::EndHold(BYTE code, const IcspFrameTiming& timing)
{
    Hold hold = m_hold;
    m_hold = Hold::None;
    if (code != 0) {
        // The cycle needs the NOP's fourth clock; without it nothing is written.
        ++m_protocolErrors;
        for (Panel& panel : m_panels)
            panel.loaded = false;
        return;
    }
    if (m_checkTiming) {
        if (timing.lastHighUs < kProgramHoldUs)
            ++m_timingViolations;
        m_gapFromUs = timing.endUs;
        m_minimumGapUs = kDischargeUs;
    }
    switch (hold) {
    case Hold::Program: ProgramPanels(); break;
    case Hold::RowErase:
        EraseRow(m_holdAddress);
        for (Panel& panel : m_panels)
            panel.loaded = false;
        m_eecon1 &= (BYTE)~kFree;
        break;
    case Hold::Config: WriteConfigByte(); break;
    case Hold::None: break;
    }
}

IcspFrame CPic18Simulator::OnCommandBits(BYTE code, const IcspFrameTiming& timing)
{
    m_code4 = code;
    if (m_hold != Hold::None)
        EndHold(code, timing);
    if (m_eraseStage == 2) {
        m_eraseStage = 0;
        if (code == 0) {
            // The erase runs from here; the operand must wait for it.
            ChipErase();
            if (m_checkTiming) {
                m_gapFromUs = timing.endUs;
                m_minimumGapUs = kChipEraseUs;
            }
        } else {
            ++m_protocolErrors;
        }
    } else if (m_eraseStage == 1 && code != 0) {
        m_eraseStage = 0;
        ++m_protocolErrors;
    }

    Command command;
    command.code = code;
    command.tblptr = m_tblptr;
    switch (code) {
    case 0x2:
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB: {
        if (code == 0xB)
            m_tblptr = (m_tblptr + 1) & kTblptrMask;
        if (code != 0x2)
            m_tablat = ReadTable(m_tblptr);
        if (code == 0x9)
            m_tblptr = (m_tblptr + 1) & kTblptrMask;
        else if (code == 0xA)
            m_tblptr = (m_tblptr - 1) & kTblptrMask;
        command.data = m_tablat;
        if (m_recording)
            m_commands.push_back(command);
        m_expect = Expect::Read;
        return IcspFrame{16, kReadDriveMask, (uint32_t)m_tablat << 8};
    }
    default:
        if (m_recording)
            m_commands.push_back(command);
        m_expect = Expect::Payload;
        return kPayloadFrame;
    }
}

void CPic18Simulator::OnPayload(WORD data)
{
    if (m_recording && !m_commands.empty())
        m_commands.back().data = data;
    switch (m_code4) {
    case 0x0:
        Execute(data);
        if (m_eraseStage == 1) {
            if (data == 0x0000)
                m_eraseStage = 2;
            else {
                m_eraseStage = 0;
                ++m_protocolErrors;
            }
        }
        break;
    case 0xC:
    case 0xD:
    case 0xE:
    case 0xF:
        TableWrite(data, m_code4 == 0xF);
        if (m_code4 == 0xD)
            m_tblptr = (m_tblptr + 2) & kTblptrMask;
        else if (m_code4 == 0xE)
            m_tblptr = (m_tblptr - 2) & kTblptrMask;
        break;
    default: break;  // reserved: the payload is clocked in and ignored
    }
}

// --- Core instructions ---

void CPic18Simulator::Execute(WORD instruction)
{
    const BYTE high = (BYTE)(instruction >> 8);
    const BYTE f = (BYTE)instruction;
    // Only the access bank is modelled: f 0x00-0x7F is RAM, 0x80-0xFF the registers at 0xF80.
    const int address = f >= 0x80 ? 0xF00 | f : f;
    const bool accessBank = (high & 0x01) == 0;
    const int unlock = m_unlock;
    m_unlock = 0;

    if (m_gotoPending) {
        m_gotoPending = false;
        if ((instruction & 0xF000) == 0xF000) {
            m_pc = ((((DWORD)instruction & 0x0FFF) << 8) | m_gotoLow) * 2;
            return;
        }
        ++m_unknownInstructions;
    }
    if (instruction == 0x0000 || (instruction & 0xF000) == 0xF000)
        return;          // NOP
    if (high == 0x0E) {  // MOVLW
        m_w = f;
        if (unlock == 1)
            m_unlock = 1;
        return;
    }
    if (high == 0xEF) {  // GOTO, first word
        m_gotoPending = true;
        m_gotoLow = f;
        return;
    }
    if (!accessBank) {
        ++m_unknownInstructions;
        return;
    }
    switch (high & 0xFE) {
    case 0x6E:  // MOVWF
        if (address == kEecon2) {
            if (m_w == 0x55)
                m_unlock = 1;
            else if (m_w == 0xAA && unlock == 1)
                m_unlock = 2;
            return;
        }
        WriteRegister(address, m_w);
        return;
    case 0x6A:  // CLRF
        WriteRegister(address, 0);
        return;
    default: break;
    }
    if ((high & 0xFC) == 0x50 || (high & 0xFC) == 0x28) {  // MOVF, INCF
        BYTE value = ReadRegister(address);
        if ((high & 0xFC) == 0x28)
            ++value;
        if (high & 0x02)
            WriteRegister(address, value);
        else
            m_w = value;
        return;
    }
    if ((high & 0xE0) == 0x80) {  // BSF 1000 bbba, BCF 1001 bbba
        BYTE bit = (BYTE)(1u << ((high >> 1) & 7));
        bool set = (high & 0x10) == 0;
        if (address == kEecon1) {
            if (set && bit == kWr) {
                if (unlock == 2 && (m_eecon1 & kWren))
                    StartWrite();
                else
                    ++m_refusedWrites;
                return;
            }
            WriteEecon1(set ? (BYTE)(m_eecon1 | bit) : (BYTE)(m_eecon1 & ~bit));
            return;
        }
        BYTE value = ReadRegister(address);
        WriteRegister(address, set ? (BYTE)(value | bit) : (BYTE)(value & ~bit));
        return;
    }
    ++m_unknownInstructions;
}

BYTE CPic18Simulator::ReadRegister(int address)
{
    switch (address) {
    case kTblptrU: return (BYTE)((m_tblptr >> 16) & 0x3F);
    case kTblptrH: return (BYTE)(m_tblptr >> 8);
    case kTblptrL: return (BYTE)m_tblptr;
    case kTablat: return m_tablat;
    case kEeadrh: return m_eeadrh;
    case kEeadr: return m_eeadr;
    case kEedata: return m_eedata;
    case kEecon2: return 0;
    case kEecon1: {
        ++m_eepromPolls;
        BYTE value = m_eecon1;
        if (m_eepromBusy > 0) {
            value |= kWr;
            if (!m_eepromNeverCompletes)
                --m_eepromBusy;
        }
        return value;
    }
    default: return m_file[address & 0xFFF];
    }
}

void CPic18Simulator::WriteRegister(int address, BYTE value)
{
    switch (address) {
    case kTblptrU: m_tblptr = (m_tblptr & 0x00FFFF) | ((DWORD)(value & 0x3F) << 16); break;
    case kTblptrH: m_tblptr = (m_tblptr & 0x3F00FF) | ((DWORD)value << 8); break;
    case kTblptrL: m_tblptr = (m_tblptr & 0x3FFF00) | value; break;
    case kTablat: m_tablat = value; break;
    case kEeadrh: m_eeadrh = value; break;
    case kEeadr: m_eeadr = value; break;
    case kEedata: m_eedata = value; break;
    case kEecon1: WriteEecon1((BYTE)(value & ~kWr)); break;
    default: m_file[address & 0xFFF] = value; break;
    }
}

void CPic18Simulator::WriteEecon1(BYTE value)
{
    // WR is set only through the unlock; RD reads the EEPROM byte and clears itself.
    m_eecon1 = (BYTE)((value & ~(kWr | kRd)) | (m_eecon1 & kWr));
    if ((value & kRd) && !(m_eecon1 & (kEepgd | kCfgs)))
        m_eedata = IsEepromReadProtected() ? 0 : EepromByte(EepromAddress());
}

WORD CPic18Simulator::EepromAddress() const
{
    return (WORD)((((m_eeadrh & 3) << 8) | m_eeadr) % m_variant.eepromBytes);
}

void CPic18Simulator::StartWrite()
{
    const BYTE space = m_eecon1 & (kEepgd | kCfgs);
    if (space == 0) {
        if (IsEepromWriteProtected()) {
            ++m_refusedWrites;
            return;
        }
        m_eeprom[EepromAddress()] = m_eedata;
        ++m_eepromWrites;
        m_eepromBusy = m_eepromNeverCompletes ? 1 : m_eepromBusyPolls;
        return;
    }
    if (space == kEepgd && (m_eecon1 & kFree)) {
        EraseRow(m_tblptr);
        m_eecon1 &= (BYTE)~kFree;
        m_wrEraseStarted = true;
        return;
    }
    // A row erase of configuration space leaves the bytes as they are; self-writes from the
    // holding registers are not modelled.
    if (!(m_eecon1 & kFree))
        ++m_refusedWrites;
    else
        m_wrEraseStarted = true;
    m_eecon1 &= (BYTE)~kFree;
}

// --- Table reads and writes ---

BYTE CPic18Simulator::ReadTable(DWORD address) const
{
    if (IsCode(address))
        return IsReadProtected(address) ? 0 : CodeByte(address);
    if (IsId(address))
        return IdByte((int)(address - kIdBase));
    if (address >= kConfigBase && address < kConfigBase + 14)
        return ConfigByte((int)(address - kConfigBase));
    if (address == 0x3FFFFE)
        return (BYTE)m_deviceId;
    if (address == 0x3FFFFF)
        return (BYTE)(m_deviceId >> 8);
    return 0;
}

CPic18Simulator::Panel& CPic18Simulator::PanelFor(DWORD address)
{
    if (!m_multiPanel || !IsCode(address))
        return m_panels[0];
    return m_panels[(address / kPanelBytes) & 3];
}

void CPic18Simulator::TableWrite(WORD data, bool start)
{
    const DWORD address = m_tblptr;
    if (address == kBulkEraseRegister) {
        if (start || (BYTE)data != kChipEraseCode) {
            ++m_protocolErrors;
            return;
        }
        m_eraseStage = 1;
        return;
    }
    if (address == kPanelModeRegister) {
        m_multiPanel = (data & 0x40) != 0;
        return;
    }
    if (address >= kConfigBase && address < kConfigBase + 14) {
        if (!start)
            return;
        m_hold = Hold::Config;
        m_holdAddress = address;
        m_holdValue = (BYTE)((address & 1) ? data >> 8 : data);
        return;
    }
    if (!IsCode(address) && !IsId(address))
        return;
    Panel& panel = PanelFor(address);
    panel.bytes[address & 6] = (BYTE)data;
    panel.bytes[(address & 6) + 1] = (BYTE)(data >> 8);
    panel.row = address & ~(DWORD)7;
    panel.loaded = true;
    if (start) {
        m_hold = (m_eecon1 & kFree) ? Hold::RowErase : Hold::Program;
        m_holdAddress = address;
    }
}

void CPic18Simulator::WriteCell(DWORD address, BYTE value)
{
    if (IsCode(address)) {
        if (IsWriteProtected(address) || IsReadProtected(address)) {
            ++m_refusedWrites;
            return;
        }
        m_code[address] &= value;
    } else if (IsId(address)) {
        m_ids[address - kIdBase] &= value;
    }
}

void CPic18Simulator::ProgramPanels()
{
    if ((m_eecon1 & (kEepgd | kCfgs)) != kEepgd) {
        ++m_refusedWrites;
        for (Panel& panel : m_panels)
            panel.loaded = false;
        return;
    }
    ++m_programmingCycles;
    for (Panel& panel : m_panels) {
        if (!panel.loaded)
            continue;
        for (DWORD i = 0; i < 8; ++i)
            WriteCell(panel.row + i, panel.bytes[i]);
        panel.loaded = false;
    }
}

void CPic18Simulator::EraseRow(DWORD address)
{
    if ((m_eecon1 & (kEepgd | kCfgs)) != kEepgd) {
        ++m_refusedWrites;
        return;
    }
    const DWORD row = address & ~(kRowBytes - 1);
    std::vector<DWORD> rows = {row};
    if (m_multiPanel && IsCode(row)) {
        rows.clear();
        for (DWORD panel = 0; panel < m_variant.codeBytes; panel += kPanelBytes)
            rows.push_back(panel + (row % kPanelBytes));
    }
    for (DWORD start : rows) {
        if (IsId(start)) {
            std::fill(std::begin(m_ids), std::end(m_ids), 0xFF);
        } else if (IsCode(start)) {
            if (IsWriteProtected(start) || IsReadProtected(start)) {
                ++m_refusedWrites;
                continue;
            }
            std::fill(m_code.begin() + start, m_code.begin() + start + kRowBytes, 0xFF);
        } else {
            continue;
        }
        ++m_rowErases;
    }
}

void CPic18Simulator::WriteConfigByte()
{
    const int index = (int)(m_holdAddress - kConfigBase);
    if ((m_eecon1 & (kEepgd | kCfgs)) != (kEepgd | kCfgs) || IsConfigWriteProtected()) {
        ++m_refusedWrites;
        return;
    }
    ++m_programmingCycles;
    BYTE value = (BYTE)(m_holdValue & kConfigImplemented[index]);
    if (m_lowVoltage) {
        // At low voltage the device cannot leave its low-voltage mode, nor lift a protection.
        if (index == 6)
            value |= 0x04;
        if (index >= 8)
            value &= m_config[index];
    }
    m_config[index] = value;
}

void CPic18Simulator::ChipErase()
{
    ++m_chipErases;
    std::fill(m_code.begin(), m_code.end(), 0xFF);
    std::fill(m_eeprom.begin(), m_eeprom.end(), 0xFF);
    std::fill(std::begin(m_ids), std::end(m_ids), 0xFF);
    std::copy(std::begin(kConfigImplemented), std::end(kConfigImplemented), m_config);
}

std::ostream& operator<<(std::ostream& out, const CPic18Simulator::Command& command)
{
    char text[48];
    switch (command.code) {
    case 0x0: snprintf(text, sizeof text, "Core(0x%04X)", (unsigned)command.data); break;
    case 0x2:
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB: snprintf(text, sizeof text, "Read(%X) = 0x%02X", (unsigned)command.code, (unsigned)command.data); break;
    default: snprintf(text, sizeof text, "Write(%X, 0x%04X)", (unsigned)command.code, (unsigned)command.data); break;
    }
    return out << text << " @" << std::hex << command.tblptr << std::dec;
}
