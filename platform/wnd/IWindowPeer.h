// The toolkit's side of one window or control, as the window classes (CWnd and the controls)
// use it. A HWND stands for one peer (WindowHandle.h). The toolkit creates a peer with its
// widget and destroys it with the widget; the window classes never own one.
#pragma once

#include <functional>

#include "platform/base/CString.h"
#include "platform/base/WinMessages.h"

class CWnd;
class IButtonPeer;
class IComboBoxPeer;
class IDialogPeer;
class IEditPeer;
class IListBoxPeer;
class IProgressPeer;
class IStaticPeer;

class IWindowPeer {
public:
    virtual ~IWindowPeer() = default;

    virtual BOOL IsEnabled() const = 0;
    virtual void SetEnabled(BOOL enable) = 0;
    // Hidden by code (SW_HIDE, the hidden style); a control of a dialog still being built is
    // not hidden.
    virtual BOOL IsHidden() const = 0;
    // Shown on screen (for a top-level window: it and its parents are shown).
    virtual BOOL IsVisible() const = 0;
    // A window of its own (a dialog), not a control inside one.
    virtual BOOL IsTopLevel() const = 0;
    // SW_HIDE, SW_MINIMIZE, SW_SHOWMINIMIZED, SW_MAXIMIZE, SW_RESTORE; anything else shows.
    virtual void Show(int command) = 0;
    // Gives the keyboard focus to this window; returns the object of the control of the same
    // window that had it (NULL if none).
    virtual CWnd* SetFocus() = 0;

    // A window's title, a button's, label's or edit's text, a group box's title; a combo
    // box's current entry for reading. Other controls have no text (empty, ignored).
    virtual CString GetText() const = 0;
    virtual void SetText(LPCSTR text) = 0;
    // The control id of a dialog's control; 0 for a window.
    virtual int ControlId() const = 0;
    // The dialog object a control belongs to; NULL for a window.
    virtual CWnd* OwnerDialog() const = 0;

    // Client area size and the window's rectangle in screen pixels.
    virtual void GetClientSize(int& width, int& height) const = 0;
    virtual RECT ScreenRect() const = 0;
    virtual void SetGeometry(int x, int y, int width, int height, BOOL repaint) = 0;
    // Suspends painting (and a list box's per-entry updates) until re-enabled.
    virtual void SetRedraw(BOOL redraw) = 0;
    virtual void Invalidate() = 0;
    // Paints now, if shown.
    virtual void UpdateNow() = 0;
    // Runs `task` from the event loop later, if the window still exists then. FALSE when
    // there is no event loop.
    virtual BOOL Post(std::function<void()> task) = 0;

    virtual HICON SetIcon(HICON icon, BOOL bigIcon) = 0;
    virtual HICON GetIcon(BOOL bigIcon) const = 0;

    // The same peer as the interface of its kind, or NULL when it is of another kind.
    virtual IDialogPeer* AsDialog() { return NULL; }
    virtual IButtonPeer* AsButton() { return NULL; }
    virtual IComboBoxPeer* AsComboBox() { return NULL; }
    virtual IEditPeer* AsEdit() { return NULL; }
    virtual IStaticPeer* AsStatic() { return NULL; }
    virtual IListBoxPeer* AsListBox() { return NULL; }
    virtual IProgressPeer* AsProgress() { return NULL; }
};
