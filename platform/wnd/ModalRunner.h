// What answers a modal dialog in place of its event loop: the tests' modal script
// (platform/testing/ModalScript.h) installs itself here. Empty while dialogs run their own
// event loop, as in the program.
#pragma once

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"

class CDialog;

class IModalRunner {
public:
    virtual ~IModalRunner() = default;
    // Called by CDialog::DoModal with the built dialog (OnInitDialog has run); ends it with
    // EndDialog. FALSE when it had nothing for this dialog (and has said so).
    virtual BOOL Run(CDialog& dialog) = 0;
};

CServiceSlot<IModalRunner*>& ModalRunnerSlot();
