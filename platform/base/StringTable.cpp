#include "platform/base/StringTable.h"

#include "platform/base/ResourceTables.h"

LPCSTR StringResource(UINT id)
{
    const ResourceTables* tables = ResourceTablesSlot().Get();
    return tables ? tables->findString(id) : NULL;
}

LPCSTR AppTitleResource()
{
    const ResourceTables* tables = ResourceTablesSlot().Get();
    return tables ? tables->findString(tables->appTitleId) : NULL;
}

BOOL LoadString(UINT id, CString& text)
{
    LPCSTR found = StringResource(id);
    text = found ? found : "";
    return found != NULL;
}
