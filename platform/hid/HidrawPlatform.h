// HID interfaces through Linux hidraw. The list comes from sysfs alone, so enumerating opens no
// device: /sys/class/hidraw/hidrawN/device/uevent gives HID_ID (bus:vendor:product) and
// HID_UNIQ (the serial-number string), and report_descriptor gives the report lengths.
// Opening takes the node for this program alone (an exclusive flock, which other programs
// that share the node honour) and asks the node itself for its ids (HIDIOCGRAWINFO). A node
// that will not open says why in words the user can act on: the nodes belong to root unless a
// udev rule gives them to the user, and a node another program holds names that program.
//
// The sysfs folder and the way nodes are opened and queried can be replaced, so that the code
// runs over a fake sysfs tree and sockets standing in for device nodes.
#pragma once

#include <functional>

#include "platform/hid/HidrawDevice.h"
#include "platform/hid/IHidPlatform.h"

struct hidraw_devinfo;

class CHidrawPlatform : public IHidPlatform {
public:
    struct NodeAccess {
        // Opens the node at `path` for reading and writing without blocking; a descriptor or -1.
        std::function<int(const CString& path)> open;
        // Fills `info` from the open node; 0 on success, -1 with errno set otherwise.
        std::function<int(int fd, hidraw_devinfo* info)> rawInfo;
        // Writes one report to the open node as write(2) does; empty: write(2) itself.
        CHidrawDevice::WriteFn write;
    };

    static NodeAccess RealNodes();

    explicit CHidrawPlatform(CString sysfsRoot = "/sys/class/hidraw", CString deviceFolder = "/dev",
                             NodeAccess nodes = RealNodes());

    // Sorted by the node number (hidraw2 before hidraw10). Entries without a readable uevent
    // or HID_ID are left out; an unreadable or malformed descriptor gives report lengths 0.
    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<IHidDevice> Open(const CString& path, CString* failure) override;

private:
    // Reads the sysfs entry `name` ("hidraw3"); FALSE when it is not a usable HID entry.
    BOOL ReadEntry(const CString& name, HidDeviceInfo& info, BOOL& numbered) const;

    CString m_strSysfsRoot;
    CString m_strDeviceFolder;
    NodeAccess m_nodes;
};
