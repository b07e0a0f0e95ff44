// A serial device living in this process (a simulated board or programmer) that answers to a
// port name in place of a real tty. Tests register one with CSerialPortRegistry.
#pragma once

#include <memory>

#include "platform/serial/ISerialPort.h"

class ISerialDevice {
public:
    virtual ~ISerialDevice() = default;
    // A new connection to the device, or NULL when the device refuses it (already in use).
    virtual std::unique_ptr<ISerialPort> Connect() = 0;
};
