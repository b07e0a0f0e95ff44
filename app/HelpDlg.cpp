#include "app/HelpDlg.h"

#include "platform/wnd/DataExchange.h"
#include "platform/wnd/WinApp.h"

CHelpDlg::CHelpDlg(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

void CHelpDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BEGIN_MESSAGE_MAP(CHelpDlg, CDialog)
    ON_WM_HELPINFO()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CHelpDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYF1)
        return CDialog::PreTranslateMessage(msg);
    if (GetKeyState(VK_SHIFT) < 0)
        SendMessage(WM_SYSCOMMAND, SC_CONTEXTHELP);
    else
        OnCommandHelp(0, 0);
    return TRUE;
}

BOOL CHelpDlg::OnHelpInfo(HELPINFO* info)
{
    CWinApp* app = AfxGetApp();
    if (app && info && info->iContextType == HELPINFO_WINDOW)
        app->WinHelp(info->dwContextId, HELP_CONTEXTPOPUP);
    return TRUE;
}

void CHelpDlg::OnDestroy()
{
    WinHelp(0, HELP_QUIT);
    CWnd::OnDestroy();
}
