#include "platform/hid/HidPlatform.h"

#include <atomic>

#include "platform/hid/HidrawPlatform.h"

namespace {

std::atomic<IHidPlatform*> s_installed{nullptr};

IHidPlatform& Hidraw()
{
    static CHidrawPlatform platform;
    return platform;
}

}  // namespace

IHidPlatform& HidPlatform()
{
    IHidPlatform* installed = s_installed.load();
    return installed ? *installed : Hidraw();
}

IHidPlatform* InstallHidPlatform(IHidPlatform* platform)
{
    return s_installed.exchange(platform);
}
