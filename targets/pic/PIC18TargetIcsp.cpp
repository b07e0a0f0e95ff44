// The PIC18 in-circuit serial programming layer of CPIC18Target: the bit, command and table
// operations, and the device-level erase, write, verify and configuration sequences, on the
// shared ICSP line primitives (CIcspLines).
#include <utility>

#include "platform/time/Clock.h"
#include "platform/wnd/ProgressCtrl.h"
#include "targets/pic/PIC18Target.h"

namespace {

// Registers in configuration space that the programmer writes with table writes.
const DWORD kBulkEraseRegister = 0x3C0004;
const DWORD kPanelModeRegister = 0x3C0006;
const WORD kChipErase = 0x0080;
const WORD kMultiPanel = 0x0040;
const WORD kSinglePanel = 0x0000;
const DWORD kDeviceIdAddress = 0x3FFFFE;

// 1024 passes of 8 bytes cover one 8 KB panel; in multi-panel mode every panel at once.
const int kCodePasses = 1024;
const DWORD kPanelRowBytes = 8;
// A row erase in multi-panel mode erases the same 64-byte row of every panel.
const DWORD kEraseRowBytes = 0x40;
const DWORD kPanelSpan = 0x1FFF;

const int kVerifySteps = 0x400;
const int kLowVoltageEraseSteps = 0x83;

void StartBar(CProgressCtrl* bar, int upper)
{
    if (!bar)
        return;
    bar->SetStep(1);
    bar->SetPos(0);
    bar->SetRange(0, (short)upper);
}

void Step(CProgressCtrl* bar)
{
    if (bar)
        bar->StepIt();
}

}  // namespace

// --- Bit level ---

BOOL CPIC18Target::IdleLines()
{
    return m_Lines.Idle();
}

BOOL CPIC18Target::ClockPulse()
{
    return m_Lines.ClockPulse(m_nClockHigh, m_nClockLow);
}

BOOL CPIC18Target::SendBit(BYTE bit)
{
    return m_Lines.SendBit(bit, m_nClockHigh, m_nClockLow);
}

BOOL CPIC18Target::SendCommandCode(BYTE code, BOOL wait)
{
    if (!m_Lines.SendBits(code & 0x0F, 4, m_nClockHigh, m_nClockLow) || !m_Lines.SetData(0))
        return FALSE;
    if (wait)
        m_Lines.Wait(m_nCommandDelay);
    return TRUE;
}

BOOL CPIC18Target::SendPayload(WORD data)
{
    return m_Lines.SendBits(data, 16, m_nClockHigh, m_nClockLow);
}

BOOL CPIC18Target::ReceiveByte(BYTE* value)
{
    // The device ignores the first eight clocks and drives its byte on the next eight.
    DWORD bits = 0;
    if (!m_Lines.SendBits(0, 8, m_nClockHigh, m_nClockLow) || !m_Lines.ReceiveBits(&bits, 8, m_nClockHigh, m_nClockLow))
        return FALSE;
    if (value)
        *value = (BYTE)bits;
    return TRUE;
}

BOOL CPIC18Target::SendCommand(BYTE code, WORD payload)
{
    return SendCommandCode(code, TRUE) && SendPayload(payload);
}

BOOL CPIC18Target::ReadCommand(BYTE code, BYTE* value)
{
    return SendCommandCode(code, TRUE) && ReceiveByte(value);
}

BOOL CPIC18Target::ProgramHold()
{
    // The device programs while the fourth clock of this NOP is high; the clock must then stay
    // low for the discharge time before anything else is clocked.
    return m_Lines.SendBits(0, 3, m_nClockHigh, m_nClockLow) && m_Lines.SetData(0) &&
           m_Lines.ClockPulse(m_nProgramDelay, m_nDischargeDelay) && m_Lines.SendBits(0, 16, m_nClockHigh, m_nClockLow);
}

BOOL CPIC18Target::Core(WORD instruction)
{
    return SendCommand(cmdCore, instruction);
}

BOOL CPIC18Target::CoreSequence(std::initializer_list<WORD> instructions)
{
    for (WORD instruction : instructions) {
        if (!Core(instruction))
            return FALSE;
    }
    return TRUE;
}

