// The application object. The one CWinApp-derived object registers itself in its constructor
// (AfxGetApp); RunApplication starts it.
#pragma once

#include "platform/base/AppName.h"
#include "platform/base/CString.h"
#include "platform/settings/ProfileStrings.h"
#include "platform/wnd/CmdTarget.h"

class CWnd;

class CWinApp : public CCmdTarget, public IProfileStrings {
public:
    explicit CWinApp(LPCSTR appName = NULL);
    ~CWinApp() override;

    // Help file path: malloc'd; replace it with free + strdup.
    char* m_pszHelpFilePath = NULL;
    // The program's file name without extension (malloc'd).
    char* m_pszExeName = NULL;
    // The application's title, used as the message box caption (malloc'd).
    char* m_pszAppName = NULL;
    CWnd* m_pMainWnd = NULL;

    // FALSE ends the program after ExitInstance (a dialog-based program always does).
    virtual BOOL InitInstance();
    // The program's exit code.
    virtual int ExitInstance();

    // Help requests: HELP_CONTEXT, HELP_CONTEXTPOPUP, HELP_QUIT, HELP_FINDER/HELP_INDEX, on
    // the help file m_pszHelpFilePath.
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);
    // ID_CONTEXT_HELP: context-help mode in the active dialog.
    afx_msg void OnContextHelp();
    // ID_HELP: the help topic of the active dialog, or the help index.
    afx_msg void OnHelp();
    afx_msg void OnHelpIndex();

    // Icon resource `id`, or NULL. The icon lives as long as the program.
    HICON LoadIcon(UINT id) const;

    // Profile entries of the application, kept in the settings store.
    CString GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue = NULL) override;
    BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) override;
    UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);

    // A start-up hook kept for the system code's sake; nothing to prepare on Linux.
    void Enable3dControlsStatic() {}

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
void AfxEnableControlContainer();
// AfxGetAppName, the running application's title: platform/base/AppName.h.
