// User-interface services the system code asks for: message boxes, file dialogs and the wait
// cursor. The GUI installs its Qt services at start-up; tests install a scripted
// implementation; with neither, messages go to stderr and questions get the safe answer.
#pragma once

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/ServiceSlot.h"

class CWnd;

struct FileDialogRequest {
    BOOL bOpen = TRUE;         // FALSE: a save dialog
    CString defaultExtension;  // without the dot; empty for none
    CString initialName;
    DWORD flags = 0;  // OFN_* flags
    CString filter;   // "desc|pattern|desc|pattern||"
    CWnd* parent = NULL;
};

class IUiServices {
public:
    virtual ~IUiServices() = default;
    // Shows `text`; `type` holds MB_* buttons, icon and default button. Returns IDOK, IDYES, ...
    virtual int MessageBox(const CString& text, const CString& caption, UINT type) = 0;
    // Runs a file dialog. On confirmation fills `paths` with full paths (several only when
    // OFN_ALLOWMULTISELECT was asked for) and returns TRUE; on cancel returns FALSE.
    virtual BOOL FileDialog(const FileDialogRequest& request, std::vector<CString>& paths) = 0;
    // Wait cursor nesting: each Begin is matched by one End.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};

// The installed services; empty while the default is in force.
CServiceSlot<IUiServices*>& UiServicesSlot();
IUiServices& Ui();
// Installs `services` (NULL restores the default for this process) and returns the previous.
IUiServices* InstallUiServices(IUiServices* services);

// The application-wide message box: caption is the application's title.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);

// Shows the wait cursor for the life of the object.
class CWaitCursor {
public:
    CWaitCursor() { Ui().BeginWaitCursor(); }
    ~CWaitCursor() { Ui().EndWaitCursor(); }
    void Restore() {}
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
