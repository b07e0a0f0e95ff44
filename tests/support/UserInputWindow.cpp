#include "tests/support/UserInputWindow.h"

#include <QCloseEvent>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

CUserInputWindow::CUserInputWindow()
{
    resize(120, 60);
    show();
}

void CUserInputWindow::QueueKey()
{
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        windowHandle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
}

void CUserInputWindow::QueueClick()
{
    QPointF at(10, 10);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        windowHandle(), at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
}

void CUserInputWindow::QueueCloseRequest()
{
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(windowHandle());
}

bool CUserInputWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: ++m_keys; break;
    case QEvent::MouseButtonPress: ++m_clicks; break;
    case QEvent::Paint: ++m_paints; break;
    case QEvent::Close:
        // The window stays: only the request is counted.
        ++m_closeRequests;
        event->ignore();
        return true;
    default: break;
    }
    return QWidget::event(event);
}