BOOL CPIC18Target::SetTablePointer(DWORD address)
{
    return CoreSequence({(WORD)(insMovlw | ((address >> 16) & 0xFF)), insMovwfTblptrU,
                         (WORD)(insMovlw | ((address >> 8) & 0xFF)), insMovwfTblptrH,
                         (WORD)(insMovlw | (address & 0xFF)), insMovwfTblptrL});
}

BOOL CPIC18Target::ReadByteAt(DWORD address, BYTE* value)
{
    return SetTablePointer(address) && ReadCommand(cmdTableRead, value);
}

WORD CPIC18Target::GetImageWord(DWORD offset, const BYTE* buffer, DWORD length)
{
    BYTE low = offset < length ? buffer[offset] : 0xFF;
    BYTE high = offset + 1 < length ? buffer[offset + 1] : 0xFF;
    return (WORD)(low | (high << 8));
}

// --- Access modes ---

BOOL CPIC18Target::CodeAccess()
{
    return Core(insSetEepgd) && Core(insClearCfgs);
}

BOOL CPIC18Target::ConfigAccess()
{
    return Core(insSetEepgd) && Core(insSetCfgs);
}

BOOL CPIC18Target::EepromAccess()
{
    return Core(insClearEepgd) && Core(insClearCfgs);
}

BOOL CPIC18Target::Unlock()
{
    return CoreSequence({(WORD)(insMovlw | 0x55), insMovwfEecon2, (WORD)(insMovlw | 0xAA), insMovwfEecon2});
}

BOOL CPIC18Target::SetPanelMode(WORD mode)
{
    return SetTablePointer(kPanelModeRegister) && SendCommand(cmdTableWrite, mode);
}

// --- Device level ---

BOOL CPIC18Target::ReadDeviceId(WORD* id)
{
    BYTE low = 0;
    BYTE high = 0;
    BOOL ok = SetTablePointer(kDeviceIdAddress) && ReadCommand(cmdTableReadInc, &low) &&
              ReadCommand(cmdTableRead, &high);
    if (ok && id)
        *id = (WORD)(low | (high << 8));
    IdleLines();
    return ok;
}

BOOL CPIC18Target::BulkErase(CProgressCtrl* bar)
{
    return IsLowVoltageMode() ? EraseLowVoltage(bar) : EraseHighVoltage(bar);
}

BOOL CPIC18Target::EraseHighVoltage(CProgressCtrl* bar)
{
    StartBar(bar, 2);
    BOOL ok = SetTablePointer(kBulkEraseRegister);
    if (ok) {
        Step(bar);
        // The chip erase runs from the second NOP's command bits; its operand follows once the
        // erase time has passed, with the data line held low.
        ok = SendCommand(cmdTableWrite, kChipErase) && Core(insNop) && SendCommandCode(cmdCore, TRUE);
    }
    if (ok) {
        m_Lines.Wait(m_nEraseDelay);
        ok = SendPayload(insNop);
    }
    if (ok)
        Step(bar);
    IdleLines();
    return ok;
}

BOOL CPIC18Target::EraseLowVoltage(CProgressCtrl* bar)
{
    StartBar(bar, kLowVoltageEraseSteps);
    BOOL ok = CoreSequence({insSetEepgd, insSetCfgs, insSetWren}) && SetPanelMode(kMultiPanel);
    // One panel's span whatever the code size: in multi-panel mode each row erase clears the
    // same row of every panel.
    for (DWORD offset = 0; ok && offset < kPanelSpan; offset += kEraseRowBytes) {
        ok = CodeAccess() && Core(insSetFree) && SetTablePointer(offset) && SendCommand(cmdTableWriteStart, 0x0000) &&
             ProgramHold();
        if (ok)
            Step(bar);
    }
    for (BOOL (CPIC18Target::*erase)() :
         {&CPIC18Target::EraseIdRow, &CPIC18Target::EraseConfigRow, &CPIC18Target::EraseEeprom}) {
        ok = ok && (this->*erase)();
        if (ok)
            Step(bar);
    }
    IdleLines();
    return ok;
}

BOOL CPIC18Target::EraseRowByWrite(BOOL configSpace, DWORD address)
{
    if (!ConfigAccess() || !SetPanelMode(kSinglePanel))
        return FALSE;
    if (!(configSpace ? ConfigAccess() : CodeAccess()) || !SetTablePointer(address))
        return FALSE;
    if (!Core(insSetWren) || !Core(insSetFree) || !Unlock() || !Core(insSetWr) || !Core(insNop))
        return FALSE;
    m_Lines.Wait(m_nEraseDelay);
    return Core(insClearWren);
}

