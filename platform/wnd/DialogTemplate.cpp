#include "platform/wnd/DialogTemplate.h"

#include "platform/base/ResourceTables.h"

const DialogTemplate* FindDialogTemplate(UINT id)
{
    const ResourceTables* tables = ResourceTablesSlot().Get();
    return tables ? tables->findDialogTemplate(id) : NULL;
}
