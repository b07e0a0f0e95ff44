// Why the last opening of a port failed, kept per thread as Win32 keeps its last error. The
// port object reports only FALSE and its callers word their own outcome texts ("Unable to open
// specified communications port"); the window that shows such a text asks here for the device
// and the reason, so the user learns what to do about it. Every opening clears the record
// first; only a failure sets it.
#pragma once

#include "platform/base/CString.h"

class CPortOpenFailure {
public:
    enum Kind {
        kindNone,
        kindNoDevice,         // no such device (or no hardware behind a device node)
        kindNoAccess,         // permission denied
        kindBusy,             // another program or driver holds it
        kindWrongDevice,      // not a serial port / not a parallel port
        kindNoUart,           // a ttyS node whose UART does not exist
        kindSettingsRefused,  // opened, but it does not take the serial settings
        kindOther,            // any other errno
    };
    enum Port { portSerial, portParallel };

    CPortOpenFailure() = default;
    CPortOpenFailure(Port port, Kind kind, const CString& device, int error = 0);

    // The failure of opening or claiming `device` with `error` (an errno value), completed
    // from the system: the group that grants access when permission is denied, the process
    // that holds the device when it is busy (`holder` names the kind of holder when no process
    // can be seen).
    static CPortOpenFailure FromError(Port port, const CString& device, int error, const char* holder = "");
    static Kind KindOfError(int error);

    BOOL IsSet() const { return m_nKind != kindNone; }
    // One line for the user: the device and the reason in words that say what to do.
    CString Describe() const;

    Port m_nPort = portSerial;
    Kind m_nKind = kindNone;
    CString m_strDevice;    // the device path (or the name of an in-process device)
    CString m_strPortName;  // "COM1:" when the caller knows it; names the override variable
    int m_nError = 0;       // errno; 0 when none applies
    CString m_strHolder;    // who holds a busy device, read after "in use by"
    CString m_strGroup;     // the group that grants access to the device
    // "owner root, group root, mode 0600" when no group but root's may open the node, so
    // joining a group cannot help; empty otherwise.
    CString m_strNodeAccess;

    static void SetLast(const CPortOpenFailure& failure);
    static void ClearLast();
    static const CPortOpenFailure& GetLast();
    // Puts the port name the user chose into the last failure (the platform knows the path).
    static void SetLastPortName(const CString& name);

    // Another process that has `path` open, as "picocom (process 812)"; empty when no process
    // this user may inspect has it.
    static CString FindHolder(const CString& path);
    // The group of `path` when that group may read and write it and is not root; else `fallback`.
    static CString AccessGroup(const CString& path, const char* fallback);
    // Owner, group and mode of `path` when it exists and no group other than root's may read
    // and write it; else empty.
    static CString RootOnlyAccess(const CString& path);
};
