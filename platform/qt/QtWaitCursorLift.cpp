#include "platform/qt/QtWaitCursorLift.h"

#include <QApplication>

CQtWaitCursorLift::CQtWaitCursorLift()
{
    // The override cursors form a stack; the arrow goes on top and the wait cursor under it
    // stays, so waits begun and ended inside keep their balance.
    const QCursor* cursor = QApplication::overrideCursor();
    m_lifted = cursor && cursor->shape() == Qt::WaitCursor;
    if (m_lifted)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
}

CQtWaitCursorLift::~CQtWaitCursorLift()
{
    if (m_lifted)
        QApplication::restoreOverrideCursor();
}
