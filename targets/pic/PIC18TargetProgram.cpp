// The programming run of CPIC18Target: check the image, open the port, bring the device into
// its programming mode with the user's help, check its id, erase, write code, ID locations and
// EEPROM, verify them when asked, and write and verify the configuration last.
#include "platform/base/FailureDetail.h"
#include "platform/ui/UiServices.h"
#include "targets/pic/PIC18Target.h"

namespace {

const WORD kRevisionBits = 0x001F;

}  // namespace

BOOL CPIC18Target::ProgramDevice(CString resource, CString* status, WORD expectedId, BYTE portType)
{
    CString ignored;
    if (!status)
        status = &ignored;
    CWaitCursor wait;
    BOOL ok = RunSequence(resource, *status, expectedId, portType);
    // Also releases what a failed opening left open; nothing when the port was never opened.
    m_Comms.Close();
    return ok;
}

BOOL CPIC18Target::RunSequence(const CString& resource, CString& status, WORD expectedId, BYTE portType)
{
    if (!CheckBuffer()) {
        status = "Invalid Binary Image";
        return FALSE;
    }
    if (!m_Comms.Open(portType, resource)) {
        status = "Unable to open specified communications resource";
        return FALSE;
    }
    CProgressCtrl* bar = ProgressBar();
    const BOOL lowVoltage = IsLowVoltageMode();
    const BOOL verify = (m_Config.m_wOptions & PIC18Config::optVerify) != 0;

    // The device enters its programming mode at the reset with both lines low.
    IdleLines();
    if (lowVoltage && !m_Lines.SetPgm(1)) {
        status = "Failed to communicate with device";
        return FALSE;
    }
    AfxMessageBox(m_strResetPrompt, MB_OK);

    WORD id = 0;
    if (!ReadDeviceId(&id)) {
        status = "Failed to unlock PIC code protection";
        return FALSE;
    }
    if (expectedId != 0 && (id & ~kRevisionBits) != expectedId) {
        status = "Incorrect PIC device detected";
        // The id as read, revision bits included.
        CString detail;
        detail.Format("Expected device id 0x%04X, read 0x%04X", expectedId, id);
        CFailureDetail::Set(detail);
        return FALSE;
    }

    SetProgressText("Erasing the target device");
    if (!BulkErase(bar)) {
        status = "Unable to erase PIC device";
        return FALSE;
    }
    if (!ProgramModules(bar, status))
        return FALSE;
    if (verify && !VerifyModules(bar, status))
        return FALSE;

    SetProgressText("Programming Configuration memory");
    if (lowVoltage)
        AfxMessageBox("Warning - When using low volts programming code protect bits can only be set not cleared",
                      MB_OK);
    if (!WriteConfig(bar, m_Config.m_Bytes)) {
        status = "Unable to program the configuration memory";
        return FALSE;
    }
    if (verify) {
        // A device programmed at low voltage cannot clear its LVP bit, so it reads back set.
        if (lowVoltage)
            m_Config.m_Bytes[PIC18Config::config4L] |= PIC18Config::kLvpBit;
        SetProgressText("Verifying the Configuration memory");
        // Only the bits the part implements are compared: it reads the others as 0 whatever
        // the record holds. The board's erased record is the mask of those bits.
        if (!VerifyRange(bar, m_Config.m_Bytes, configBytes, configBase, configBase + configBytes - 1,
                         m_DefaultConfig.m_Bytes)) {
            status = "Verification of the configuration memory failed";
            return FALSE;
        }
    }
    status = "Programming complete";
    return TRUE;
}

BOOL CPIC18Target::ProgramModules(CProgressCtrl* bar, CString& status)
{
    DWORD length = 0;
    SetProgressText("Programming the code memory");
    BYTE* image = GetModuleImage(moduleCode, &length);
    if (!image) {
        status = "Unable to create code download";
        return FALSE;
    }
    if (!WriteCode(bar, image, length)) {
        status = "Unable to program the code memory";
        return FALSE;
    }
    if (IsModuleLoaded(moduleId)) {
        SetProgressText("Programming the ID memory");
        image = GetModuleImage(moduleId, &length);
        if (!image) {
            status = "Unable to create ID download";
            return FALSE;
        }
        if (!WriteId(bar, image, length)) {
            status = "Unable to program the ID memory";
            return FALSE;
        }
    }
    if (IsModuleLoaded(moduleEeprom)) {
        SetProgressText("Programming the EEPROM memory");
        image = GetModuleImage(moduleEeprom, &length);
        if (!image) {
            status = "Unable to create the EEPROM download";
            return FALSE;
        }
        if (!WriteEeprom(bar, image, length)) {
            status = "Unable to program the EEPROM memory";
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CPIC18Target::VerifyModules(CProgressCtrl* bar, CString& status)
{
    DWORD length = 0;
    BYTE* image = GetModuleImage(moduleCode, &length);
    if (!image) {
        status = "Unable to create code verify image";
        return FALSE;
    }
    SetProgressText("Verifying the code memory");
    // The whole code memory: bytes beyond the loaded code must read erased.
    if (!VerifyRange(bar, image, length, 0, GetCodeLastAddress())) {
        status = "Verification of the code memory failed";
        return FALSE;
    }
    if (IsModuleLoaded(moduleId)) {
        image = GetModuleImage(moduleId, &length);
        if (!image) {
            status = "Unable to create ID verify image";
            return FALSE;
        }
        SetProgressText("Verifying the ID memory");
        if (!VerifyRange(bar, image, length, idBase, idBase + idBytes - 1)) {
            status = "Verification of the ID memory failed";
            return FALSE;
        }
    }
    if (IsModuleLoaded(moduleEeprom)) {
        image = GetModuleImage(moduleEeprom, &length);
        if (!image) {
            status = "Unable to create the EEPROM verify image";
            return FALSE;
        }
        SetProgressText("Verifying the EEPROM memory");
        if (!VerifyEeprom(bar, image, length)) {
            status = "Verification of the EEPROM memory failed";
            return FALSE;
        }
    }
    return TRUE;
}
