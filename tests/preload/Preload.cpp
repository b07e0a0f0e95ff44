// Loaded with LD_PRELOAD into the system-call tests alone. ioctl() on the one pseudo-terminal or
// regular file named in the environment is answered as a UART's driver and ppdev answer it, so
// the real termios port and ppdev driver drive a simulated device; every other call, and every
// other request on that device, goes on to the C library.
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/stat.h>

#include "tests/preload/PreloadRecord.h"

namespace {

// The lines TIOCMSET and its kin may change: DTR, RTS, OUT1, OUT2 and LOOP (the last three
// are in the kernel's termios header, which clashes with the C library's).
const int kHostLines = TIOCM_DTR | TIOCM_RTS | 0x2000 | 0x4000 | 0x8000;
const int kDeviceLines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RI;
const unsigned char kControlBits = PARPORT_CONTROL_STROBE | PARPORT_CONTROL_AUTOFD | PARPORT_CONTROL_INIT |
                                   PARPORT_CONTROL_SELECT;
const unsigned char kDirectionBit = 0x20;

using IoctlFunction = int (*)(int, unsigned long, ...);

int RealIoctl(int fd, unsigned long request, void* argument)
{
    static IoctlFunction real = (IoctlFunction)dlsym(RTLD_NEXT, "ioctl");
    return real(fd, request, argument);
}

bool IsNamedDevice(int fd, const char* variable)
{
    const char* path = std::getenv(variable);
    struct stat named, opened;
    return path && *path && stat(path, &named) == 0 && fstat(fd, &opened) == 0 && named.st_dev == opened.st_dev &&
           named.st_ino == opened.st_ino;
}

// The kernel copies from and to user memory and says EFAULT for an address that cannot be one;
// a value passed where a pointer belongs is caught the same way here.
bool IsBadPointer(const void* argument)
{
    return (uintptr_t)argument < 4096;
}

template <class T>
int Get(void* argument, T& value)
{
    if (IsBadPointer(argument))
        return -EFAULT;
    std::memcpy(&value, argument, sizeof(value));
    return 0;
}

template <class T>
int Put(void* argument, T value)
{
    if (IsBadPointer(argument))
        return -EFAULT;
    std::memcpy(argument, &value, sizeof(value));
    return 0;
}

// 0 or -errno, as the serial core answers; `handled` false for a request the tty itself answers.
int AnswerTty(PreloadRecord& r, unsigned long request, void* argument, bool& handled)
{
    handled = true;
    int bits = 0;
    switch (request) {
    case TIOCMGET: return Put(argument, r.hostLines | r.deviceLines);
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC: {
        if (int error = Get(argument, bits))
            return error;
        int set = request == TIOCMBIC ? 0 : bits;
        int clear = request == TIOCMBIS ? 0 : request == TIOCMBIC ? bits : ~bits;
        r.hostLines = (r.hostLines & ~(clear & kHostLines)) | (set & kHostLines);
        return 0;
    }
    case TIOCSBRK:
    case TIOCCBRK:
        // The argument is not looked at.
        r.breakOn = request == TIOCSBRK;
        return 0;
    case TIOCGICOUNT: {
        serial_icounter_struct counts = {};
        counts.cts = r.ctsChanges;
        counts.dsr = r.dsrChanges;
        counts.rng = r.ringChanges;
        counts.dcd = r.carrierChanges;
        return Put(argument, counts);
    }
    default: handled = false; return 0;
    }
}

int ChangeCount(const PreloadRecord& r, int lines)
{
    return ((lines & TIOCM_CTS) ? r.ctsChanges : 0) + ((lines & TIOCM_DSR) ? r.dsrChanges : 0) +
           ((lines & TIOCM_RI) ? r.ringChanges : 0) + ((lines & TIOCM_CD) ? r.carrierChanges : 0);
}

// TIOCMIWAIT: sleeps until one of the lines in the mask (passed as the value) changes. The
// record is looked at every millisecond, without its lock held in between.
int WaitForLines(const char* path, unsigned long mask)
{
    int lines = (int)mask & kDeviceLines;
    int first = -1;
    for (;;) {
        int now = 0;
        if (!UpdatePreloadRecord(path, [&](PreloadRecord& r) {
                now = ChangeCount(r, lines);
                return false;
            }))
            return -EIO;
        if (first < 0)
            first = now;
        else if (now != first)
            return 0;
        poll(NULL, 0, 1);
    }
}

// 0 or -errno, as ppdev answers for a PC-style port; the requests the driver does not make are
// refused.
int AnswerParport(PreloadRecord& r, unsigned long request, void* argument)
{
    int value = 0;
    unsigned char reg = 0;
    // These are answered whether or not the port is claimed.
    switch (request) {
    case PPCLAIM:
        if (r.claimed)
            return -EINVAL;
        if (!r.registered) {
            if (r.exclusive && r.otherUser)
                return -ENXIO;
            r.registered = 1;
        }
        r.claimed = 1;
        return 0;
    case PPEXCL:
        // Too late once registered, unless it was asked for then.
        if (r.registered)
            return r.exclusive ? 0 : -EINVAL;
        r.exclusive = 1;
        return 0;
    case PPSETMODE:
        if (int error = Get(argument, value))
            return error;
        r.mode = value;
        return 0;
    case PPGETMODE: return Put(argument, r.mode);
    case PPGETMODES: return Put(argument, r.modes);
    default: break;
    }
    if (!r.claimed)
        return -EINVAL;
    switch (request) {
    case PPRELEASE: r.claimed = 0; return 0;
    case PPRSTATUS: return Put(argument, r.status);
    case PPRDATA: return Put(argument, r.reverse ? r.pins : r.data);
    case PPRCONTROL: return Put(argument, (unsigned char)(r.control & kControlBits));
    case PPWDATA:
        if (int error = Get(argument, reg))
            return error;
        r.data = reg;
        return 0;
    case PPWCONTROL:
        if (int error = Get(argument, reg))
            return error;
        // The PC port driver still honours the direction bit in a control write.
        if (reg & kDirectionBit)
            r.reverse = 1;
        r.control = reg & kControlBits;
        return 0;
    case PPDATADIR:
        if (int error = Get(argument, value))
            return error;
        r.reverse = value != 0;
        return 0;
    default: return -EINVAL;
    }
}

int Answer(int error)
{
    if (error == 0)
        return 0;
    errno = -error;
    return -1;
}

}  // namespace

extern "C" {

// Lets a test see that it runs under the library.
int quillet_preload_loaded()
{
    return 1;
}

int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);

    const char* record = std::getenv(kPreloadRecordVariable);
    if (!record || !*record)
        return RealIoctl(fd, request, argument);
    if (IsNamedDevice(fd, kPreloadTtyVariable)) {
        if (request == TIOCMIWAIT)
            return Answer(WaitForLines(record, (unsigned long)argument));
        bool handled = false;
        int result = 0;
        bool ok = UpdatePreloadRecord(record, [&](PreloadRecord& r) {
            result = AnswerTty(r, request, argument, handled);
            return handled && result == 0;
        });
        if (!handled)
            return RealIoctl(fd, request, argument);
        return Answer(ok ? result : -EIO);
    }
    if (IsNamedDevice(fd, kPreloadParportVariable) && _IOC_TYPE(request) == PP_IOCTL) {
        int result = 0;
        bool ok = UpdatePreloadRecord(record, [&](PreloadRecord& r) {
            result = AnswerParport(r, request, argument);
            return result == 0;
        });
        return Answer(ok ? result : -EIO);
    }
    return RealIoctl(fd, request, argument);
}

}  // extern "C"
