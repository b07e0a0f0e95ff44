#include "targets/hyusb/QB7740FLASH.h"

CQB7740Flash::CQB7740Flash() : CHyUSBFlash(5, "QB7740", "QB7740 Evaluation Kit") {}

CQB7740Flash::~CQB7740Flash() = default;

int CQB7740Flash::LoadOptions()
{
    m_dwFlashSize = flashSize;
    m_dwBlockSize = blockSize;
    m_dwProductId = productId;
    return InitOptions(optionVerify);
}

BOOL CQB7740Flash::GetResourceName(int index, CString& name)
{
    if (index != 0)
        return FALSE;
    name = "USB";
    return TRUE;
}