BOOL CPIC18Target::EraseIdRow()
{
    return EraseRowByWrite(FALSE, idBase);
}

BOOL CPIC18Target::EraseConfigRow()
{
    return EraseRowByWrite(TRUE, configBase);
}

BOOL CPIC18Target::EraseEeprom()
{
    if (!EepromAccess())
        return FALSE;
    const DWORD size = GetEepromBytes();
    for (DWORD address = 0; address < size; ++address) {
        if (!WriteEepromByte((WORD)address, 0xFF))
            return FALSE;
    }
    return TRUE;
}

BOOL CPIC18Target::LoadPanel(DWORD address, const BYTE* image, DWORD offset, DWORD length, BOOL start)
{
    if (!SetTablePointer(address))
        return FALSE;
    for (DWORD k = 0; k < kPanelRowBytes - 2; k += 2) {
        if (!SendCommand(cmdTableWriteInc2, GetImageWord(offset + k, image, length)))
            return FALSE;
    }
    WORD last = GetImageWord(offset + kPanelRowBytes - 2, image, length);
    if (!start)
        return SendCommand(cmdTableWrite, last);
    return SendCommand(cmdTableWriteStart, last) && ProgramHold();
}

BOOL CPIC18Target::WriteCode(CProgressCtrl* bar, const BYTE* image, DWORD length)
{
    const BYTE panels = GetPanelCount();
    StartBar(bar, kCodePasses);
    BOOL ok = CoreSequence({insSetEepgd, insSetCfgs, insSetWren}) && SetPanelMode(kMultiPanel) && CodeAccess();
    // A first pass of erased bytes at the start of every panel.
    for (BYTE panel = 0; ok && panel < panels; ++panel)
        ok = LoadPanel(panel * panelBytes, NULL, 0, 0, panel + 1 == panels);
    for (int pass = 0; ok && pass < kCodePasses; ++pass) {
        ok = CodeAccess();
        for (BYTE panel = 0; ok && panel < panels; ++panel) {
            DWORD address = panel * panelBytes + pass * kPanelRowBytes;
            ok = LoadPanel(address, image, address, length, panel + 1 == panels);
        }
        if (ok)
            Step(bar);
    }
    IdleLines();
    return ok;
}

BOOL CPIC18Target::WriteId(CProgressCtrl*, const BYTE* image, DWORD length)
{
    BOOL ok = ConfigAccess() && SetPanelMode(kSinglePanel) && CodeAccess() && LoadPanel(idBase, image, 0, length, TRUE);
    IdleLines();
    return ok;
}

BOOL CPIC18Target::LoadEepromAddress(WORD address)
{
    if (!Core((WORD)(insMovlw | (address & 0xFF))) || !Core(insMovwfEeadr))
        return FALSE;
    if (!HasEepromHighAddress())
        return TRUE;
    return Core((WORD)(insMovlw | ((address >> 8) & 3))) && Core(insMovwfEeadrh);
}

BOOL CPIC18Target::WaitForEepromWrite()
{
    // A board that never clears WR, or a data input that reads 1 because the modem status
    // cannot be read, would otherwise keep the program here for ever.
    const DWORD start = GetTickCount();
    for (;;) {
        BYTE eecon1 = 0;
        if (!Core(insMovfEecon1) || !Core(insMovwfTablat) || !ReadCommand(cmdShiftOutTablat, &eecon1))
            return FALSE;
        if (!(eecon1 & eecon1Wr))
            return TRUE;
        if (GetTickCount() - start >= kEepromWriteTimeoutMs)
            return FALSE;
    }
}

BOOL CPIC18Target::WriteEepromByte(WORD address, BYTE value)
{
    return LoadEepromAddress(address) && Core((WORD)(insMovlw | value)) && Core(insMovwfEedata) && Core(insSetWren) &&
           Unlock() && Core(insSetWr) && WaitForEepromWrite() && Core(insClearWren);
}

BOOL CPIC18Target::WriteEeprom(CProgressCtrl* bar, const BYTE* data, DWORD length)
{
    if (length > GetEepromBytes()) {
        IdleLines();
        return FALSE;
    }
    StartBar(bar, (int)length);
    BOOL ok = EepromAccess();
    for (DWORD address = 0; ok && address < length; ++address) {
        ok = WriteEepromByte((WORD)address, data[address]);
        if (ok)
            Step(bar);
    }
    IdleLines();
    return ok;
}

