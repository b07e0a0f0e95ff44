// The HID services the USB communications resource needs: the list of present interfaces
// and opening one of them for this program alone.
#pragma once

#include <memory>
#include <vector>

#include "platform/hid/HidDeviceInfo.h"
#include "platform/hid/IHidDevice.h"

class IHidPlatform {
public:
    virtual ~IHidPlatform() = default;

    // Every HID interface present, in an order that stays the same while the set of devices
    // does not change.
    virtual std::vector<HidDeviceInfo> Enumerate() = 0;

    // Opens the interface at `path` for exclusive use. NULL when it is missing, held by
    // another program, not accessible or not a HID device; `*failure` (may be NULL) then gets
    // one line for the user naming the node and what keeps it closed.
    virtual std::unique_ptr<IHidDevice> Open(const CString& path, CString* failure) = 0;
};
