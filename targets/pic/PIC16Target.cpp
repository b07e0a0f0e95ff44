#include "targets/pic/PIC16Target.h"

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/base/FailureDetail.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/ProgressCtrl.h"
#include "targets/pic/pic16options.h"

namespace {

const char kDefaultResetPrompt[] = "Please reset the target board (by pressing and releasing SW1)";

// The code-protection disable erases the device; it is given this long (10-microsecond units).
const DWORD kUnprotectDelay = 1200;

// Blank values of an erase; the configuration word a reset writes before the erase (both
// code-protection fields off, data EEPROM unprotected, the forced bits set).
const WORD kProgramBlank = 0x3FFF;
const WORD kDataBlank = 0xFF;
const WORD kResetWord = 0x3D30;

// Gaps of an image read as blank device words 0x3FFF: odd bytes 0x3F, even bytes 0xFF.
const BYTE kImageOddFill = 0x3F;
const BYTE kImageEvenFill = 0xFF;

}  // namespace

CPIC16Target::CPIC16Target(BYTE id, CString name, CString description, WORD capability)
    : CIntelHexTarget(id, name, description), m_wCapability(capability), m_strResetPrompt(kDefaultResetPrompt),
      m_nClockHigh(0), m_nClockLow(0), m_nCommandDelay(10), m_nLoadDelay(5), m_nProgramDelay(500), m_nEraseDelay(1000),
      m_Lines(m_Comms)
{
    // The boards are static objects, where these are zero before any constructor runs; the
    // same values keep a target built elsewhere (in a test) from starting with garbage.
    m_wConfig = 0;
    m_wDefaultConfig = 0;
    m_wAddress = 0;
}

// --- Modules ---

BOOL CPIC16Target::GetModuleName(CString& name, int module)
{
    switch (module) {
    case moduleFlash: {
        static const char* const kSizes[] = {"2K", "4K", "8K", ""};
        name = kSizes[m_wCapability & capFlashSizeMask];
        name += " FLASH Memory";
        return TRUE;
    }
    case moduleConfig: name = "Configuration Data"; return TRUE;
    case moduleEeprom:
        if (!(m_wCapability & capEeprom))
            return FALSE;
        name = "EEPROM Memory";
        return TRUE;
    default: return FALSE;
    }
}

int CPIC16Target::GetModuleCount()
{
    return GetModuleCountOf(m_wCapability);
}

int CPIC16Target::SelectModuleForFile(const CString&)
{
    return moduleFlash;
}

BOOL CPIC16Target::CanProgram()
{
    return m_bLoaded[moduleFlash];
}

WORD CPIC16Target::GetFlashBytes() const
{
    static const WORD kBytes[] = {0x1000, 0x2000, 0x4000, 0};
    return kBytes[m_wCapability & capFlashSizeMask];
}

WORD CPIC16Target::GetEepromBytes() const
{
    if (m_wCapability & capEeprom128)
        return 0x100;
    if (m_wCapability & capEeprom256)
        return 0x200;
    return 0;
}

LPCSTR CPIC16Target::FindRefusal() const
{
    // Whatever lies outside the three windows is still in the FLASH list and fails here.
    if (m_pModules[moduleFlash] && theIntelHex.GetEndAddress(m_pModules[moduleFlash]) > GetFlashBytes())
        return "Too many bytes in FLASH download";
    if (m_bLoaded[moduleConfig] && theIntelHex.GetEndAddress(m_pModules[moduleConfig]) > configBase + configBytes)
        return "Too many bytes in Configuration WORD download";
    if (!(m_wCapability & capEeprom) && m_bLoaded[moduleEeprom])
        return "EEPROM data unsupported in the PIC";
    if (m_bLoaded[moduleEeprom] && theIntelHex.GetEndAddress(m_pModules[moduleEeprom]) > eepromBase + GetEepromBytes())
        return "Too many bytes in EEPROM download";
    return NULL;
}

BOOL CPIC16Target::LoadModule(int module, const CString& path)
{
    if (!IsModule(module))
        return FALSE;
    // Only a file accepted whole may replace the configuration word (and so the stored one).
    return LoadHexFile(module, 0, path);
}

