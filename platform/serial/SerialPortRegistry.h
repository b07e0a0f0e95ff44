// Maps the port names the system uses to serial devices and opens them.
//   "COMn:" (also "COMn", any case) -> $QUILLET_COMn when set, else /dev/ttyS<n-1>
//   "/any/absolute/path"          -> that path
// A device registered in process under a name takes precedence over any tty, and a path
// mapped in process takes precedence over the environment (tests point COM1: at a
// pseudo-terminal this way without touching the environment).
#pragma once

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/serial/ISerialDevice.h"

class CSerialPortRegistry {
public:
    // Opens `name` for exclusive use. NULL when the name maps to nothing, or the device is
    // missing, busy or not a serial port; CPortOpenFailure::GetLast() then tells which (an
    // in-process device that refuses the connection counts as busy). Destroying the result
    // closes the port.
    static std::unique_ptr<ISerialPort> Open(const CString& name);

    // The device path `name` maps to; empty when it maps to none.
    static CString DevicePath(const CString& name);

    // In-process devices. The registry does not own them; a device must be unregistered
    // before it is destroyed. Registering a name again replaces the earlier device.
    static void Register(const CString& name, ISerialDevice* device);
    static void Unregister(const CString& name, ISerialDevice* device);
    // The names of the devices registered now ("COM1:").
    static std::vector<CString> RegisteredNames();
    // Maps `name` to the tty at `path`; an empty path removes the mapping.
    static void MapPath(const CString& name, const CString& path);

private:
    static CString Key(const CString& name);
    static ISerialDevice* Find(const CString& name);
};
