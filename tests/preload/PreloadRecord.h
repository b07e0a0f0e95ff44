// The state of the one device the preload library answers for, kept in a small file that the
// library and the test both read and write, each change under the file's lock: the library
// changes it as the kernel would for the host's requests, the test as the device at the far end
// of the lines. Shared by the library and the tests, so it uses nothing of the system's own.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

// The device answered for is named by path: a pseudo-terminal for the modem-line and break
// requests, a regular file for the ppdev requests. The record's file is named by the third.
inline const char kPreloadTtyVariable[] = "QUILLET_PRELOAD_TTY";
inline const char kPreloadParportVariable[] = "QUILLET_PRELOAD_PARPORT";
inline const char kPreloadRecordVariable[] = "QUILLET_PRELOAD_RECORD";

struct PreloadRecord {
    // Serial lines as TIOCM_* bits. A tty's driver raises DTR and RTS when it is opened.
    int hostLines = TIOCM_DTR | TIOCM_RTS;  // DTR, RTS, OUT1, OUT2, LOOP
    int deviceLines = 0;                    // CTS, DSR, CD, RI
    int breakOn = 0;
    // The driver's running counts of input-line transitions (TIOCGICOUNT).
    int ctsChanges = 0;
    int dsrChanges = 0;
    int ringChanges = 0;
    int carrierChanges = 0;

    // Parallel port registers.
    unsigned char data = 0;     // the host's data latch
    unsigned char pins = 0;     // what the device drives on the data lines while they are turned round
    unsigned char status = 0;   // the status register as read
    unsigned char control = 0;  // strobe, auto-feed, init, select-in
    int reverse = 0;            // data lines turned round to read the pins
    unsigned int modes = 0;     // what the port can do (PPGETMODES)
    int mode = 0;               // PPSETMODE
    // The opening's registration with the port: PPEXCL asks for it alone, the first PPCLAIM
    // registers, and a claim is held between PPCLAIM and PPRELEASE.
    int exclusive = 0;
    int registered = 0;
    int claimed = 0;
    // Another driver has the port registered, so an exclusive registration is refused.
    int otherUser = 0;
};

// Sets the lines the device drives, counting each one that changes as the driver would.
inline void DriveDeviceLines(PreloadRecord& record, int lines)
{
    int changed = record.deviceLines ^ lines;
    record.ctsChanges += (changed & TIOCM_CTS) ? 1 : 0;
    record.dsrChanges += (changed & TIOCM_DSR) ? 1 : 0;
    record.ringChanges += (changed & TIOCM_RI) ? 1 : 0;
    record.carrierChanges += (changed & TIOCM_CD) ? 1 : 0;
    record.deviceLines = lines;
}

// Runs `change` on the record in the file at `path` under the file's lock and writes the result
// back; an empty file reads as a fresh record. `change` returns whether to write. False when
// the file cannot be used.
template <class Change>
bool UpdatePreloadRecord(const char* path, Change change)
{
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = false;
    if (flock(fd, LOCK_EX) == 0) {
        PreloadRecord record;
        ssize_t got = pread(fd, &record, sizeof(record), 0);
        if (got == 0)
            record = PreloadRecord();
        if (got == 0 || got == (ssize_t)sizeof(record)) {
            ok = true;
            if (change(record))
                ok = pwrite(fd, &record, sizeof(record), 0) == (ssize_t)sizeof(record);
        }
    }
    close(fd);
    return ok;
}
