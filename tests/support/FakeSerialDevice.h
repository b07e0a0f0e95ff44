// A serial device in the test process that answers to a port name ("COM1:" or a path) in
// place of a tty. It keeps the modem lines as a cable would: the host drives DTR, RTS and
// break; the device drives CTS, DSR, DCD and RI and sends bytes. Simulators hang off the
// observers (a PIC programmer watches DTR/RTS and answers on CTS). Time-outs of the host's
// reads and writes pass on the installed clock, so a virtual clock makes them free. The
// stop-aware waits (WaitCommEvent, WriteUntilStopped) wake on the device's changes at once,
// without sampling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/base/CString.h"
#include "platform/serial/ISerialDevice.h"

class CFakeSerialDevice : public ISerialDevice {
public:
    using LineObserver = std::function<void(bool dtr, bool rts)>;
    using ByteObserver = std::function<void(const BYTE* data, size_t length)>;

    // Registers the device under `name`; the destructor unregisters it.
    explicit CFakeSerialDevice(const CString& name = "COM1:");
    ~CFakeSerialDevice() override;
    CFakeSerialDevice(const CFakeSerialDevice&) = delete;
    CFakeSerialDevice& operator=(const CFakeSerialDevice&) = delete;

    // One connection at a time, as with an exclusively opened port.
    std::unique_ptr<ISerialPort> Connect() override;

    // What the host did.
    bool IsOpen() const;
    int ConnectCount() const;
    bool Dtr() const;
    bool Rts() const;
    bool Break() const;
    bool BreakHeldAtClose() const;  // break still on when the host last closed the port
    SerialState State() const;
    SerialTimeouts Timeouts() const;
    std::vector<BYTE> Received() const;
    void ClearReceived();
    uint64_t LineChanges() const;  // modem-control requests served
    uint64_t StatusReads() const;  // modem-status requests served

    // What the device does.
    bool Carrier() const;
    void SetCts(bool on);
    void SetDsr(bool on);
    void SetCarrier(bool on);
    void SetRing(bool on);
    // Bytes for the host, available at once or `delayMs` from now on the installed clock.
    void Send(const BYTE* data, size_t length, DWORD delayMs = 0);
    void Send(std::string_view text, DWORD delayMs = 0);

    // Observers run on the host's thread inside its port call with no lock held, so they may
    // set lines and send. Install them before the host opens the port.
    void OnLinesChanged(LineObserver observer);
    void OnReceived(ByteObserver observer);

    // Faults.
    void SetModemLinesWork(bool work);   // false: line calls fail, as on a pseudo-terminal
    void SetBusy(bool busy);             // Connect refuses: another program has the port
    void SetStateWorks(bool works);      // false: not a serial port, settings fail
    void SetReceiveLimit(size_t bytes);  // the device stops taking bytes after this many
    // The stop-aware write that would bring the `byte`-th received byte (counting from 1 over
    // all received) waits `realMs` of real time first; a stop meanwhile ends it with nothing
    // taken, as a line held up at that moment does.
    void HoldWrite(size_t byte, DWORD realMs);
    // The cable is pulled (true): every call on the open connection fails from now on, waits
    // in progress end in failure, and new connections are refused until it is plugged back.
    void SetDisconnected(bool disconnected);

    struct Shared;

private:
    CString m_name;
    std::shared_ptr<Shared> m_shared;
};
