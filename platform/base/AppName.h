// The running application's title, the caption of message boxes and help windows: the
// application object's name while one exists, else the title in the string table.
#pragma once

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"

typedef LPCSTR (*AppNameSource)();

// The application's title; "" when neither gives one.
LPCSTR AfxGetAppName();
// Where the title comes from while an application object exists (CWinApp installs it); a
// source that answers NULL, or none, leaves the string table's title.
CServiceSlot<AppNameSource>& AppNameSlot();