BOOL CPIC18Target::VerifyRange(CProgressCtrl* bar, const BYTE* buffer, DWORD length, DWORD first, DWORD last,
                               const BYTE* mask)
{
    StartBar(bar, kVerifySteps);
    BOOL ok = SetTablePointer(first);
    DWORD shown = 0;
    for (DWORD address = first; ok && address < last; address += 2) {
        BYTE low = 0;
        BYTE high = 0;
        ok = ReadCommand(cmdTableReadInc, &low) && ReadCommand(cmdTableReadInc, &high);
        if (!ok)
            break;
        WORD compared = mask ? GetImageWord(address - first, mask, length) : 0xFFFF;
        WORD wanted = GetImageWord(address - first, buffer, length);
        if (((low | (high << 8)) & compared) != (wanted & compared)) {
            ok = FALSE;
            break;
        }
        // At most one step a word, so the bar may stop short of its end on a short range.
        DWORD due = (DWORD)((double)address / last * kVerifySteps);
        if (shown < due) {
            Step(bar);
            shown = due;
        }
    }
    IdleLines();
    return ok;
}

BOOL CPIC18Target::ReadEepromByte(WORD address, BYTE* value)
{
    BOOL ok = LoadEepromAddress(address) && CoreSequence({insSetRd, insMovfEedata, insMovwfTablat}) &&
              ReadCommand(cmdShiftOutTablat, value);
    IdleLines();
    return ok;
}

BOOL CPIC18Target::VerifyEeprom(CProgressCtrl* bar, const BYTE* data, DWORD length)
{
    const DWORD size = GetEepromBytes();
    if (length > size) {
        IdleLines();
        return FALSE;
    }
    StartBar(bar, (int)size);
    BOOL ok = EepromAccess();
    // Every byte above the data must be blank, the last one included.
    for (DWORD address = 0; ok && address < size; ++address) {
        BYTE value = 0;
        ok = ReadEepromByte((WORD)address, &value) && value == (address < length ? data[address] : 0xFF);
        if (ok)
            Step(bar);
    }
    IdleLines();
    return ok;
}

BOOL CPIC18Target::WriteConfigWord(WORD word)
{
    // The device takes the low byte at the even address and the high byte at the odd one.
    for (int half = 0; half < 2; ++half) {
        if (!SendCommand(cmdTableWriteStart, word) || !ProgramHold() || !Core(insIncfTblptrL))
            return FALSE;
    }
    return TRUE;
}

BOOL CPIC18Target::WriteConfig(CProgressCtrl* bar, const BYTE* config)
{
    auto word = [config](int at) { return (WORD)(config[at] | (config[at + 1] << 8)); };
    StartBar(bar, 7);
    BOOL ok = CoreSequence({insSetEepgd, insSetCfgs, insGoto100000First, insGoto100000Second}) &&
              SetTablePointer(configBase);
    for (int i = 0; ok && i < 5; ++i) {
        ok = WriteConfigWord(word(2 * i));
        if (ok)
            Step(bar);
    }
    // CONFIG6 holds the write protection of the configuration itself, so it goes last.
    for (int at : {12, 10}) {
        ok = ok && SetTablePointer(configBase + at) && WriteConfigWord(word(at));
        if (ok)
            Step(bar);
    }
    IdleLines();
    return ok;
}

BOOL CPIC18Target::ReadConfig(BYTE* config)
{
    for (DWORD i = 0; i < configBytes; ++i) {
        if (!ReadByteAt(configBase + i, &config[i]))
            return FALSE;
    }
    IdleLines();
    return TRUE;
}

void CPIC18Target::SetTimings(DWORD clockHigh, DWORD clockLow, DWORD command, DWORD erase, DWORD program,
                              DWORD discharge)
{
    const DWORD keep = (DWORD)-1;
    for (auto [value, field] : {std::pair{clockHigh, &m_nClockHigh}, std::pair{clockLow, &m_nClockLow},
                                std::pair{command, &m_nCommandDelay}, std::pair{erase, &m_nEraseDelay},
                                std::pair{program, &m_nProgramDelay}, std::pair{discharge, &m_nDischargeDelay}}) {
        if (value != keep)
            *field = value;
    }
}
