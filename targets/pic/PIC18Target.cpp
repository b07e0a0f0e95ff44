// The target interface of the PIC18 family: modules, loading and splitting, images, the buffer
// file and the stored configuration record. The line protocol is in PIC18TargetIcsp.cpp, the
// programming run in PIC18TargetProgram.cpp.
#include "targets/pic/PIC18Target.h"

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/ui/UiServices.h"
#include "targets/pic/pic18options.h"

namespace {

const char kDefaultResetPrompt[] = "Please reset the target board (by pressing SW1)";

// Gaps of every image read as erased memory.
const BYTE kImageFill = 0xFF;

}  // namespace

CPIC18Target::CPIC18Target(BYTE id, CString name, CString description, WORD deviceFlags)
    : CIntelHexTarget(id, name, description), m_wDeviceFlags(deviceFlags), m_strResetPrompt(kDefaultResetPrompt),
      m_nClockHigh(0), m_nClockLow(0), m_nCommandDelay(0), m_nProgramDelay(200), m_nDischargeDelay(1),
      m_nEraseDelay(900), m_Lines(m_Comms)
{
    // The boards are static objects, where these are zero before any constructor runs; the
    // same values keep a target built elsewhere (in a test) from starting with garbage.
    m_Config = PIC18Config{};
    m_DefaultConfig = PIC18Config{};
}

// --- Sizes ---

WORD CPIC18Target::GetCodeLastAddress() const
{
    return (m_wDeviceFlags & devCode32K) ? 0x7FFF : 0x3FFF;
}

WORD CPIC18Target::GetEepromBytes() const
{
    switch (m_wDeviceFlags & devEepromMask) {
    case devEeprom256: return 0x100;
    case devEeprom1024: return 0x400;
    default: return 0;
    }
}

BYTE CPIC18Target::GetPanelCount() const
{
    return (m_wDeviceFlags & devCode32K) ? 4 : 2;
}

// --- Modules ---

BOOL CPIC18Target::GetModuleName(CString& name, int module)
{
    if (!IsModule(module))
        return FALSE;
    switch (module) {
    case moduleCode:
        name = (m_wDeviceFlags & devCode32K) ? "32K" : "16K";
        name += " FLASH Memory";
        break;
    case moduleId: name = "ID Location"; break;
    case moduleConfig: name = "Configuration Data"; break;
    default: name = "EEPROM Memory"; break;
    }
    return TRUE;
}

int CPIC18Target::GetModuleCount()
{
    return GetModuleCountOf(m_wDeviceFlags);
}

int CPIC18Target::SelectModuleForFile(const CString&)
{
    return moduleCode;
}

BOOL CPIC18Target::CanProgram()
{
    return m_bLoaded[moduleCode];
}

BOOL CPIC18Target::LoadModule(int, const CString& path)
{
    // Only a file accepted whole may replace the configuration bytes (and so the stored ones).
    return LoadHexFile(moduleCode, 0, path);
}

LPCSTR CPIC18Target::SplitFile(int)
{
    m_bLoaded[moduleId] = theIntelHex.ExtractRange(&m_pModules[moduleId], idBase, idBytes);
    m_bLoaded[moduleConfig] = theIntelHex.ExtractRange(&m_pModules[moduleConfig], configBase, configBytes);
    // Without an EEPROM the window is empty: EEPROM data stays in the code list and fails below.
    m_bLoaded[moduleEeprom] = theIntelHex.ExtractRange(&m_pModules[moduleEeprom], eepromBase, GetEepromBytes());

    // Whatever lies outside the four windows is still in the code list and fails here.
    HexRecord* code = m_pModules[moduleCode];
    if (code && theIntelHex.GetEndAddress(code) > (DWORD)GetCodeLastAddress() + 1)
        return "Too many bytes in FLASH download";
    return NULL;
}

void CPIC18Target::AcceptFile(int)
{
    if (m_pModules[moduleCode])
        m_bLoaded[moduleCode] = TRUE;
    if (m_bLoaded[moduleConfig] && theIntelHex.FindOverlap(m_pModules[moduleConfig], configBase, configBytes))
        TakeConfigBytes();
}

void CPIC18Target::TakeConfigBytes()
{
    BYTE* config = GetModuleImage(moduleConfig, NULL);
    if (!config)
        return;
    // A file may end inside the configuration bytes: the rest read as erased, never past the
    // image.
    const DWORD held = m_dwImageLength - configBase;
    for (DWORD i = 0; i < configBytes; ++i)
        m_Config.m_Bytes[i] = i < held ? config[i] : kImageFill;
    SaveOptions();
}

BYTE* CPIC18Target::GetModuleImage(int module, DWORD* length)
{
    BYTE* image = BuildStoreImage(module, kImageFill, kImageFill);
    if (!image)
        return NULL;

    DWORD base = 0;
    DWORD end = 0;
    switch (module) {
    case moduleId: base = idBase; break;
    case moduleConfig: base = configBase; break;
    case moduleEeprom: base = eepromBase; break;
    default: break;
    }
    if (module == -1 && !m_pModules[moduleCode])
        end = m_dwImageLength;
    else
        end = theIntelHex.GetEndAddress(m_pModules[module == -1 ? moduleCode : module]);
    if (length)
        *length = end > base ? end - base : 0;
    return image + base;
}

// --- Files and settings ---

BOOL CPIC18Target::CheckBuffer()
{
    return CheckStoreImage();
}

int CPIC18Target::ShowOptions()
{
    CPic18Options dialog(this, NULL);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

BOOL CPIC18Target::GetFileFilter(CString& filter)
{
    filter = "Intel Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
    return FALSE;
}

namespace {

// The four DWORDs of the record are told apart by their index after "_Options".
CString OptionsValueName(const CString& shortName, int index)
{
    CString name = shortName + "_Options";
    name += (char)('0' + index);
    return name;
}

}  // namespace

int CPIC18Target::InitOptions(PIC18Config defaults)
{
    m_DefaultConfig = defaults;
    m_Config = defaults;
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return 1;
    for (int index = 0; index < PIC18Config::kDwords; ++index) {
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        LONG result = RegQueryValueEx(key, OptionsValueName(GetName(), index), NULL, &type, (LPBYTE)&value, &size);
        // Anything but a whole DWORD keeps the default for its part of the record.
        if (result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value)
            m_Config.SetDword(index, value);
    }
    return 1;
}

void CPIC18Target::SaveOptions()
{
    if (CRegKeyGuard key{theApp.OpenSettingsKey()}) {
        for (int index = 0; index < PIC18Config::kDwords; ++index) {
            DWORD value = m_Config.GetDword(index);
            RegSetValueEx(key, OptionsValueName(GetName(), index), 0, REG_DWORD, (const BYTE*)&value, sizeof value);
        }
    }
    // Loaded configuration data follows the current record, so a saved buffer carries it.
    if (theIntelHex.FindOverlap(m_pModules[moduleConfig], configBase, configBytes)) {
        for (DWORD i = 0; i < configBytes; ++i)
            theIntelHex.SetByte(configBase + i, m_Config.m_Bytes[i]);
    }
}
