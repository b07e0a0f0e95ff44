#include "platform/wnd/Wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <unordered_map>

#include "platform/wnd/Application.h"
#include "platform/wnd/Dialog.h"
#include "platform/help/HelpService.h"
#include "platform/wnd/Menu.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/WinApp.h"
#include "platform/qt/DialogWindowPeer.h"
#include "platform/qt/IconHandle.h"
#include "platform/qt/ListBoxModel.h"
#include "platform/qt/ListBoxView.h"
#include "platform/qt/WidgetHandle.h"

namespace {

std::unordered_map<QWidget*, CWnd*>& PermanentMap()
{
    static std::unordered_map<QWidget*, CWnd*> map;
    return map;
}

const char kRedrawOffProperty[] = "quilletRedrawOff";
const char kBigIconProperty[] = "quilletBigIcon";
const char kSmallIconProperty[] = "quilletSmallIcon";

CDialogWindowPeer* PeerOfWindow(QWidget* widget)
{
    return widget ? qobject_cast<CDialogWindowPeer*>(widget) : nullptr;
}

CDialogWindowPeer* PeerContaining(QWidget* widget)
{
    return widget ? qobject_cast<CDialogWindowPeer*>(widget->window()) : nullptr;
}

// The CWnd that stands for a widget: its bound object or the dialog's stand-in.
CWnd* ObjectForWidget(QWidget* widget)
{
    if (!widget)
        return NULL;
    if (CWnd* bound = CWnd::FromHandlePermanent(HandleOf(widget)))
        return bound;
    CDialogWindowPeer* peer = PeerContaining(widget);
    if (!peer)
        return NULL;
    if (CDialogWindowPeer::Control* control = peer->ControlOfWidget(widget))
        return peer->ObjectForControl(*control);
    return NULL;
}

} // namespace

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
        PermanentMap()[WidgetOf(hWnd)] = this;
}

HWND CWnd::Detach()
{
    HWND old = m_hWnd;
    if (old) {
        auto it = PermanentMap().find(WidgetOf(old));
        if (it != PermanentMap().end() && it->second == this)
            PermanentMap().erase(it);
    }
    m_hWnd = NULL;
    return old;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = PermanentMap().find(WidgetOf(hWnd));
    return it == PermanentMap().end() ? NULL : it->second;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return FALSE;
    BOOL wasDisabled = !widget->isEnabled();
    widget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    return widget && widget->isEnabled();
}

BOOL CWnd::ShowWindow(int command)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return FALSE;
    BOOL wasVisible = !widget->isHidden();
    switch (command) {
    case SW_HIDE:
        widget->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        widget->showMinimized();
        break;
    case SW_MAXIMIZE:
        widget->showMaximized();
        break;
    case SW_RESTORE:
        widget->showNormal();
        break;
    default:
        widget->setVisible(true);
        break;
    }
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return FALSE;
    // A control counts as visible unless hidden, also while its dialog is still being built.
    return widget->isWindow() ? widget->isVisible() : !widget->isHidden();
}

BOOL CWnd::IsIconic() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    return widget && widget->isMinimized();
}

CWnd* CWnd::SetFocus()
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return NULL;
    QWidget* previous = widget->window()->focusWidget();
    widget->setFocus(Qt::OtherFocusReason);
    return ObjectForWidget(previous);
}

void CWnd::SetWindowText(LPCSTR text)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return;
    QString value = QString::fromUtf8(text ? text : "");
    if (widget->isWindow())
        widget->setWindowTitle(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(value);
}

void CWnd::GetWindowText(CString& text) const
{
    QWidget* widget = WidgetOf(m_hWnd);
    QString value;
    if (!widget)
        value.clear();
    else if (widget->isWindow())
        value = widget->windowTitle();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        value = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        value = label->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        value = edit->text();
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        value = group->title();
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        value = combo->currentText();
    text = CString(value.toUtf8().toStdString());
}

int CWnd::GetWindowTextLength() const
{
    CString text;
    GetWindowText(text);
    return text.GetLength();
}

CWnd* CWnd::GetDlgItem(int id) const
{
    CDialogWindowPeer* peer = PeerOfWindow(WidgetOf(m_hWnd));
    if (!peer)
        return NULL;
    CDialogWindowPeer::Control* control = peer->FindControl(id);
    return control ? peer->ObjectForControl(*control) : NULL;
}

