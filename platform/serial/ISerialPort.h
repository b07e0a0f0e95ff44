// One open serial port as the port object uses it: line settings, Windows-style time-outs,
// byte transfers, modem lines and break. The Linux implementation drives a tty through termios
// and ioctl; tests connect the same interface to a simulated device in the same process.
#pragma once

#include "platform/base/WinTypes.h"

// Parity, stop-bit and line-control codes keep their Windows values, since the port object
// passes them through unchanged.
#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define ONESTOPBIT 0
#define TWOSTOPBITS 2

#define DTR_CONTROL_DISABLE 0x00
#define DTR_CONTROL_ENABLE 0x01
#define RTS_CONTROL_DISABLE 0x00
#define RTS_CONTROL_ENABLE 0x01
#define RTS_CONTROL_HANDSHAKE 0x02

// Modem-control requests (EscapeFunction).
#define SETRTS 3
#define CLRRTS 4
#define SETDTR 5
#define CLRDTR 6

// Modem-status bits (GetModemStatus).
#define MS_CTS_ON 0x0010
#define MS_DSR_ON 0x0020
#define MS_RING_ON 0x0040
#define MS_RLSD_ON 0x0080

// Events a port can wait for (WaitEvent; EV_RXCHAR and EV_RLSD also WaitCommEvent).
#define EV_RXCHAR 0x0001
#define EV_CTS 0x0008
#define EV_DSR 0x0010
#define EV_RLSD 0x0020

#define MAXDWORD 0xffffffffu

// Outcome of a serial wait that a stop event can end.
enum SerialWaitResult : int {
    serialWaitDone = 0,
    serialWaitStopped = 1,  // the stop event was signalled first
    serialWaitFailed = 2,   // the port failed (gone, or it cannot watch what was asked)
};

// The part of the Windows device-control block that the system sets.
struct SerialState {
    DWORD baudRate = 9600;
    BYTE byteSize = 8;
    BYTE parity = NOPARITY;
    BYTE stopBits = ONESTOPBIT;
    BOOL outxCtsFlow = FALSE;
    BYTE dtrControl = DTR_CONTROL_ENABLE;
    BYTE rtsControl = RTS_CONTROL_ENABLE;
    // Windows stops all I/O after a line error until the error is cleared. Linux has no such
    // mode: the flag is carried for the record and ignored.
    BOOL abortOnError = FALSE;
};

// Windows time-out fields, in milliseconds. A read of n bytes ends after
// readTotalConstant + n * readTotalMultiplier in all, or when more than readInterval passes
// between two bytes once the first has come; zero fields are not used.
struct SerialTimeouts {
    DWORD readInterval = 0;
    DWORD readTotalMultiplier = 0;
    DWORD readTotalConstant = 0;
    DWORD writeTotalMultiplier = 0;
    DWORD writeTotalConstant = 0;
};

class ISerialPort {
public:
    // Destroying the object closes the port.
    virtual ~ISerialPort() = default;

    virtual BOOL GetState(SerialState& state) = 0;
    virtual BOOL SetState(const SerialState& state) = 0;
    virtual BOOL SetTimeouts(const SerialTimeouts& timeouts) = 0;
    // Clears pending line errors.
    virtual BOOL ClearError() = 0;
    // Holds the transmit line in the break state (TRUE) or releases it (FALSE).
    virtual BOOL SetBreak(BOOL on) = 0;

    // Synchronous transfers bounded by the time-outs. `done` is the number of bytes moved;
    // a time-out is not a failure (TRUE with a short count), a broken port is (FALSE).
    virtual BOOL Read(BYTE* buffer, DWORD count, DWORD& done) = 0;
    virtual BOOL Write(const BYTE* buffer, DWORD count, DWORD& done) = 0;

    // One modem-control change (SETDTR, CLRDTR, SETRTS, CLRRTS). Line operations run at high
    // rates, so an implementation spends one system call here and allocates nothing.
    virtual BOOL EscapeFunction(DWORD function) = 0;
    // The MS_* bits of the modem-status lines; one system call, no allocation.
    virtual BOOL GetModemStatus(DWORD& status) = 0;
    // Blocks, without spinning, until a line in `eventMask` (EV_*) changes.
    virtual BOOL WaitEvent(DWORD eventMask) = 0;

    // Waits for worker threads that must end when told to: each returns serialWaitStopped
    // once the event `stop` (platform/threads/Synchronization.h) is signalled, so no thread
    // blocked here needs to be killed. A port that does not offer them fails them.
    //
    // Chooses what WaitCommEvent reports (EV_RXCHAR, EV_RLSD) and takes the line states that
    // later changes are measured against. FALSE when the port cannot watch them.
    virtual BOOL SetCommMask(DWORD eventMask)
    {
        (void)eventMask;
        return FALSE;
    }
    // Blocks until something of the mask happens and puts it into `events`: EV_RXCHAR when
    // bytes wait that have not been reported since a Read last took bytes (so a byte left
    // unread is reported once, not over and over); EV_RLSD when the carrier-detect line has
    // changed since SetCommMask or since it was last reported. Only one thread may wait here.
    virtual int WaitCommEvent(DWORD& events, HANDLE stop)
    {
        (void)stop;
        events = 0;
        return serialWaitFailed;
    }
    // Hands all `count` bytes to the line, waiting without a time-out for room. `done` is the
    // number handed over, also when stopped or failed.
    virtual int WriteUntilStopped(const BYTE* buffer, DWORD count, DWORD& done, HANDLE stop)
    {
        (void)buffer;
        (void)count;
        (void)stop;
        done = 0;
        return serialWaitFailed;
    }
};
