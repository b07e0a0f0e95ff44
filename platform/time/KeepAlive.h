// Keeps the program's windows alive while a command works or waits on the GUI thread: every
// command runs to its end there, and a window that answers nothing for seconds stays painted
// over by whatever was in front of it and is offered for a force-quit by the desktop. The GUI
// installs a pump that paints and answers the window manager while holding user input back,
// so no command of a dialog runs inside another; without one (no GUI, tests) nothing happens.
//
// Who calls it: Sleep (between slices of a long sleep), the progress bar as it moves (at most
// once per kKeepAliveInterval), the serial and HID ports' waits, the waits for events (a
// link's answer), and the message boxes as they close. Nothing pumps inside a timed line
// sequence: the calibrated delay and the line operations never call it, and the programming
// runs step their bars between frames only.
#pragma once

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"

class IKeepAlive {
public:
    virtual ~IKeepAlive() = default;
    // TRUE on the thread whose windows the pump serves; other threads never pump.
    virtual BOOL OnPumpThread() const = 0;
    // Lets the windows paint and answer the window manager; user input waits for later.
    virtual void Pump() = 0;
};

CServiceSlot<IKeepAlive*>& KeepAliveSlot();

// Milliseconds between two pumps at most while the GUI thread is busy or waiting.
constexpr DWORD kKeepAliveInterval = 50;

// Pumps on the pump's thread when kKeepAliveInterval of the current clock (platform/time/
// Clock.h) has passed since the last pump. Without a pump it costs one atomic load.
void KeepAlive();
// Pumps at once on the pump's thread (a window just closed and what it covered must be
// painted again, or a slice of a wait has passed).
void KeepAliveNow();
// TRUE when a pump may run on this thread now.
BOOL KeepAliveActive();
// How long one poll() of a wait for `waitMs` (-1: no end) may sleep: at most
// kKeepAliveInterval while a pump may run on this thread, else `waitMs` itself. A wait that
// was cut short calls KeepAliveNow and goes on to its own deadline.
int KeepAliveSlice(int waitMs);
