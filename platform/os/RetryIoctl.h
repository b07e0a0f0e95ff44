// ioctl restarted after a signal, for the device requests of the serial and parallel ports.
// `argument` is passed on as it is; requests that read a value write through it, so it is
// never a pointer to a constant.
#pragma once

#include <cerrno>
#include <sys/ioctl.h>

inline int Ioctl(int fd, unsigned long request, void* argument)
{
    int result;
    do {
        result = ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}