int CWnd::GetDlgCtrlID() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget || widget->isWindow())
        return 0;
    QVariant id = widget->property("quilletId");
    return id.isValid() ? id.toInt() : 0;
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
    CWnd* item = GetDlgItem(id);
    auto* button = item ? qobject_cast<QAbstractButton*>(WidgetOf(item->m_hWnd)) : nullptr;
    return button && button->isCheckable() && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    CWnd* item = GetDlgItem(id);
    auto* button = item ? qobject_cast<QAbstractButton*>(WidgetOf(item->m_hWnd)) : nullptr;
    if (button && button->isCheckable())
        button->setChecked(check == BST_CHECKED);
}

CWnd* CWnd::GetParent() const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget || widget->isWindow())
        return NULL;
    CDialogWindowPeer* peer = PeerContaining(widget);
    return peer ? (CWnd*)peer->Owner() : NULL;
}

void CWnd::GetClientRect(LPRECT rect) const
{
    if (!rect)
        return;
    *rect = {0, 0, 0, 0};
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return;
    QSize size = widget->size();
    if (auto* frame = qobject_cast<QFrame*>(widget))
        size = frame->contentsRect().size();
    rect->right = size.width();
    rect->bottom = size.height();
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    if (!rect)
        return;
    *rect = {0, 0, 0, 0};
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return;
    QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    *rect = {origin.x(), origin.y(), origin.x() + widget->width(), origin.y() + widget->height()};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return;
    widget->setGeometry(x, y, width, height);
    if (repaint)
        widget->update();
}

void CWnd::SetRedraw(BOOL redraw)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return;
    bool off = widget->property(kRedrawOffProperty).toBool();
    if (off == !redraw)
        return;
    widget->setProperty(kRedrawOffProperty, !redraw);
    if (auto* list = qobject_cast<CListBoxView*>(widget)) {
        if (redraw)
            list->Model()->ResumeUpdates();
        else
            list->Model()->SuspendUpdates();
    }
    widget->setUpdatesEnabled(redraw != FALSE);
}

void CWnd::Invalidate(BOOL)
{
    if (QWidget* widget = WidgetOf(m_hWnd))
        widget->update();
}

void CWnd::UpdateWindow()
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (widget && widget->isVisible())
        widget->repaint();
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
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget || !qApp)
        return FALSE;
    QPointer<QWidget> target(widget);
    QMetaObject::invokeMethod(
        qApp,
        [target, message, wParam, lParam] {
            if (!target)
                return;
            if (CWnd* wnd = FromHandlePermanent(HandleOf(target.data())))
                wnd->SendMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return TRUE;
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const
{
    CDialogWindowPeer* peer = PeerOfWindow(WidgetOf(m_hWnd));
    return peer ? peer->SystemMenu(revert != FALSE) : NULL;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon)
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return NULL;
    const char* property = bigIcon ? kBigIconProperty : kSmallIconProperty;
    HICON previous = (HICON)widget->property(property).value<quintptr>();
    widget->setProperty(property, QVariant::fromValue((quintptr)icon));
    if (const QIcon* qicon = IconFromHandle(icon))
        widget->setWindowIcon(*qicon);
    return previous;
}

HICON CWnd::GetIcon(BOOL bigIcon) const
{
    QWidget* widget = WidgetOf(m_hWnd);
    if (!widget)
        return NULL;
    return (HICON)widget->property(bigIcon ? kBigIconProperty : kSmallIconProperty).value<quintptr>();
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

void CWnd::OnPaint() {}

HCURSOR CWnd::OnQueryDragIcon()
{
    return NULL;
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
    case WM_HELP:
        return OnHelpInfo((HELPINFO*)lParam);
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(SW_MINIMIZE);
            return 0;
        case SC_MAXIMIZE:
            ShowWindow(SW_MAXIMIZE);
            return 0;
        case SC_RESTORE:
            ShowWindow(SW_RESTORE);
            return 0;
        case SC_CLOSE:
            return SendMessage(WM_CLOSE);
        default:
            return 0;
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
    default:
        return 0;
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

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}
