// The serial ports this machine has, in place of the Windows serial-port device map: the ttys
// that sysfs shows with hardware behind them, the devices that QUILLET_COMn variables name,
// and the devices registered in process (simulated boards in tests).
#pragma once

#include <vector>

#include "platform/base/CString.h"

class CSerialDeviceMap {
public:
    // Device paths ("/dev/ttyUSB0") and registered names ("COM1:"), each once, in no
    // particular order. Empty when the machine has no serial port.
    static std::vector<CString> Devices();

    // The hardware ttys listed below `ttyClassDir` (normally /sys/class/tty), as /dev paths:
    // those with a device link, except serial-core ports whose type is 0 (no UART answered at
    // the port's address: the kernel lists ttyS0..ttyS3 whether a chip is there or not).
    static std::vector<CString> HardwareTtys(const CString& ttyClassDir);
};
