// What the system knows of one HID interface before and after opening it.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

struct HidDeviceInfo {
    // The device node to open ("/dev/hidraw3").
    CString path;
    WORD vendorId = 0;
    WORD productId = 0;
    // The USB serial-number string; hasSerial FALSE when the device reports none.
    BOOL hasSerial = FALSE;
    CString serial;
    // Whole-report lengths in bytes with the Windows convention: the longest report of the
    // kind plus one byte for the report id, also when the device does not number its
    // reports. 0 when the device has no report of the kind or its descriptor is unreadable.
    DWORD inputReportLength = 0;
    DWORD outputReportLength = 0;
};
