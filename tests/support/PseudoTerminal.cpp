#include "tests/support/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

CPseudoTerminal::CPseudoTerminal()
{
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return;
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof(name)) != 0) {
        close(master);
        return;
    }
    m_slaveKeepAlive = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveKeepAlive < 0) {
        close(master);
        return;
    }
    m_master = master;
    m_slavePath = name;
}

CPseudoTerminal::~CPseudoTerminal()
{
    if (m_slaveKeepAlive >= 0)
        close(m_slaveKeepAlive);
    if (m_master >= 0)
        close(m_master);
}

bool CPseudoTerminal::Write(const BYTE* data, size_t length)
{
    size_t done = 0;
    while (done < length) {
        ssize_t put = write(m_master, data + done, length - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += (size_t)put;
    }
    return true;
}

bool CPseudoTerminal::Write(const std::string& text)
{
    return Write(reinterpret_cast<const BYTE*>(text.data()), text.size());
}

std::vector<BYTE> CPseudoTerminal::Read(size_t count, int timeoutMs)
{
    std::vector<BYTE> bytes;
    while (bytes.size() < count) {
        pollfd entry = {m_master, POLLIN, 0};
        int ready = poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        BYTE chunk[4096];
        size_t want = count - bytes.size() < sizeof(chunk) ? count - bytes.size() : sizeof(chunk);
        ssize_t got = read(m_master, chunk, want);
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return bytes;
}

std::vector<BYTE> CPseudoTerminal::ReadAvailable(size_t count, int timeoutMs)
{
    std::vector<BYTE> bytes;
    pollfd entry = {m_master, POLLIN, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || !(entry.revents & POLLIN))
        return bytes;
    bytes.resize(count);
    ssize_t got = read(m_master, bytes.data(), count);
    bytes.resize(got > 0 ? (size_t)got : 0);
    return bytes;
}

void CPseudoTerminal::Flush()
{
    if (m_master >= 0)
        tcflush(m_master, TCIOFLUSH);
    if (m_slaveKeepAlive >= 0)
        tcflush(m_slaveKeepAlive, TCIFLUSH);
}
