#include "platform/wnd/WindowBackend.h"

CServiceSlot<IWindowBackend*>& WindowBackendSlot()
{
    static CServiceSlot<IWindowBackend*> slot;
    return slot;
}

IWindowBackend* WindowBackend()
{
    return WindowBackendSlot().Get();
}
