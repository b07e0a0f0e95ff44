#include "targets/stub/QP0700FLASH.h"

#include "platform/base/WinTypes.h"
#include "targets/stub/QB2300Options.h"

CQP0700Flash::CQP0700Flash() : CQB2300Flash(6, "QP0700", "QP0700 Evaluation Kit") {}

CQP0700Flash::~CQP0700Flash() = default;

int CQP0700Flash::LoadOptions()
{
    return LoadStubOptions("QP0700_ThinDefault", "QP0700_Options");
}

int CQP0700Flash::ShowOptions()
{
    CQB2300Options dialog(NULL);
    dialog.SetTarget(this);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

void CQP0700Flash::SaveOptions()
{
    SaveStubOptions("QP0700_ThinDefault", "QP0700_Options");
}
