// Where the keyboard and mouse state that GetKeyState and GetCursorPos report comes from: the
// GUI installs its toolkit's state at start-up; scripted input (the dialog driver) stacks a
// simulated one on top. Without any, no key is down and the mouse is at 0,0.
#pragma once

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinMessages.h"

class IInputState {
public:
    virtual ~IInputState() = default;
    // TRUE while `virtualKey` (VK_SHIFT, VK_CONTROL, VK_MENU) is held.
    virtual BOOL IsKeyDown(int virtualKey) = 0;
    // The mouse position in screen pixels; FALSE when it cannot be known.
    virtual BOOL CursorPosition(POINT& point) = 0;
};

CServiceSlot<IInputState*>& InputStateSlot();
