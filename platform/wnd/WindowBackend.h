// The toolkit behind the windows: it builds a dialog's window from its template and runs the
// application's event loop. The GUI installs it at start-up; without one no window can be
// created, and every window operation is a harmless no-op.
#pragma once

#include "platform/base/ServiceSlot.h"
#include "platform/wnd/IDialogPeer.h"

class CDialog;

class IWindowBackend {
public:
    virtual ~IWindowBackend() = default;
    // TRUE when a person can see and answer the windows (not a headless platform).
    virtual BOOL IsInteractive() const = 0;
    // The window of `owner` built from `tpl`, owned by a window `parent` (NULL: none). The
    // caller deletes the peer. NULL when it cannot be built.
    virtual IDialogPeer* CreateDialogPeer(CDialog* owner, const DialogTemplate& tpl, HWND parent) = 0;
    // The application's event loop, until the application quits.
    virtual void RunEventLoop() = 0;
};

CServiceSlot<IWindowBackend*>& WindowBackendSlot();
// The installed backend, or NULL.
IWindowBackend* WindowBackend();
