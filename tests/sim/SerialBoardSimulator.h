// The line to a simulated Tessar board. The board runs on the far side of a pseudo-terminal on
// a thread of its own, so that the host's real serial code drives it; or behind an in-process
// serial device, answering inside the host's writes, so that the host's read time-outs pass on
// the installed (virtual) clock. The protocol lives in the subclass, which sees one received
// byte at a time and answers through Send. Every byte taken is recorded. The fault every board
// can show: the line goes silent after a given number of bytes (taken, never answered).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/base/WinTypes.h"

class CFakeSerialDevice;
class CPseudoTerminal;

class CSerialBoardSimulator {
public:
    CSerialBoardSimulator();
    // Subclasses call Stop() in their own destructors, before their protocol state goes.
    virtual ~CSerialBoardSimulator();
    CSerialBoardSimulator(const CSerialBoardSimulator&) = delete;
    CSerialBoardSimulator& operator=(const CSerialBoardSimulator&) = delete;

    // Opens a pseudo-terminal and starts the board's thread; FALSE when no pty could be had.
    bool Start();
    // Serves `device` instead; call before the host opens the port.
    void Attach(CFakeSerialDevice& device);
    void Stop();
    // The pty's slave side, which the host opens as its serial port.
    const std::string& PortPath() const { return m_portPath; }

    // Back to waiting for a command: nothing received, nothing left in the line, no silence.
    void Reset();
    // From byte `bytes` of the run on, the board answers nothing.
    void GoSilentAfter(size_t bytes);
    // Every byte taken since the last Reset, as text.
    std::string Received() const;

protected:
    using Lock = std::unique_lock<std::mutex>;

    // One byte from the host, with m_mutex held.
    virtual void OnByte(BYTE b) = 0;
    // Forgets the protocol state and records, with m_mutex held.
    virtual void OnReset() = 0;
    // Answers the host; only from OnByte.
    void Send(BYTE b);

    mutable std::mutex m_mutex;

private:
    void Feed(const BYTE* data, size_t length);

    std::unique_ptr<CPseudoTerminal> m_pty;
    CFakeSerialDevice* m_pDevice = NULL;
    std::string m_portPath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::string m_received;
    size_t m_silentAfter = (size_t)-1;
};
