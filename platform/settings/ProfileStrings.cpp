#include "platform/settings/ProfileStrings.h"

CServiceSlot<IProfileStrings*>& ProfileStringsSlot()
{
    static CServiceSlot<IProfileStrings*> slot;
    return slot;
}
