// A pseudo-terminal for tests: the host opens SlavePath() as its serial port through the real
// termios code, and the test plays the device on the master side. The slave is kept open in
// between so that the host closing its port does not hang the terminal up.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/base/WinTypes.h"

class CPseudoTerminal {
public:
    CPseudoTerminal();
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    bool IsOpen() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Device side. Write sends everything or returns false; Read collects up to `count` bytes,
    // waiting at most `timeoutMs` (real time) for each.
    bool Write(const BYTE* data, size_t length);
    bool Write(const std::string& text);
    std::vector<BYTE> Read(size_t count, int timeoutMs);
    // Waits at most `timeoutMs` (real time) for input, then returns what has arrived, up to
    // `count` bytes, without waiting for more: for devices that answer as bytes come.
    std::vector<BYTE> ReadAvailable(size_t count, int timeoutMs);
    // Drops what either side has sent and the other has not read yet.
    void Flush();

private:
    int m_master = -1;
    int m_slaveKeepAlive = -1;
    std::string m_slavePath;
};
