// The windows of the program as Qt widgets: dialogs built from their templates, and the
// application's event loop.
#pragma once

#include "platform/wnd/WindowBackend.h"

class CQtWindowBackend : public IWindowBackend {
public:
    BOOL IsInteractive() const override;
    IDialogPeer* CreateDialogPeer(CDialog* owner, const DialogTemplate& tpl, HWND parent) override;
    void RunEventLoop() override;
};
