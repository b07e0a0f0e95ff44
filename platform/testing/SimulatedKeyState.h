// Holds one key down for the life of the object, on top of whatever input state is installed,
// since scripted input carries no real keyboard state (the dialog driver's Shift+F1).
#pragma once

#include "platform/ui/InputState.h"

class CSimulatedKeyState : public IInputState {
public:
    explicit CSimulatedKeyState(int virtualKey) : m_key(virtualKey), m_previous(InputStateSlot().Install(this)) {}
    ~CSimulatedKeyState() override { InputStateSlot().Install(m_previous); }
    CSimulatedKeyState(const CSimulatedKeyState&) = delete;
    CSimulatedKeyState& operator=(const CSimulatedKeyState&) = delete;

    BOOL IsKeyDown(int virtualKey) override
    {
        return virtualKey == m_key || (m_previous && m_previous->IsKeyDown(virtualKey));
    }
    BOOL CursorPosition(POINT& point) override { return m_previous ? m_previous->CursorPosition(point) : FALSE; }

private:
    int m_key;
    IInputState* m_previous;
};
