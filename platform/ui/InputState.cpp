// Keyboard and mouse state as the system code asks for it.
#include <QCursor>
#include <QGuiApplication>

#include "platform/base/WinMessages.h"

namespace {

bool s_simulatedShift = false;
bool s_simulatedControl = false;
bool s_simulatedAlt = false;

bool ModifierDown(Qt::KeyboardModifier modifier)
{
    return qGuiApp && (QGuiApplication::keyboardModifiers() & modifier);
}

} // namespace

SHORT GetKeyState(int virtualKey)
{
    bool down = false;
    switch (virtualKey) {
    case VK_SHIFT:
        down = s_simulatedShift || ModifierDown(Qt::ShiftModifier);
        break;
    case VK_CONTROL:
        down = s_simulatedControl || ModifierDown(Qt::ControlModifier);
        break;
    case VK_MENU:
        down = s_simulatedAlt || ModifierDown(Qt::AltModifier);
        break;
    default:
        break;
    }
    return down ? (SHORT)0x8000 : 0;
}

void SetSimulatedKeyState(int virtualKey, BOOL down)
{
    switch (virtualKey) {
    case VK_SHIFT:
        s_simulatedShift = down;
        break;
    case VK_CONTROL:
        s_simulatedControl = down;
        break;
    case VK_MENU:
        s_simulatedAlt = down;
        break;
    default:
        break;
    }
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    *point = {0, 0};
    if (!qGuiApp)
        return FALSE;
    QPoint position = QCursor::pos();
    *point = {position.x(), position.y()};
    return TRUE;
}
