#include "platform/serial/LinuxSerialPort.h"
#include "platform/os/RetryIoctl.h"

#include <cerrno>
#include <chrono>
#include <climits>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

const int kDtrBit = TIOCM_DTR;
const int kRtsBit = TIOCM_RTS;

struct BaudCode {
    DWORD baud;
    speed_t code;
};

const BaudCode kBaudCodes[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
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

std::unique_ptr<CLinuxSerialPort> CLinuxSerialPort::Open(const CString& path)
{
    // Non-blocking: an open must not wait for a carrier, and the transfers wait in poll().
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return NULL;
    struct stat info;
    termios settings;
    bool usable = fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && tcgetattr(fd, &settings) == 0;
    if (!usable || flock(fd, LOCK_EX | LOCK_NB) != 0 || Ioctl(fd, TIOCEXCL, NULL) != 0) {
        close(fd);
        return NULL;
    }
    return std::unique_ptr<CLinuxSerialPort>(new CLinuxSerialPort(fd));
}

CLinuxSerialPort::CLinuxSerialPort(int fd) : m_fd(fd) {}

CLinuxSerialPort::~CLinuxSerialPort()
{
    // Output still queued behind a stopped handshake would hold close() for the driver's
    // closing wait (30 s by default); the transfers have already given up on it.
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

    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                          IXOFF | IXANY | INPCK);
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
    bool immediate = t.readInterval == MAXDWORD && t.readTotalConstant == 0 &&
                     t.readTotalMultiplier == 0;
    int64_t deadline = immediate ? NowMs() : Deadline(t.readTotalConstant, t.readTotalMultiplier, count);
    while (done < count) {
        int wait = Remaining(deadline);
        // The gap between bytes only counts once the first byte has come.
        if (done > 0 && t.readInterval != 0 && t.readInterval != MAXDWORD &&
            (wait < 0 || (DWORD)wait > t.readInterval))
            wait = (int)t.readInterval;
        pollfd entry = {m_fd, POLLIN, 0};
        int ready = poll(&entry, 1, wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return FALSE;
        }
        if (ready == 0)
            return TRUE;
        // An error or hang-up without data would wake poll() at once for ever.
        if (!(entry.revents & POLLIN))
            return FALSE;
        ssize_t got = read(m_fd, buffer + done, count - done);
        if (got > 0) {
            done += (DWORD)got;
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
        pollfd entry = {m_fd, POLLOUT, 0};
        int ready = poll(&entry, 1, Remaining(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return FALSE;
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
