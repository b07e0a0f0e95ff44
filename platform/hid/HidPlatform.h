// The HID platform in force: hidraw on this system unless a test installed a double.
#pragma once

#include "platform/hid/IHidPlatform.h"

IHidPlatform& HidPlatform();
// Installs `platform` (NULL restores hidraw) and returns the one it replaces. The caller keeps
// ownership and must put the previous one back before destroying its own.
IHidPlatform* InstallHidPlatform(IHidPlatform* platform);
