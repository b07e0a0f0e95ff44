#include "platform/serial/LinuxSerialPort.h"
#include "platform/os/PortOpenFailure.h"
#include "platform/os/Poll.h"
#include "platform/os/RetryIoctl.h"
#include "platform/threads/Synchronization.h"
#include "platform/time/KeepAlive.h"

#include <cerrno>
#include <chrono>
#include <climits>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

const unsigned kTtySMajor = 4;
const unsigned kTtySFirstMinor = 64;

const int kDtrBit = TIOCM_DTR;
const int kRtsBit = TIOCM_RTS;

struct BaudCode {
    DWORD baud;
    speed_t code;
};

const BaudCode kBaudCodes[] = {
    {1200, B1200},   {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedCode(DWORD baud, speed_t& code)
{
    for (const BaudCode& entry : kBaudCodes) {
        if (entry.baud == baud) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

DWORD BaudOf(speed_t code)
{
    for (const BaudCode& entry : kBaudCodes) {
        if (entry.code == code)
            return entry.baud;
    }
    return 0;
}

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// -1 (no deadline) or the milliseconds left until `deadline`, never negative.
int Remaining(int64_t deadline)
{
    if (deadline < 0)
        return -1;
    int64_t left = deadline - NowMs();
    if (left <= 0)
        return 0;
    return left > INT_MAX ? INT_MAX : (int)left;
}

int64_t Deadline(DWORD constant, DWORD multiplier, DWORD count)
{
    if (constant == 0 && multiplier == 0)
        return -1;
    return NowMs() + (int64_t)constant + (int64_t)multiplier * count;
}

}  // namespace

CLinuxSerialPort::UartProbe CLinuxSerialPort::s_uartProbe = &CLinuxSerialPort::ProbeUart;

std::unique_ptr<CLinuxSerialPort> CLinuxSerialPort::Open(const CString& path)
{
    // Non-blocking: an open must not wait for a carrier, and the transfers wait in poll().
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // EBUSY at open: someone else set TIOCEXCL on the tty.
        CPortOpenFailure::SetLast(CPortOpenFailure::FromError(CPortOpenFailure::portSerial, path, errno,
                                                              "another program that opened it for exclusive use"));
        return NULL;
    }
    if (!IsTerminal(fd, path) || !HasUart(fd, path) || !Lock(fd, path)) {
        close(fd);
        return NULL;
    }
    return std::unique_ptr<CLinuxSerialPort>(new CLinuxSerialPort(fd));
}

BOOL CLinuxSerialPort::IsTerminal(int fd, const CString& path)
{
    struct stat info;
    termios settings;
    if (fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && tcgetattr(fd, &settings) == 0)
        return TRUE;
    CPortOpenFailure::SetLast(
        CPortOpenFailure(CPortOpenFailure::portSerial, CPortOpenFailure::kindWrongDevice, path, ENOTTY));
    return FALSE;
}

CLinuxSerialPort::UartProbe CLinuxSerialPort::InstallUartProbe(UartProbe probe)
{
    UartProbe previous = s_uartProbe;
    s_uartProbe = probe ? probe : &ProbeUart;
    return previous;
}

UartInfo CLinuxSerialPort::ProbeUart(int fd)
{
    UartInfo info;
    serial_struct serial = {};
    if (Ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        info.answered = TRUE;
        info.type = serial.type;
    }
    struct stat device;
    // ttyS0..ttyS191: major 4 from minor 64 on.
    info.ttyS = fstat(fd, &device) == 0 && major(device.st_rdev) == kTtySMajor &&
                minor(device.st_rdev) >= kTtySFirstMinor;
    return info;
}

BOOL CLinuxSerialPort::HasUart(int fd, const CString& path)
{
    UartInfo info = s_uartProbe(fd);
    // Only a ttyS port's type counts: USB CDC-ACM adapters answer TIOCGSERIAL without filling
    // the type in, and are real ports all the same.
    if (!info.answered || info.type != PORT_UNKNOWN || !info.ttyS)
        return TRUE;
    CPortOpenFailure::SetLast(
        CPortOpenFailure(CPortOpenFailure::portSerial, CPortOpenFailure::kindNoUart, path, ENODEV));
    return FALSE;
}

BOOL CLinuxSerialPort::Lock(int fd, const CString& path)
{
    // The lock keeps out another copy of the programmer (and programs that lock ports the same
    // way) also where TIOCEXCL does not, as for root.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const char* holder = "another copy of the programmer or a program that locked it";
        CPortOpenFailure::SetLast(CPortOpenFailure::FromError(CPortOpenFailure::portSerial, path, errno, holder));
        return FALSE;
    }
    if (Ioctl(fd, TIOCEXCL, NULL) != 0) {
        CPortOpenFailure::SetLast(CPortOpenFailure::FromError(CPortOpenFailure::portSerial, path, errno));
        return FALSE;
    }
    return TRUE;
}

CLinuxSerialPort::CLinuxSerialPort(int fd) : m_fd(fd) {}

CLinuxSerialPort::~CLinuxSerialPort()
{
    // Output still queued behind a stopped handshake would hold close() for the driver's
    // closing wait (30 s by default); the transfers have already given up on it. Only what the
    // driver itself still holds is dropped: a pseudo-terminal reports nothing queued, and its
    // flush would throw away bytes already delivered that the far end has not read yet.
    int queued = 0;
    if (Ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0)
        tcflush(m_fd, TCOFLUSH);
    // Whoever else keeps the tty open (a terminal, a simulator) must be able to reopen it.
    Ioctl(m_fd, TIOCNXCL, NULL);
    close(m_fd);
}

BOOL CLinuxSerialPort::GetState(SerialState& state)
{
    termios settings;
    if (tcgetattr(m_fd, &settings) != 0)
        return FALSE;
    state.baudRate = BaudOf(cfgetospeed(&settings));
    switch (settings.c_cflag & CSIZE) {
    case CS5: state.byteSize = 5; break;
    case CS6: state.byteSize = 6; break;
    case CS7: state.byteSize = 7; break;
    default: state.byteSize = 8; break;
    }
    if (!(settings.c_cflag & PARENB))
        state.parity = NOPARITY;
    else
        state.parity = (settings.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    state.stopBits = (settings.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    state.outxCtsFlow = (settings.c_cflag & CRTSCTS) ? TRUE : FALSE;
    state.dtrControl = m_dtrControl;
    state.rtsControl = (settings.c_cflag & CRTSCTS) ? RTS_CONTROL_HANDSHAKE : m_rtsControl;
    state.abortOnError = m_abortOnError;
    return TRUE;
}

BOOL CLinuxSerialPort::SetState(const SerialState& state)
{
    termios settings;
    speed_t speed;
    if (tcgetattr(m_fd, &settings) != 0 || !SpeedCode(state.baudRate, speed))
        return FALSE;
    if (state.byteSize < 5 || state.byteSize > 8 || state.parity > EVENPARITY ||
        (state.stopBits != ONESTOPBIT && state.stopBits != TWOSTOPBITS))
        return FALSE;

    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    settings.c_cflag |= kSizes[state.byteSize - 5] | CLOCAL | CREAD;
    if (state.parity != NOPARITY)
        settings.c_cflag |= PARENB | (state.parity == ODDPARITY ? PARODD : 0);
    if (state.stopBits == TWOSTOPBITS)
        settings.c_cflag |= CSTOPB;
    // Linux has one flag for both directions of the RTS/CTS handshake.
    if (state.outxCtsFlow || state.rtsControl == RTS_CONTROL_HANDSHAKE)
        settings.c_cflag |= CRTSCTS;
    // Reads never block in the kernel: poll() keeps the time.
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    if (tcsetattr(m_fd, TCSANOW, &settings) != 0)
        return FALSE;

    // The Windows mode that stops all I/O after a line error has no Linux counterpart: Linux
    // reports line errors per byte and never stops the port, so abortOnError is only remembered.
    m_abortOnError = state.abortOnError;
    m_dtrControl = state.dtrControl;
    m_rtsControl = state.rtsControl;
    ApplyLineControl(state);
    return TRUE;
}

void CLinuxSerialPort::ApplyLineControl(const SerialState& state)
{
    // Best effort: a pseudo-terminal has no modem lines and the settings must still hold there.
    SetModemBits(kDtrBit, state.dtrControl != DTR_CONTROL_DISABLE);
    // Under the handshake too: CRTSCTS only drops RTS while the input is full and raises it
    // again after, so RTS left low by an earlier handshake-off setting would stop the far side
    // for good.
    SetModemBits(kRtsBit, state.rtsControl != RTS_CONTROL_DISABLE);
}

BOOL CLinuxSerialPort::SetTimeouts(const SerialTimeouts& timeouts)
{
    m_timeouts = timeouts;
    return TRUE;
}

BOOL CLinuxSerialPort::ClearError()
{
    // Line errors are not latched on Linux, so there is nothing to clear.
    return TRUE;
}

BOOL CLinuxSerialPort::SetBreak(BOOL on)
{
    return Ioctl(m_fd, on ? TIOCSBRK : TIOCCBRK, NULL) == 0;
}

BOOL CLinuxSerialPort::Read(BYTE* buffer, DWORD count, DWORD& done)
{
    done = 0;
    if (count == 0)
        return TRUE;
    if (!buffer)
        return FALSE;
    const SerialTimeouts& t = m_timeouts;
    // Windows: interval MAXDWORD with no totals returns at once with what has arrived.
    bool immediate = t.readInterval == MAXDWORD && t.readTotalConstant == 0 && t.readTotalMultiplier == 0;
    int64_t deadline = immediate ? NowMs() : Deadline(t.readTotalConstant, t.readTotalMultiplier, count);
    while (done < count) {
        int wait = Remaining(deadline);
        // The gap between bytes only counts once the first byte has come.
        bool gapBound = done > 0 && t.readInterval != 0 && t.readInterval != MAXDWORD &&
                        (wait < 0 || (DWORD)wait > t.readInterval);
        if (gapBound)
            wait = (int)t.readInterval;
        // A long wait for the deadline goes in slices with the window kept alive between
        // them; a gap wait is measured from the last byte, so it is not cut.
        int slice = gapBound ? wait : KeepAliveSlice(wait);
        pollfd entry = {m_fd, POLLIN, 0};
        int ready = poll(&entry, 1, slice);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return FALSE;
        }
        if (ready == 0 && slice != wait) {
            KeepAliveNow();
            continue;
        }
        if (ready == 0)
            return TRUE;
        // An error or hang-up without data would wake poll() at once for ever.
        if (!(entry.revents & POLLIN))
            return FALSE;
        ssize_t got = read(m_fd, buffer + done, count - done);
        if (got > 0) {
            done += (DWORD)got;
            if (m_bRxReported.exchange(false))
                m_rxRearm.Set();
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        // End of file or an error: the device has gone (a hung-up pty, an unplugged adapter).
        return FALSE;
    }
    return TRUE;
}

BOOL CLinuxSerialPort::Write(const BYTE* buffer, DWORD count, DWORD& done)
{
    done = 0;
    if (count == 0)
        return TRUE;
    if (!buffer)
        return FALSE;
    int64_t deadline = Deadline(m_timeouts.writeTotalConstant, m_timeouts.writeTotalMultiplier, count);
    while (done < count) {
        int wait = Remaining(deadline);
        int slice = KeepAliveSlice(wait);
        pollfd entry = {m_fd, POLLOUT, 0};
        int ready = poll(&entry, 1, slice);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return FALSE;
        }
        if (ready == 0 && slice != wait) {
            KeepAliveNow();
            continue;
        }
        if (ready == 0)
            break;
        if (entry.revents & (POLLERR | POLLHUP | POLLNVAL))
            return FALSE;
        ssize_t put = write(m_fd, buffer + done, count - done);
        if (put > 0)
            done += (DWORD)put;
        else if (put < 0 && errno != EAGAIN && errno != EINTR)
            return FALSE;
    }
    // A Windows write completes when the bytes have left, and bytes that a stopped handshake
    // holds back at the deadline are dropped, not sent later; the same here.
    DWORD queued = DrainOutput(deadline);
    if (queued > 0) {
        tcflush(m_fd, TCOFLUSH);
        done = queued > done ? 0 : done - queued;
    }
    return TRUE;
}

DWORD CLinuxSerialPort::DrainOutput(int64_t deadline)
{
    for (;;) {
        int queued = 0;
        if (Ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return 0;
        int wait = Remaining(deadline);
        if (wait == 0)
            return (DWORD)queued;
        // A handshake that holds the bytes back keeps this going until the deadline.
        KeepAlive();
        // A millisecond is two bytes at 19200 baud: short enough not to slow a transfer.
        poll(NULL, 0, wait < 0 || wait > 1 ? 1 : wait);
    }
}

BOOL CLinuxSerialPort::SetModemBits(int bits, BOOL on)
{
    return Ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

BOOL CLinuxSerialPort::EscapeFunction(DWORD function)
{
    switch (function) {
    case SETDTR: return SetModemBits(kDtrBit, TRUE);
    case CLRDTR: return SetModemBits(kDtrBit, FALSE);
    case SETRTS: return SetModemBits(kRtsBit, TRUE);
    case CLRRTS: return SetModemBits(kRtsBit, FALSE);
    default: return FALSE;
    }
}

BOOL CLinuxSerialPort::GetModemStatus(DWORD& status)
{
    int bits = 0;
    if (Ioctl(m_fd, TIOCMGET, &bits) != 0)
        return FALSE;
    status = ((bits & TIOCM_CTS) ? MS_CTS_ON : 0) | ((bits & TIOCM_DSR) ? MS_DSR_ON : 0) |
             ((bits & TIOCM_RI) ? MS_RING_ON : 0) | ((bits & TIOCM_CD) ? MS_RLSD_ON : 0);
    return TRUE;
}

BOOL CLinuxSerialPort::WaitEvent(DWORD eventMask)
{
    int bits = ((eventMask & EV_CTS) ? TIOCM_CTS : 0) | ((eventMask & EV_DSR) ? TIOCM_DSR : 0) |
               ((eventMask & EV_RLSD) ? TIOCM_CD : 0);
    if (bits == 0)
        return FALSE;
    // TIOCMIWAIT sleeps in the driver until a line changes.
    int result;
    do {
        result = ioctl(m_fd, TIOCMIWAIT, (unsigned long)bits);
    } while (result < 0 && errno == EINTR);
    if (result == 0)
        return TRUE;
    if (errno == ENOTTY || errno == EINVAL)
        return PollModemChange(bits);
    return FALSE;
}

BOOL CLinuxSerialPort::PollModemChange(int bits)
{
    // Drivers without TIOCMIWAIT: sample the lines a hundred times a second.
    int first = 0;
    if (Ioctl(m_fd, TIOCMGET, &first) != 0)
        return FALSE;
    for (;;) {
        poll(NULL, 0, 10);
        int now = 0;
        if (Ioctl(m_fd, TIOCMGET, &now) != 0)
            return FALSE;
        if ((now ^ first) & bits)
            return TRUE;
    }
}

BOOL CLinuxSerialPort::ReadCarrier(BOOL& on)
{
    int bits = 0;
    if (Ioctl(m_fd, TIOCMGET, &bits) != 0)
        return FALSE;
    on = (bits & TIOCM_CD) ? TRUE : FALSE;
    return TRUE;
}

BOOL CLinuxSerialPort::ReadCarrierTransitions(DWORD& count)
{
    // Answered by most drivers, but a PC UART counts only while it takes modem-status
    // interrupts, which it does not with CLOCAL set: the sampler then goes by the level.
    serial_icounter_struct counts = {};
    if (Ioctl(m_fd, TIOCGICOUNT, &counts) != 0)
        return FALSE;
    count = (DWORD)counts.dcd;
    return TRUE;
}

BOOL CLinuxSerialPort::SetCommMask(DWORD eventMask)
{
    if (eventMask & ~(DWORD)(EV_RXCHAR | EV_RLSD))
        return FALSE;
    if ((eventMask & EV_RLSD) && !m_carrier.Start(*this))
        return FALSE;
    m_commMask = eventMask;
    return TRUE;
}

int CLinuxSerialPort::WaitCommEvent(DWORD& events, HANDLE stop)
{
    events = 0;
    if (m_commMask == 0)
        return serialWaitFailed;
    const bool watchCarrier = (m_commMask & EV_RLSD) != 0;
    const bool watchInput = (m_commMask & EV_RXCHAR) != 0;
    int quietSamples = 0;
    for (;;) {
        if (watchCarrier) {
            BOOL changed = FALSE;
            if (!m_carrier.Sample(*this, changed))
                return serialWaitFailed;
            if (changed)
                events |= EV_RLSD;
        }
        if (events)
            return serialWaitDone;
        // A negative descriptor is skipped by poll(): input already reported is not looked at
        // again until a Read has taken some.
        pollfd entries[3] = {
            {EventDescriptor(stop), POLLIN, 0},
            {m_rxRearm.Descriptor(), POLLIN, 0},
            {watchInput && !m_bRxReported.load() ? m_fd : -1, POLLIN, 0},
        };
        int wait = watchCarrier ? (quietSamples < 100 ? 1 : 10) : -1;
        int ready = PollRestarting(entries, 3, wait);
        if (ready < 0)
            return serialWaitFailed;
        if (entries[0].revents & POLLIN)
            return serialWaitStopped;
        if (entries[1].revents & POLLIN)
            m_rxRearm.TryTake();
        if (entries[2].revents & POLLIN) {
            m_bRxReported.store(true);
            events |= EV_RXCHAR;
        } else if (entries[2].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            return serialWaitFailed;
        }
        if (ready == 0)
            ++quietSamples;
    }
}

int CLinuxSerialPort::WriteUntilStopped(const BYTE* buffer, DWORD count, DWORD& done, HANDLE stop)
{
    done = 0;
    if (count > 0 && !buffer)
        return serialWaitFailed;
    while (done < count) {
        pollfd entries[2] = {{EventDescriptor(stop), POLLIN, 0}, {m_fd, POLLOUT, 0}};
        if (PollRestarting(entries, 2, -1) < 0)
            return serialWaitFailed;
        if (entries[0].revents & POLLIN)
            return serialWaitStopped;
        if (entries[1].revents & (POLLERR | POLLHUP | POLLNVAL))
            return serialWaitFailed;
        ssize_t put = write(m_fd, buffer + done, count - done);
        if (put > 0)
            done += (DWORD)put;
        else if (put < 0 && errno != EAGAIN && errno != EINTR)
            return serialWaitFailed;
    }
    return serialWaitDone;
}
