#include "platform/wnd/WinApp.h"

#include <cstdlib>
#include <cstring>

#include "platform/wnd/Application.h"
#include "platform/wnd/Dialog.h"
#include "platform/help/HelpService.h"
#include "platform/base/StringTable.h"
#include "platform/settings/ProfileStrings.h"
#include "platform/wnd/IconResource.h"

namespace {

CWinApp* s_pApp = NULL;

char* Duplicate(LPCSTR text)
{
    return text ? strdup(text) : NULL;
}

LPCSTR RunningAppName()
{
    return s_pApp ? s_pApp->m_pszAppName : NULL;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName)
{
    // The first application object is the application; a later one (a test's) registers only
    // when none is there.
    if (!s_pApp) {
        s_pApp = this;
        AppNameSlot().Install(&RunningAppName);
        ProfileStringsSlot().Install(this);
    }
    LPCSTR title = appName ? appName : AppTitleResource();
    m_pszAppName = Duplicate(title ? title : "");
}

CWinApp::~CWinApp()
{
    if (s_pApp == this) {
        s_pApp = NULL;
        ProfileStringsSlot().Install(NULL);
    }
    free(m_pszHelpFilePath);
    free(m_pszExeName);
    free(m_pszAppName);
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command)
{
    CString path = m_pszHelpFilePath ? CString(m_pszHelpFilePath) : DefaultHelpFilePath();
    DispatchWinHelp(path, data, command);
}

void CWinApp::OnContextHelp()
{
    if (CDialog* dialog = CDialog::GetActiveModal())
        dialog->EnterContextHelpMode();
}

void CWinApp::OnHelp()
{
    if (CDialog* dialog = CDialog::GetActiveModal())
        dialog->OnHelp();
    else
        WinHelp(0, HELP_FINDER);
}

void CWinApp::OnHelpIndex()
{
    WinHelp(0, HELP_INDEX);
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return IconHandleForResource(id);
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

void AfxEnableControlContainer() {}
