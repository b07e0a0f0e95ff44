// A window as the system code sees it: a handle to the toolkit's peer of a widget
// (IWindowPeer) plus the operations dialogs and controls use. The object does not own the
// widget; a dialog creates and destroys its widgets, and binds its control members to them
// (DDX_Control). Every operation on an object with no widget behind it is a harmless no-op
// returning 0/FALSE/NULL.
#pragma once

#include "platform/base/CString.h"
#include "platform/wnd/CmdTarget.h"

class CMenu;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = NULL;
    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL IsWindow() const { return m_hWnd != NULL; }
    operator HWND() const { return m_hWnd; }

    // Returns TRUE when the window was disabled before the call (the Win32 convention).
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    // Gives the window the keyboard focus; returns the window that had it (may be NULL).
    CWnd* SetFocus();

    void SetWindowText(LPCSTR text);
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;

    // The child with this control id: the bound control object if a member was bound to it,
    // else an object of the control's class owned by the dialog. NULL if there is no such
    // control.
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetDlgItemText(int id, LPCSTR text);
    UINT GetDlgItemText(int id, CString& text) const;
    UINT IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, UINT check);
    // A control's parent is its dialog; a dialog's is the window given at construction.
    virtual CWnd* GetParent() const;

    // Client area in pixels, origin at 0,0.
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);

    // Suspends painting (and, for list boxes, the per-item view updates) until re-enabled.
    void SetRedraw(BOOL redraw = TRUE);
    void Invalidate(BOOL erase = TRUE);
    void UpdateWindow();

    // Synchronous delivery: WM_SETREDRAW is applied to the window; everything else goes
    // through the message map and then the default handling (DefWindowProc).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Delivered from the event loop later; FALSE when there is no window.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The dialog's window menu (its items end in WM_SYSCOMMAND). `revert` TRUE restores the
    // default items and returns NULL. NULL for windows without a system menu.
    CMenu* GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HICON GetIcon(BOOL bigIcon) const;

    int MessageBox(LPCSTR text, LPCSTR caption = NULL, UINT type = MB_OK);

    // Help engine requests on behalf of this window (HELP_CONTEXT, HELP_CONTEXTPOPUP,
    // HELP_QUIT, HELP_FINDER/HELP_INDEX); routed to the application.
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);
    // Opens the help topic of the window itself: a dialog's is HID_BASE_RESOURCE + its
    // template id; other windows ask the application for its help index.
    void OnHelp();
    virtual DWORD_PTR GetHelpTopicId() const { return 0; }

    // Gives the window a look at a keyboard message before its default handling. TRUE means
    // the message was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Default handlers that derived classes hide with their own (the message-map macros
    // pick the most derived one).
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg BOOL OnHelpInfo(HELPINFO* info);
    afx_msg void OnDestroy();

    // The default handling of a message nothing in the map took.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();

    // Ties this object to a widget (used by DDX_Control and the dialog's own window); the
    // dialog cuts the tie when its widgets go.
    void Attach(HWND hWnd);
    HWND Detach();

    // The CWnd object tied to a widget, or NULL.
    static CWnd* FromHandlePermanent(HWND hWnd);

    DECLARE_MESSAGE_MAP()

protected:
    // The message being handled by Default().
    MSG m_currentMessage;

private:
    friend class CDialogWindowPeer;
    // Ties the object to a widget without making it the widget's permanent object (the
    // stand-ins GetDlgItem hands out for controls that no member is bound to).
    void AttachTemporary(HWND hWnd) { m_hWnd = hWnd; }
};

// The running application's main window, or NULL.
CWnd* AfxGetMainWnd();
