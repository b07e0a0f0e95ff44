#include "platform/base/AppName.h"

#include "platform/base/StringTable.h"

CServiceSlot<AppNameSource>& AppNameSlot()
{
    static CServiceSlot<AppNameSource> slot;
    return slot;
}

LPCSTR AfxGetAppName()
{
    if (AppNameSource source = AppNameSlot().Get())
        if (LPCSTR name = source())
            return name;
    LPCSTR title = AppTitleResource();
    return title ? title : "";
}
