#include "targets/pic/QB66XXFLASH.h"

#include "ports/CommsBase.h"

namespace {

const WORD kCapability = 0x02F2;
const WORD kDefaultConfig = 0xB1F1;
const WORD kDeviceId = 0x9A0;

}  // namespace

CQB66XXFlash::CQB66XXFlash() : CPIC16Target(3, "QB6620", "QB6620 Evaluation Board", kCapability) {}

CQB66XXFlash::~CQB66XXFlash() = default;

int CQB66XXFlash::LoadOptions()
{
    return InitOptions(kDefaultConfig);
}

BOOL CQB66XXFlash::Program(CString resource, CString* status)
{
    m_wCapability |= capLowVoltage;
    m_wConfig |= cfgLowVoltage;
    SetResetPrompt("Please reset the QB6620 board (by pressing and releasing SW1) now.");
    BOOL result = ProgramDevice(resource, status, kDeviceId, CCommsBase::typeLpt);
    // Cleared, not restored: the bit comes back only from the settings.
    m_wCapability &= (WORD)~capLowVoltage;
    m_wConfig &= (WORD)~cfgLowVoltage;
    return result;
}

BOOL CQB66XXFlash::GetResourceName(int index, CString& name)
{
    return CCommsBase::GetResourceName(CCommsBase::typeLpt, index, name);
}
