// One open HID interface: whole reports out and in, each bounded by a time-out. Destroying the
// object closes the device.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/hid/HidDeviceInfo.h"

#ifndef INFINITE
#define INFINITE 0xFFFFFFFFu
#endif

// Outcome of one report transfer.
enum HidTransferResult {
    hidTransferError = -1,   // I/O error, short transfer, or the device has gone
    hidTransferTimeout = 0,  // nothing moved within the time-out
    hidTransferDone = 1,
};

class IHidDevice {
public:
    virtual ~IHidDevice() = default;

    // The interface as the open device reports it: vendor and product from the device
    // itself, the serial number and report lengths as at the time it was opened.
    virtual const HidDeviceInfo& GetInfo() const = 0;

    // Sends one output report of `length` bytes; `report[0]` is the report id (0 for a device
    // that does not number its reports) and the data follow it. `*written` receives the bytes
    // taken, the report id included. A device that does not take the report within
    // `timeoutMs` is a time-out, as is one the system gives up on first (USB gives a device
    // 5 s); INFINITE waits for the system's limit.
    virtual int WriteReport(const BYTE* report, DWORD length, DWORD timeoutMs, DWORD* written) = 0;

    // Receives the next input report into `report`, which has room for `length` bytes, in the
    // Windows layout: byte 0 the report id (0 for a device that does not number its reports),
    // then the data, padded with zeros to `length`. `*received` gets the bytes given back.
    virtual int ReadReport(BYTE* report, DWORD length, DWORD timeoutMs, DWORD* received) = 0;
};
