#include "platform/qt/QtWindowBackend.h"

#include <QApplication>

#include "platform/qt/DialogWindowPeer.h"
#include "platform/qt/WidgetHandle.h"

BOOL CQtWindowBackend::IsInteractive() const
{
    return IsInteractiveGui();
}

IDialogPeer* CQtWindowBackend::CreateDialogPeer(CDialog* owner, const DialogTemplate& tpl, HWND parent)
{
    if (!HasWidgetApplication())
        return nullptr;
    QWidget* parentWidget = WidgetOf(parent);
    return new CDialogWindowPeer(owner, tpl, parentWidget ? parentWidget->window() : nullptr);
}

void CQtWindowBackend::RunEventLoop()
{
    if (qApp)
        qApp->exec();
}
