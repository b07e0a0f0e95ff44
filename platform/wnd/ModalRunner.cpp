#include "platform/wnd/ModalRunner.h"

CServiceSlot<IModalRunner*>& ModalRunnerSlot()
{
    static CServiceSlot<IModalRunner*> slot;
    return slot;
}
