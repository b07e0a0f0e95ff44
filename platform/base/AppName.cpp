#include "platform/base/AppName.h"

#include "res/StringTable.h"
#include "res/resource.h"

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
    LPCSTR title = FindStringResource(AFX_IDS_APP_TITLE);
    return title ? title : "";
}
