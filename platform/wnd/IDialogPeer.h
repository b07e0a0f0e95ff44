// The toolkit's side of a running dialog: the window built from its template with one widget
// per control, the dialog's event loop, keyboard help and context-help mode, and the window
// menu. The dialog (CDialog) owns it for one DoModal.
#pragma once

#include <vector>

#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/WindowHandle.h"

class CMenu;
class CWnd;

class IDialogPeer {
public:
    virtual ~IDialogPeer() = default;

    // The dialog window's own handle.
    virtual HWND Handle() = 0;
    // Dialog base units in pixels (average character width, character height).
    virtual int BaseUnitX() const = 0;
    virtual int BaseUnitY() const = 0;

    // The control with this id: its handle and template entry, NULL when there is none.
    virtual HWND ControlHandle(int id) const = 0;
    virtual const ControlTemplate* ControlTemplateOf(int id) const = 0;
    // The object standing for control `id`: the member bound to it, else an object of the
    // control's class that the peer keeps. NULL when there is no such control.
    virtual CWnd* DlgItem(int id) = 0;
    // The radio buttons of the group that control `id` belongs to, in template order.
    virtual std::vector<HWND> RadioGroup(int id) const = 0;
    // Cuts every object's tie to the controls (before they go).
    virtual void DetachAll() = 0;

    // The window menu, or NULL without the system-menu style; `revert` restores the defaults.
    virtual CMenu* SystemMenu(bool revert) = 0;
    virtual bool InContextHelpMode() const = 0;
    virtual void SetContextHelpMode(bool on) = 0;
    // In context-help mode, a click on control `id`: leaves the mode and sends WM_HELP.
    // FALSE when not in the mode or there is no such control.
    virtual bool ContextHelpClick(int id) = 0;
    // The F1 key: PreTranslateMessage first (WM_KEYF1), else the dialog's help topic, or
    // context-help mode with Shift.
    virtual void HandleHelpKey(bool shift) = 0;
    // Enter: the focused push button, else the default button when it is enabled. FALSE if
    // nothing was activated.
    virtual bool ActivateDefault() = 0;
    // The close box; Esc.
    virtual void RequestClose() = 0;
    virtual void RequestCancel() = 0;

    // Tab / Shift+Tab.
    virtual void MoveFocus(bool next) = 0;
    // The focus on the first enabled, shown control that takes it by Tab.
    virtual void FocusFirstControl() = 0;
    // The control with the keyboard focus, or 0.
    virtual int FocusedControlId() const = 0;

    // Runs the dialog's event loop until EndLoop; returns the result given there.
    virtual int RunLoop() = 0;
    // Ends the event loop if one runs.
    virtual void EndLoop(int result) = 0;
};
