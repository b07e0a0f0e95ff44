// ioctl restarted after a signal, for the device requests of the serial and parallel ports.
// `argument` is passed on as it is; requests that read a value write through it.
#pragma once

#include <cerrno>
#include <sys/ioctl.h>

inline int Ioctl(int fd, unsigned long request, const void* argument)
{
    int result;
    do {
        result = ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}
