// The reader works on C runtime file streams and seeks them, also beyond their end, so each
// fuzz input is put into one in-memory file (memfd) that behaves like a file on disk, rather
// than into a memory stream with its own seek rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

// A fresh stream per input: a stream kept from the last one could serve a seek back from
// what it had buffered of the old bytes.
inline FILE* FuzzStream(const uint8_t* data, size_t size)
{
    static int fd = memfd_create("fuzz_coff", 0);
    static FILE* stream = NULL;
    if (stream)
        fclose(stream);
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size && pwrite(fd, data, size, 0) != (ssize_t)size))
        abort();
    stream = fdopen(dup(fd), "rb");
    if (!stream)
        abort();
    return stream;
}

inline void Require(bool condition)
{
    if (!condition)
        abort();
}