LPCSTR CPIC16Target::SplitFile(int)
{
    m_bLoaded[moduleConfig] = theIntelHex.ExtractRange(&m_pModules[moduleConfig], configBase, configBytes);
    m_bLoaded[moduleEeprom] = theIntelHex.ExtractRange(&m_pModules[moduleEeprom], eepromBase, eepromWindow);
    return FindRefusal();
}

void CPIC16Target::AcceptFile(int)
{
    if (m_pModules[moduleFlash])
        m_bLoaded[moduleFlash] = TRUE;
    if (m_bLoaded[moduleConfig] && theIntelHex.FindOverlap(m_pModules[moduleConfig], configWordLow, 2))
        TakeConfigWord();
}

void CPIC16Target::TakeConfigWord()
{
    BYTE* config = GetModuleImage(moduleConfig, NULL);
    if (!config)
        return;
    const DWORD low = configWordLow - configBase;
    // A file may hold the low byte alone: the high byte is then the image's fill, never a
    // byte past the image.
    BYTE highByte = configWordLow + 1 < m_dwImageLength ? config[low + 1] : kImageOddFill;
    WORD word = (WORD)((highByte << 8) | config[low]);
    // Bits 14 and 15 are this program's options, not the device's.
    word = (WORD)((word & cfgDeviceBits) | (m_wConfig & (cfgFastMode | cfgVerify)));
    // With brown-out reset the power-up timer must run.
    if (word & cfgBrownOut)
        word &= (WORD)~cfgPowerUpTimerOff;
    m_wConfig = word;
    SaveOptions();
}

BYTE* CPIC16Target::GetModuleImage(int module, DWORD* length)
{
    BYTE* image = BuildStoreImage(module, kImageOddFill, kImageEvenFill);
    if (!image)
        return NULL;

    DWORD base = 0;
    DWORD end = 0;
    if (module == moduleConfig) {
        base = configBase;
        end = theIntelHex.GetEndAddress(m_pModules[moduleConfig]);
    } else if (module == moduleEeprom) {
        base = eepromBase;
        end = theIntelHex.GetEndAddress(m_pModules[moduleEeprom]);
    } else if (module == -1 && !m_pModules[moduleFlash]) {
        end = m_dwImageLength;
    } else {
        end = theIntelHex.GetEndAddress(m_pModules[moduleFlash]);
    }
    if (length)
        *length = end > base ? end - base : 0;
    return image + base;
}

// --- Files and settings ---

BOOL CPIC16Target::CheckImage()
{
    return CheckStoreImage();
}

int CPIC16Target::ShowOptions()
{
    CPic16Options dialog(this, NULL);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

BOOL CPIC16Target::GetFileFilter(CString& filter)
{
    filter = "Intel Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
    return FALSE;
}

int CPIC16Target::InitOptions(WORD defaultConfig)
{
    m_wDefaultConfig = defaultConfig;
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return 1;
    CString name = GetName() + "_Options";
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueEx(key, name, NULL, NULL, (LPBYTE)&value, &size) == ERROR_SUCCESS)
        m_wConfig = (WORD)(value & 0xFFFF);
    else
        m_wConfig = defaultConfig;
    return 1;
}

