#include "targets/pic/QD5170FLASH.h"

#include "ports/CommsBase.h"

namespace {

const WORD kDeviceFlags = 0x41D1;
const WORD kDeviceId = 0x0400;

}  // namespace

const PIC18Config CQD5170Flash::kDefaultConfig = {
    {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85, 0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40},
    PIC18Config::optVerify,
};

CQD5170Flash::CQD5170Flash() : CPIC18Target(4, "QD5170", "QD5170 Evaluation Board", kDeviceFlags) {}

CQD5170Flash::~CQD5170Flash() = default;

int CQD5170Flash::LoadOptions()
{
    return InitOptions(kDefaultConfig);
}

BOOL CQD5170Flash::Program(CString resource, CString* status)
{
    SetResetPrompt("Please reset the QD5170 board (by pressing SW1) now.");
    return ProgramDevice(resource, status, kDeviceId, CCommsBase::typeSerialLines);
}

BOOL CQD5170Flash::GetResourceName(int index, CString& name)
{
    return CCommsBase::GetResourceName(CCommsBase::typeSerialLines, index, name);
}
