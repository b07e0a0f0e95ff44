// LPT1 and its driver in the test process: installed as the parallel-port driver for its
// lifetime. It keeps the registers (data latch, status, control, extended control), models the
// data pins (driven by the host's latch, or by the device once control bit 5 turns the port
// around in byte mode), logs every request, and can be told to fail the ways a real driver
// does. A simulated device hangs off OnWrite and SetDevicePins.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/parallel/ParallelDriverFactory.h"

class CFakeParallelPort {
public:
    struct Request {
        enum Kind { Open, Version, Claim, Release, Write, Read, Close } kind;
        DWORD port;    // Write and Read
        BYTE value;    // the byte written or read
        bool granted;  // the driver carried the request out
    };
    using WriteObserver = std::function<void(DWORD port, BYTE value)>;

    CFakeParallelPort();
    ~CFakeParallelPort();
    CFakeParallelPort(const CFakeParallelPort&) = delete;
    CFakeParallelPort& operator=(const CFakeParallelPort&) = delete;

    // How the driver behaves.
    void SetPresent(bool present);         // false: the device does not open
    void SetVersion(DWORD version);        // 501 by default
    void SetHeldElsewhere(bool held);      // another program has the port: claims refused
    void SetRefuseTransfers(bool refuse);  // register reads and writes fail
    void SetLogging(bool on);              // on by default

    // The port as the device and the tests see it.
    void SetControl(BYTE value);  // the control register's power-up value
    void SetStatus(BYTE value);
    void SetDevicePins(BYTE value);  // what the device drives onto the data pins
    BYTE Control() const;
    BYTE DataLatch() const;
    BYTE ExtendedControl() const;
    bool HostReadsPins() const;  // bit 5 set in byte mode: the pins are the device's
    BYTE DataPins() const;

    int OpenConnections() const;
    bool IsClaimed() const;
    const std::vector<Request>& Log() const;
    // The values written to `port`, in order.
    std::vector<BYTE> WritesTo(DWORD port) const;
    void ClearLog();

    // Runs after every register write the driver carried out.
    void OnWrite(WriteObserver observer);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    CParallelDriverFactory::Opener m_previous;
};