void CPIC16Target::SaveOptions()
{
    if (CRegKeyGuard key{theApp.OpenSettingsKey()}) {
        DWORD value = m_wConfig;
        CString name = GetName() + "_Options";
        RegSetValueEx(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    }
    // The loaded configuration word follows the current one, so a saved buffer carries it.
    if (theIntelHex.FindOverlap(m_pModules[moduleConfig], configWordLow, 2)) {
        theIntelHex.SetByte(configWordLow, (BYTE)(m_wConfig & 0xFF));
        theIntelHex.SetByte(configWordLow + 1, (BYTE)((m_wConfig >> 8) & 0x3F));
    }
}

// --- ICSP layer ---

BOOL CPIC16Target::IdleLines()
{
    return m_Lines.Idle();
}

BOOL CPIC16Target::ClockPulse()
{
    return m_Lines.ClockPulse(m_nClockHigh, m_nClockLow);
}

BOOL CPIC16Target::SendBit(BYTE bit)
{
    return m_Lines.SendBit(bit, m_nClockHigh, m_nClockLow);
}

BOOL CPIC16Target::SendCommand(BYTE command, BOOL wait)
{
    if (!m_Lines.SendBits(command & 0x3F, 6, m_nClockHigh, m_nClockLow) || !m_Lines.SetData(1))
        return FALSE;
    if (wait)
        m_Lines.Wait(m_nCommandDelay);
    return TRUE;
}

BOOL CPIC16Target::SendData(WORD data)
{
    return SendBit(0) && m_Lines.SendBits(data & 0x3FFF, 14, m_nClockHigh, m_nClockLow) && SendBit(0);
}

BOOL CPIC16Target::ReadData(WORD* data)
{
    // Data high leaves the line to the device, which drives it from the second rising edge.
    if (!m_Lines.SetData(1) || !ClockPulse())
        return FALSE;
    DWORD bits = 0;
    if (!m_Lines.ReceiveBits(&bits, 14, m_nClockHigh, m_nClockLow))
        return FALSE;
    if (data)
        *data = (WORD)(bits & 0x3FFF);
    return m_Lines.SetData(1) && ClockPulse();
}

BOOL CPIC16Target::CommandWithData(BYTE command, WORD data)
{
    return SendCommand(command, TRUE) && SendData(data);
}

BOOL CPIC16Target::CommandRead(BYTE command, WORD* data)
{
    return SendCommand(command, TRUE) && ReadData(data);
}

BOOL CPIC16Target::IncrementAddress()
{
    BOOL ok = SendCommand(cmdIncrement, TRUE);
    IdleLines();
    return ok;
}

BOOL CPIC16Target::SendIncrements(int count, BOOL wait)
{
    for (int i = 0; i < count; ++i) {
        if (!SendCommand(cmdIncrement, wait))
            return FALSE;
    }
    return TRUE;
}

BOOL CPIC16Target::ProgramCell(BYTE load, BYTE read, WORD word, BOOL verify, WORD compareMask)
{
    BOOL ok = CommandWithData(load, word);
    if (ok) {
        m_Lines.Wait(m_nLoadDelay);
        ok = SendCommand(cmdBeginProgramming, FALSE);
    }
    if (ok) {
        m_Lines.Wait(m_nProgramDelay);
        if (verify) {
            WORD readBack = 0;
            ok = CommandRead(read, &readBack) && (readBack & compareMask) == (word & compareMask);
        }
    }
    IdleLines();
    return ok;
}

BOOL CPIC16Target::ProgramWord(WORD word, BOOL verify)
{
    return ProgramCell(cmdLoadProgram, cmdReadProgram, word, verify, 0xFFFF);
}

BOOL CPIC16Target::ProgramWords(WORD address, const BYTE* data, DWORD count, WORD mask)
{
    return ProgramRun(address, data, count, mask, FALSE);
}

BOOL CPIC16Target::ProgramRun(WORD address, const BYTE* data, DWORD count, WORD mask, BOOL dataMemory)
{
    if (!data || count == 0 || m_wAddress > address)
        return FALSE;
    CProgressCtrl* bar = ProgressBar();
    if (bar) {
        bar->SetStep(1);
        bar->SetPos(0);
        bar->SetRange(0, (short)(WORD)((address - m_wAddress) + count + 1));
    }
    while (m_wAddress < address) {
        if (bar)
            bar->StepIt();
        if (!IncrementAddress())
            return FALSE;
        ++m_wAddress;
    }
    BOOL verify = (m_wConfig & cfgVerify) != 0;
    for (DWORD i = 0; i < count; ++i) {
        if (bar)
            bar->StepIt();
        BOOL ok;
        if (dataMemory) {
            // One EEPROM byte in the low byte of each word: the high byte is not read, so a
            // last byte that stands alone at the end of the image is programmed too.
            WORD byte = (WORD)(data[2 * i] & mask);
            ok = ProgramCell(cmdLoadData, cmdReadData, byte, verify, 0x00FF);
        } else {
            WORD word = (WORD)((data[2 * i] | (data[2 * i + 1] << 8)) & mask);
            ok = ProgramWord(word, verify);
        }
        if (!ok || !IncrementAddress())
            return FALSE;
        ++m_wAddress;
    }
    if (bar)
        bar->StepIt();
    return TRUE;
}

BOOL CPIC16Target::WriteConfig(WORD word)
{
    BOOL ok = CommandWithData(cmdLoadConfig, word) && SendIncrements(7, TRUE) && CommandWithData(cmdLoadProgram, word);
    if (ok) {
        m_Lines.Wait(m_nLoadDelay);
        ok = SendCommand(cmdBeginProgramming, FALSE);
    }
    if (ok) {
        m_Lines.Wait(m_nEraseDelay);
        WORD readBack = 0;
        ok = CommandRead(cmdReadProgram, &readBack) && readBack == word;
    }
    IdleLines();
    return ok;
}

BOOL CPIC16Target::IsExpectedDevice(WORD id, WORD expectedId)
{
    return expectedId == 0 || (id & 0x3FE0) == expectedId;
}

BOOL CPIC16Target::UnprotectAndReadId(WORD* id, WORD expectedId)
{
    WORD readId = 0;
    BOOL ok = CommandWithData(cmdLoadConfig, 0) && SendIncrements(6, TRUE) && CommandRead(cmdReadProgram, &readId);
    if (id)
        *id = readId;
    // The disable sequence erases the whole device, so it is kept for the device expected.
    if (ok && IsExpectedDevice(readId, expectedId)) {
        ok = CommandWithData(cmdLoadConfig, 0xFFFF) && SendIncrements(7, TRUE) && SendCommand(cmdUnprotect1, FALSE) &&
             SendCommand(cmdUnprotect2, FALSE) && SendCommand(cmdBeginProgramming, FALSE);
        if (ok) {
            m_Lines.Wait(kUnprotectDelay);
            ok = SendCommand(cmdUnprotect1, FALSE) && SendCommand(cmdUnprotect2, FALSE);
        }
    }
    IdleLines();
    return ok;
}

BOOL CPIC16Target::BulkErase(WORD programBlank, WORD dataBlank, CProgressCtrl* progress, BOOL eraseData)
{
    auto step = [progress] {
        if (progress)
            progress->StepIt();
    };
    if (progress) {
        progress->SetStep(1);
        progress->SetPos(0);
        progress->SetRange(0, eraseData ? 6 : 4);
    }
    step();
    BOOL ok = CommandWithData(cmdLoadProgram, programBlank);
    if (ok) {
        m_Lines.Wait(m_nLoadDelay);
        step();
        ok = SendCommand(cmdBulkEraseProgram, FALSE);
    }
    if (ok) {
        m_Lines.Wait(m_nLoadDelay);
        ok = SendCommand(cmdBeginProgramming, FALSE);
    }
    if (ok) {
        m_Lines.Wait(m_nEraseDelay);
        step();
        step();
    }
    if (ok && eraseData) {
        ok = CommandWithData(cmdLoadData, dataBlank);
        if (ok) {
            m_Lines.Wait(m_nLoadDelay);
            step();
            ok = SendCommand(cmdBulkEraseData, FALSE);
        }
        if (ok) {
            m_Lines.Wait(m_nLoadDelay);
            ok = SendCommand(cmdBeginProgramming, FALSE);
        }
        if (ok) {
            m_Lines.Wait(m_nEraseDelay);
            step();
        }
    }
    IdleLines();
    return ok;
}

BOOL CPIC16Target::ReadDeviceId(WORD* id)
{
    BOOL ok = CommandWithData(cmdLoadConfig, 0) && SendIncrements(6, FALSE) && CommandRead(cmdReadProgram, id);
    IdleLines();
    return ok;
}

BOOL CPIC16Target::ReadConfig(WORD* word)
{
    BOOL ok = CommandWithData(cmdLoadConfig, 0) && SendIncrements(7, TRUE) && CommandRead(cmdReadProgram, word);
    IdleLines();
    return ok;
}

void CPIC16Target::SetTimings(DWORD clockHigh, DWORD clockLow, DWORD command, DWORD load, DWORD program, DWORD erase)
{
    const DWORD keep = (DWORD)-1;
    if (clockHigh != keep)
        m_nClockHigh = clockHigh;
    if (clockLow != keep)
        m_nClockLow = clockLow;
    if (command != keep)
        m_nCommandDelay = command;
    if (load != keep)
        m_nLoadDelay = load;
    if (program != keep)
        m_nProgramDelay = program;
    if (erase != keep)
        m_nEraseDelay = erase;
}

// --- Programming sequence ---

BOOL CPIC16Target::IsLowVoltageMode() const
{
    return (m_wCapability & capLowVoltage) && (m_wConfig & cfgLowVoltage);
}

BOOL CPIC16Target::ResetPrompt()
{
    AfxMessageBox(m_strResetPrompt, MB_OK);
    return TRUE;
}

BOOL CPIC16Target::ProgramDevice(CString resource, CString* status, WORD expectedId, BYTE portType)
{
    CString ignored;
    if (!status)
        status = &ignored;
    CWaitCursor wait;
    BOOL ok = RunSequence(resource, *status, expectedId, portType);
    m_Comms.Close();
    return ok;
}

BOOL CPIC16Target::RunSequence(const CString& resource, CString& status, WORD expectedId, BYTE portType)
{
    const char kNoContact[] = "Failed to communicate with device";
    if (!CheckImage()) {
        status = "Invalid Binary Image";
        return FALSE;
    }
    if (!m_Comms.Open(portType, resource)) {
        status = "Unable to open specified communications resource";
        return FALSE;
    }
    CProgressCtrl* bar = ProgressBar();
    const BOOL lowVoltage = IsLowVoltageMode();

    // First entry: the device comes out of reset into its programming mode.
    if (lowVoltage && !m_Lines.SetPgm(0)) {
        status = kNoContact;
        return FALSE;
    }
    IdleLines();
    ResetPrompt();
    if (lowVoltage && !m_Lines.SetPgm(1)) {
        status = kNoContact;
        return FALSE;
    }

    WORD id = 0;
    if (!UnprotectAndReadId(&id, expectedId)) {
        status = "Failed to unlock PIC code protection";
        return FALSE;
    }
    if (!IsExpectedDevice(id, expectedId)) {
        status = "Incorrect PIC device detected";
        // The id as read, revision bits included.
        CString detail;
        detail.Format("Expected device id 0x%04X, read 0x%04X", expectedId, id);
        CFailureDetail::Set(detail);
        return FALSE;
    }
    // A low-voltage device must keep its LVP bit, or it could not be entered again below.
    WORD resetWord = kResetWord;
    if (m_wCapability & capLowVoltage)
        resetWord |= (WORD)(m_wConfig & cfgLowVoltage);
    if (!WriteConfig(resetWord)) {
        status = "Unable to reset configuration info";
        return FALSE;
    }

    // Second entry, so that the new configuration word is in force.
    if (lowVoltage && !m_Lines.SetPgm(0)) {
        status = kNoContact;
        return FALSE;
    }
    IdleLines();
    ResetPrompt();
    m_wAddress = 0;
    if (lowVoltage && !m_Lines.SetPgm(1)) {
        status = kNoContact;
        return FALSE;
    }

    SetProgressText("Erase the target device");
    if (!BulkErase(kProgramBlank, kDataBlank, bar, IsModuleLoaded(moduleEeprom))) {
        status = "Unable to erase PIC device";
        return FALSE;
    }

    SetProgressText("Program the target device FLASH memory");
    DWORD length = 0;
    BYTE* image = GetModuleImage(moduleFlash, &length);
    if (!image) {
        status = "Unable to create FLASH download";
        return FALSE;
    }
    if (!ProgramWords(0, image, length / 2, 0x3FFF)) {
        status = "Unable to program PIC FLASH memory";
        return FALSE;
    }

    if (!CommandWithData(cmdLoadConfig, 0)) {
        status = kNoContact;
        return FALSE;
    }
    m_wAddress = addrConfigMemory;

    if (IsModuleLoaded(moduleEeprom)) {
        SetProgressText("Program the target device EEPROM memory");
        image = GetModuleImage(moduleEeprom, &length);
        if (!image) {
            status = "Unable to create EEPROM download";
            return FALSE;
        }
        if (!ProgramRun(addrEeprom, image, (length + 1) / 2, 0xFF, TRUE)) {
            status = "Unable to program PIC EEPROM memory";
            return FALSE;
        }
    }

    WORD finalWord = (WORD)((m_wConfig | cfgForcedBits) & cfgDeviceBits);
    if (!WriteConfig(finalWord)) {
        status = "Unable to download configuration info";
        return FALSE;
    }
    status = "Programming complete";
    return TRUE;
}
