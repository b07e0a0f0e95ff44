// Keyboard and mouse state as the system code asks for it.
#include "platform/ui/InputState.h"

CServiceSlot<IInputState*>& InputStateSlot()
{
    static CServiceSlot<IInputState*> slot;
    return slot;
}

SHORT GetKeyState(int virtualKey)
{
    IInputState* state = InputStateSlot().Get();
    return state && state->IsKeyDown(virtualKey) ? (SHORT)0x8000 : 0;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    *point = {0, 0};
    IInputState* state = InputStateSlot().Get();
    return state ? state->CursorPosition(*point) : FALSE;
}
