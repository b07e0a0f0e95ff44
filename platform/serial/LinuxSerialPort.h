// A Linux tty as an ISerialPort: raw termios, RTS/CTS through CRTSCTS, modem lines through the
// TIOCM ioctls, held break through TIOCSBRK/TIOCCBRK, and the Windows time-outs emulated with
// poll() deadlines on the monotonic clock. Waits are real time: a tty does not follow a test's
// virtual clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/base/CString.h"
#include "platform/serial/CarrierSampler.h"
#include "platform/serial/ISerialPort.h"
#include "platform/threads/Event.h"

// What TIOCGSERIAL says about the UART behind a tty.
struct UartInfo {
    BOOL answered = FALSE;  // the driver answers TIOCGSERIAL (pseudo-terminals do not)
    int type = 0;           // PORT_* of <linux/serial.h>; PORT_UNKNOWN (0) when no UART was found
    BOOL ttyS = FALSE;      // the device is a ttyS port of the PC serial driver
};

class CLinuxSerialPort : public ISerialPort, private ICarrierLine {
public:
    using UartProbe = UartInfo (*)(int fd);
    // Opens `path` for exclusive use (TIOCEXCL plus an flock, so a second copy of the program
    // cannot share it). NULL when the path is missing, busy, or not a terminal device; the
    // reason is then CPortOpenFailure::GetLast().
    // A ttyS port whose UART was not found (most PCs have ttyS0..ttyS3 whether or not a UART
    // is there) fails too: it would open and swallow every byte.
    static std::unique_ptr<CLinuxSerialPort> Open(const CString& path);
    // The UART query Open makes; tests install a double (NULL restores the real one) and get
    // the one it replaces.
    static UartProbe InstallUartProbe(UartProbe probe);
    static UartInfo ProbeUart(int fd);
    ~CLinuxSerialPort() override;
    CLinuxSerialPort(const CLinuxSerialPort&) = delete;
    CLinuxSerialPort& operator=(const CLinuxSerialPort&) = delete;

    BOOL GetState(SerialState& state) override;
    BOOL SetState(const SerialState& state) override;
    BOOL SetTimeouts(const SerialTimeouts& timeouts) override;
    BOOL ClearError() override;
    BOOL SetBreak(BOOL on) override;
    BOOL Read(BYTE* buffer, DWORD count, DWORD& done) override;
    BOOL Write(const BYTE* buffer, DWORD count, DWORD& done) override;
    BOOL EscapeFunction(DWORD function) override;
    BOOL GetModemStatus(DWORD& status) override;
    BOOL WaitEvent(DWORD eventMask) override;
    // The carrier-detect line is sampled while poll() waits (every millisecond, every ten
    // after a tenth of a second without change), not waited for with TIOCMIWAIT, which a stop
    // cannot end. The driver's change counter, where it keeps one, catches a toggle between
    // two samples; CCarrierSampler reports each change once.
    BOOL SetCommMask(DWORD eventMask) override;
    int WaitCommEvent(DWORD& events, HANDLE stop) override;
    int WriteUntilStopped(const BYTE* buffer, DWORD count, DWORD& done, HANDLE stop) override;

private:
    explicit CLinuxSerialPort(int fd);
    static BOOL IsTerminal(int fd, const CString& path);
    static BOOL Lock(int fd, const CString& path);
    static BOOL HasUart(int fd, const CString& path);
    BOOL SetModemBits(int bits, BOOL on);
    void ApplyLineControl(const SerialState& state);
    // Waits for the transmitter to empty, at most until `deadline`; returns the bytes still
    // queued (0 when all went out or the driver cannot tell).
    DWORD DrainOutput(int64_t deadline);
    BOOL PollModemChange(int bits);
    // TIOCMGET and TIOCGICOUNT.
    BOOL ReadCarrier(BOOL& on) override;
    BOOL ReadCarrierTransitions(DWORD& count) override;

    static UartProbe s_uartProbe;

    int m_fd;
    SerialTimeouts m_timeouts;
    BYTE m_dtrControl = DTR_CONTROL_ENABLE;  // Linux raises DTR and RTS when a tty opens
    BYTE m_rtsControl = RTS_CONTROL_ENABLE;
    BOOL m_abortOnError = FALSE;

    DWORD m_commMask = 0;
    CCarrierSampler m_carrier;
    // Bytes were reported and no Read has taken any since; Read sets m_rxRearm to let a
    // waiting WaitCommEvent look at the input again.
    std::atomic<bool> m_bRxReported{false};
    CEvent m_rxRearm{FALSE, FALSE};
};
