// The target interface of the PIC18 family: modules, loading and splitting, images, the buffer
// file and the stored configuration record. The line protocol is in PIC18TargetIcsp.cpp, the
// programming run in PIC18TargetProgram.cpp.
#include "targets/pic/PIC18Target.h"

#include <algorithm>

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
    : CTargetBase(id, name, description), m_wDeviceFlags(deviceFlags),
      m_strResetPrompt(kDefaultResetPrompt), m_nClockHigh(0), m_nClockLow(0), m_nCommandDelay(0),
      m_nProgramDelay(200), m_nDischargeDelay(1), m_nEraseDelay(900), m_dwImageLength(0), m_Lines(m_Comms)
{
    // The boards are static objects, where these are zero before any constructor runs; the
    // same values keep a target built elsewhere (in a test) from starting with garbage.
    m_Config = PIC18Config{};
    m_DefaultConfig = PIC18Config{};
    for (int module = 0; module < moduleCount; ++module) {
        m_pModules[module] = NULL;
        m_bLoaded[module] = FALSE;
    }
}

// --- Sizes ---

WORD CPIC18Target::GetCodeLastAddress() const
{
    return (m_wDeviceFlags & devCode32K) ? 0x7FFF : 0x3FFF;
}

WORD CPIC18Target::GetEepromBytes() const
{
    switch (m_wDeviceFlags & devEepromMask) {
    case devEeprom256:
        return 0x100;
    case devEeprom1024:
        return 0x400;
    default:
        return 0;
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
    case moduleId:
        name = "ID Location";
        break;
    case moduleConfig:
        name = "Configuration Data";
        break;
    default:
        name = "EEPROM Memory";
        break;
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

BOOL CPIC18Target::IsModuleLoaded(int module)
{
    return IsModule(module) ? m_bLoaded[module] : FALSE;
}

BOOL CPIC18Target::CanProgram()
{
    return m_bLoaded[moduleCode];
}

void CPIC18Target::ClearModule(int module)
{
    if (module >= 0 && module < moduleCount) {
        theIntelHex.DeleteRecords(&m_pModules[module]);
        m_pModules[module] = NULL;
        m_bLoaded[module] = FALSE;
        return;
    }
    if (module != -1)
        return;
    theIntelHex.DeleteRecords(NULL);
    for (int each = 0; each < moduleCount; ++each) {
        m_pModules[each] = NULL;
        m_bLoaded[each] = FALSE;
    }
}

BOOL CPIC18Target::LoadModule(int, const CString& path)
{
    // All or nothing: a refused file takes back the records it added and the flags it set, and
    // only a file accepted whole may replace the configuration bytes (and so the stored ones).
    // Earlier loads left no record across a window edge or outside its window's list, so the
    // windows below move and cut only this file's records.
    HexRecord* const newestBefore = theIntelHex.m_pNewest;
    BOOL loadedBefore[moduleCount];
    std::copy(m_bLoaded, m_bLoaded + moduleCount, loadedBefore);
    // The reader takes back its own records when it rejects a file.
    if (!theIntelHex.ReadFile(path, &m_pModules[moduleCode], 0))
        return FALSE;

    m_bLoaded[moduleId] = theIntelHex.ExtractRange(&m_pModules[moduleId], idBase, idBytes);
    m_bLoaded[moduleConfig] = theIntelHex.ExtractRange(&m_pModules[moduleConfig], configBase, configBytes);
    // Without an EEPROM the window is empty: EEPROM data stays in the code list and fails below.
    m_bLoaded[moduleEeprom] = theIntelHex.ExtractRange(&m_pModules[moduleEeprom], eepromBase, GetEepromBytes());

    // Whatever lies outside the four windows is still in the code list and fails here.
    HexRecord* code = m_pModules[moduleCode];
    if (code && theIntelHex.GetEndAddress(code) > (DWORD)GetCodeLastAddress() + 1) {
        AfxMessageBox("Too many bytes in FLASH download", MB_OK);
        theIntelHex.DeleteRecordsNewerThan(newestBefore);
        std::copy(loadedBefore, loadedBefore + moduleCount, m_bLoaded);
        return FALSE;
    }
    if (code)
        m_bLoaded[moduleCode] = TRUE;

    if (m_bLoaded[moduleConfig] && theIntelHex.FindOverlap(m_pModules[moduleConfig], configBase, configBytes))
        TakeConfigBytes();
    return TRUE;
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

void CPIC18Target::FreeImage()
{
    m_pImage.reset();
    m_dwImageLength = 0;
}

BYTE* CPIC18Target::GetModuleImage(int module, DWORD* length)
{
    if (module != -1 && !IsModuleLoaded(module))
        return NULL;
    FreeImage();
    m_pImage.reset(theIntelHex.BuildImage(kImageFill, kImageFill));
    if (!m_pImage)
        return NULL;
    m_dwImageLength = theIntelHex.GetEndAddress(NULL);

    DWORD base = 0;
    DWORD end = 0;
    switch (module) {
    case moduleId:
        base = idBase;
        break;
    case moduleConfig:
        base = configBase;
        break;
    case moduleEeprom:
        base = eepromBase;
        break;
    default:
        break;
    }
    if (module == -1 && !m_pModules[moduleCode])
        end = m_dwImageLength;
    else
        end = theIntelHex.GetEndAddress(m_pModules[module == -1 ? moduleCode : module]);
    if (length)
        *length = end > base ? end - base : 0;
    return m_pImage.get() + base;
}

// --- Files and settings ---

BOOL CPIC18Target::CheckBuffer()
{
    return CheckStoreImage();
}

BOOL CPIC18Target::SaveBuffer(const CString& path)
{
    return SaveStoreAsHex(path);
}

int CPIC18Target::HasOptions()
{
    return 1;
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
