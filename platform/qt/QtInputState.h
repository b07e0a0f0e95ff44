// The keyboard modifiers and mouse position as Qt knows them.
#pragma once

#include "platform/ui/InputState.h"

class CQtInputState : public IInputState {
public:
    BOOL IsKeyDown(int virtualKey) override;
    BOOL CursorPosition(POINT& point) override;
};
