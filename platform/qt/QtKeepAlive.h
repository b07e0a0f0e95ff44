// The keep-alive pump of the GUI (platform/time/KeepAlive.h): one pass of the event loop
// without user input, so the windows repaint, show the progress and answer the window
// manager's pings while an operation runs on the GUI thread. Keys, clicks and close requests
// wait in the queue and reach the windows when the operation is over, as they reach a busy
// window.
#pragma once

#include "platform/time/KeepAlive.h"

class CQtKeepAlive : public IKeepAlive {
public:
    BOOL OnPumpThread() const override;
    void Pump() override;
};
