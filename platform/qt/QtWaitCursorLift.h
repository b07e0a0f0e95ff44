// While a window waits for the user in the middle of an operation (a message box, a file
// dialog, a nested dialog), the operation's wait cursor gives way to the arrow, and comes back
// when the window is answered. Without a wait cursor in force it does nothing.
#pragma once

class CQtWaitCursorLift {
public:
    CQtWaitCursorLift();
    ~CQtWaitCursorLift();
    CQtWaitCursorLift(const CQtWaitCursorLift&) = delete;
    CQtWaitCursorLift& operator=(const CQtWaitCursorLift&) = delete;

private:
    bool m_lifted;
};
