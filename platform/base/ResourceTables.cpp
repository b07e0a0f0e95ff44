#include "platform/base/ResourceTables.h"

CServiceSlot<const ResourceTables*>& ResourceTablesSlot()
{
    static CServiceSlot<const ResourceTables*> slot;
    return slot;
}
