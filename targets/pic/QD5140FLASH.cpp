#include "targets/pic/QD5140FLASH.h"

#include "ports/CommsBase.h"

namespace {

const WORD kCapability = 0x02F2;
const WORD kDefaultConfig = 0xB139;
const WORD kDeviceId = 0x9E0;

}  // namespace

CQD5140Flash::CQD5140Flash() : CPIC16Target(2, "QD5140", "QD5140 Evaluation Board", kCapability) {}

CQD5140Flash::~CQD5140Flash() = default;

int CQD5140Flash::LoadOptions()
{
    return InitOptions(kDefaultConfig);
}

BOOL CQD5140Flash::Program(CString resource, CString* status)
{
    SetResetPrompt("Please reset the QD5140 board (by pressing SW1) now.");
    return ProgramDevice(resource, status, kDeviceId, CCommsBase::typeSerialLines);
}

BOOL CQD5140Flash::GetResourceName(int index, CString& name)
{
    return CCommsBase::GetResourceName(CCommsBase::typeSerialLines, index, name);
}
