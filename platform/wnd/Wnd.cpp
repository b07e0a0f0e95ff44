#include "platform/wnd/Wnd.h"

#include <unordered_map>

#include "platform/help/HelpService.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/Application.h"
#include "platform/wnd/IButtonPeer.h"
#include "platform/wnd/IDialogPeer.h"
#include "platform/wnd/WinApp.h"
#include "platform/wnd/WindowHandle.h"

namespace {

std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

IDialogPeer* DialogPeerOf(HWND hWnd)
{
    return hWnd ? PeerOf(hWnd)->AsDialog() : NULL;
}

IButtonPeer* ButtonPeerOf(const CWnd* item)
{
    return item && item->m_hWnd ? PeerOf(item->m_hWnd)->AsButton() : NULL;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    Detach();
}

void CWnd::Attach(HWND hWnd)
{
    if (m_hWnd == hWnd)
        return;
    Detach();
    m_hWnd = hWnd;
    if (hWnd)
        PermanentMap()[hWnd] = this;
}

HWND CWnd::Detach()
{
    HWND old = m_hWnd;
    if (old) {
        auto it = PermanentMap().find(old);
        if (it != PermanentMap().end() && it->second == this)
            PermanentMap().erase(it);
    }
    m_hWnd = NULL;
    return old;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = PermanentMap().find(hWnd);
    return it == PermanentMap().end() ? NULL : it->second;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    if (!m_hWnd)
        return FALSE;
    BOOL wasDisabled = !PeerOf(m_hWnd)->IsEnabled();
    PeerOf(m_hWnd)->SetEnabled(enable);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    return m_hWnd && PeerOf(m_hWnd)->IsEnabled();
}

BOOL CWnd::ShowWindow(int command)
{
    if (!m_hWnd)
        return FALSE;
    BOOL wasVisible = !PeerOf(m_hWnd)->IsHidden();
    PeerOf(m_hWnd)->Show(command);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    if (!m_hWnd)
        return FALSE;
    IWindowPeer* peer = PeerOf(m_hWnd);
    // A control counts as visible unless hidden, also while its dialog is still being built.
    return peer->IsTopLevel() ? peer->IsVisible() : !peer->IsHidden();
}

CWnd* CWnd::SetFocus()
{
    return m_hWnd ? PeerOf(m_hWnd)->SetFocus() : NULL;
}

void CWnd::SetWindowText(LPCSTR text)
{
    if (m_hWnd)
        PeerOf(m_hWnd)->SetText(text);
}

void CWnd::GetWindowText(CString& text) const
{
    text = m_hWnd ? PeerOf(m_hWnd)->GetText() : CString();
}

int CWnd::GetWindowTextLength() const
{
    CString text;
    GetWindowText(text);
    return text.GetLength();
}

CWnd* CWnd::GetDlgItem(int id) const
{
    IDialogPeer* dialog = DialogPeerOf(m_hWnd);
    return dialog ? dialog->DlgItem(id) : NULL;
}

int CWnd::GetDlgCtrlID() const
{
    return m_hWnd ? PeerOf(m_hWnd)->ControlId() : 0;
}

void CWnd::SetDlgItemText(int id, LPCSTR text)
{
    if (CWnd* item = GetDlgItem(id))
        item->SetWindowText(text);
}

UINT CWnd::GetDlgItemText(int id, CString& text) const
{
    text.Empty();
    if (CWnd* item = GetDlgItem(id))
        item->GetWindowText(text);
    return (UINT)text.GetLength();
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    IButtonPeer* button = ButtonPeerOf(GetDlgItem(id));
    return button && button->IsChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    if (IButtonPeer* button = ButtonPeerOf(GetDlgItem(id)))
        button->SetChecked(check == BST_CHECKED);
}

CWnd* CWnd::GetParent() const
{
    return m_hWnd ? PeerOf(m_hWnd)->OwnerDialog() : NULL;
}

void CWnd::GetClientRect(LPRECT rect) const
{
    if (!rect)
        return;
    *rect = {0, 0, 0, 0};
    if (!m_hWnd)
        return;
    int width = 0, height = 0;
    PeerOf(m_hWnd)->GetClientSize(width, height);
    rect->right = width;
    rect->bottom = height;
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    if (!rect)
        return;
    *rect = {0, 0, 0, 0};
    if (m_hWnd)
        *rect = PeerOf(m_hWnd)->ScreenRect();
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    if (m_hWnd)
        PeerOf(m_hWnd)->SetGeometry(x, y, width, height, repaint);
}

void CWnd::SetRedraw(BOOL redraw)
{
    if (m_hWnd)
        PeerOf(m_hWnd)->SetRedraw(redraw);
}

void CWnd::Invalidate(BOOL)
{
    if (m_hWnd)
        PeerOf(m_hWnd)->Invalidate();
}

void CWnd::UpdateWindow()
{
    if (m_hWnd)
        PeerOf(m_hWnd)->UpdateNow();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETREDRAW) {
        SetRedraw((BOOL)wParam);
        return 0;
    }
    MSG saved = m_currentMessage;
    m_currentMessage.hwnd = m_hWnd;
    m_currentMessage.message = message;
    m_currentMessage.wParam = wParam;
    m_currentMessage.lParam = lParam;
    LRESULT result = 0;
    if (!DispatchMessageMap(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    m_currentMessage = saved;
    return result;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return FALSE;
    HWND target = m_hWnd;
    // The peer runs the task only while its window lives, so the handle is still its own.
    return PeerOf(m_hWnd)->Post([target, message, wParam, lParam] {
        if (CWnd* wnd = FromHandlePermanent(target))
            wnd->SendMessage(message, wParam, lParam);
    });
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const
{
    IDialogPeer* dialog = DialogPeerOf(m_hWnd);
    return dialog ? dialog->SystemMenu(revert != FALSE) : NULL;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon)
{
    return m_hWnd ? PeerOf(m_hWnd)->SetIcon(icon, bigIcon) : NULL;
}

HICON CWnd::GetIcon(BOOL bigIcon) const
{
    return m_hWnd ? PeerOf(m_hWnd)->GetIcon(bigIcon) : NULL;
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type)
{
    return Ui().MessageBox(CString(text), CString(caption ? caption : AfxGetAppName()), type);
}

void CWnd::WinHelp(DWORD_PTR data, UINT command)
{
    if (CWinApp* app = AfxGetApp())
        app->WinHelp(data, command);
    else
        DispatchWinHelp(DefaultHelpFilePath(), data, command);
}

void CWnd::OnHelp()
{
    DWORD_PTR topic = GetHelpTopicId();
    if (topic)
        WinHelp(topic, HELP_CONTEXT);
    else
        WinHelp(0, HELP_FINDER);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::OnSysCommand(UINT id, LPARAM lParam)
{
    DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

BOOL CWnd::OnHelpInfo(HELPINFO* info)
{
    if (info && info->iContextType == HELPINFO_WINDOW && info->dwContextId != 0)
        WinHelp(info->dwContextId, HELP_CONTEXTPOPUP);
    return TRUE;
}

void CWnd::OnDestroy() {}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HELP: return OnHelpInfo((HELPINFO*)lParam);
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: ShowWindow(SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(SW_RESTORE); return 0;
        case SC_CLOSE: return SendMessage(WM_CLOSE);
        default: return 0;
        }
    case WM_COMMAND: {
        // Commands nobody in the window took go on to the application object, as the class
        // library's command routing does.
        CWinApp* app = AfxGetApp();
        LRESULT result = 0;
        if (app && app->DispatchMessageMap(message, wParam, lParam, &result))
            return result;
        return 0;
    }
    default: return 0;
    }
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_currentMessage.message, m_currentMessage.wParam, m_currentMessage.lParam);
}

CWnd* AfxGetMainWnd()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : NULL;
}
