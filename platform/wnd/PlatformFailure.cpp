#include "platform/wnd/PlatformFailure.h"

#include <cstdio>

namespace {

CServiceSlot<PlatformFailureHook>& FailureHookSlot()
{
    static CServiceSlot<PlatformFailureHook> slot;
    return slot;
}

}  // namespace

PlatformFailureHook SetPlatformFailureHook(PlatformFailureHook hook)
{
    return FailureHookSlot().Install(std::move(hook));
}

void ReportPlatformFailure(const std::string& message)
{
    PlatformFailureHook hook = FailureHookSlot().Get();
    if (hook)
        hook(message);
    else
        fprintf(stderr, "quillet: %s\n", message.c_str());
}
