#include "platform/qt/QtInputState.h"

#include <QCursor>
#include <QGuiApplication>

BOOL CQtInputState::IsKeyDown(int virtualKey)
{
    if (!qGuiApp)
        return FALSE;
    Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    switch (virtualKey) {
    case VK_SHIFT: return (modifiers & Qt::ShiftModifier) != 0;
    case VK_CONTROL: return (modifiers & Qt::ControlModifier) != 0;
    case VK_MENU: return (modifiers & Qt::AltModifier) != 0;
    default: return FALSE;
    }
}

BOOL CQtInputState::CursorPosition(POINT& point)
{
    if (!qGuiApp)
        return FALSE;
    QPoint position = QCursor::pos();
    point = {position.x(), position.y()};
    return TRUE;
}
