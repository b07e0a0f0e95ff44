#include "platform/base/StringTable.h"

#include "res/StringTable.h"

BOOL LoadString(UINT id, CString& text)
{
    LPCSTR found = FindStringResource(id);
    text = found ? found : "";
    return found != NULL;
}
