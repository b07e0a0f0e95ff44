// A QB2300 board (or QP0700 kit) running its boot loader and then the 'fat' stub, on the far
// side of a pseudo-terminal. Written from the board's side of the download protocol:
//   stage 1: the host sends the stub and its 2-byte trailer (stub length + 0x102, high byte
//            first); the board knows the stub has ended when the line goes idle, checks the
//            trailer, erases and answers "FAT STUB\r\n";
//   stage 2: the host sends a 4-byte length (least significant byte first) and that many bytes;
//            the board programs them and answers "FLASH OK\r\n".
// Either answer can be replaced by an error reply, by "RESCUED!\r\n" (then the board waits for
// the 'X' command and answers again), by a short or a late reply, or by a stall (the board
// stops reading). Every byte received is recorded so that tests can compare the wire exactly.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/WinTypes.h"

class CQB2300Simulator {
public:
    enum class Reply {
        Success,       // "FAT STUB\r\n" in stage 1, "FLASH OK\r\n" in stage 2
        ResetError,    // "RSET ERR\r\n"
        EraseError,    // "ERAS ERR\r\n"
        ProgramError,  // "PROG ERR\r\n"
        Garbage,       // ten bytes that mean nothing to the host
        None,          // the board says nothing
    };

    struct Behaviour {
        Reply stage1Reply = Reply::Success;
        Reply stage2Reply = Reply::Success;
        int stage1Rescues = 0;  // "RESCUED!" answers before the real stage-1 answer
        int stage2Rescues = 0;
        DWORD eraseMs = 0;                    // real time between the end of stage 1 and its answer
        DWORD idleMs = 40;                    // silence that tells the board the stub has ended
        DWORD replyDelayMs = 0;               // extra real time before every answer
        size_t replyBytes = 10;               // bytes of each answer actually sent (fewer: a short answer)
        DWORD replySplitGapMs = 0;            // pause after the first half of each answer (a late tail)
        size_t stallAfterBytes = (size_t)-1;  // stop reading after this many bytes of a run
    };

    CQB2300Simulator();
    ~CQB2300Simulator();
    CQB2300Simulator(const CQB2300Simulator&) = delete;
    CQB2300Simulator& operator=(const CQB2300Simulator&) = delete;

    // Opens the pseudo-terminal and starts the board. FALSE when no pty could be had.
    bool Start();
    void Stop();
    // Path of the pty's slave side: the host opens this as its serial port.
    const std::string& PortPath() const { return m_slavePath; }

    void SetBehaviour(const Behaviour& behaviour);
    // Forgets everything received and returns the board to stage 1.
    void Reset();
    // The user presses the board's reset button: once the board has finished what it is
    // doing, its boot loader waits for a stage-1 transfer again and drops pending input. What
    // was received so far stays recorded.
    void PressReset();

    // What crossed the wire, as the board saw it.
    std::vector<BYTE> Stage1Bytes() const;  // the last stage-1 transfer (stub + trailer)
    bool TrailerValid() const;              // that transfer ended in the right trailer
    DWORD Stage2Length() const;             // the last length prefix
    std::vector<BYTE> Stage2Bytes() const;  // the data that followed it
    int RescueCommands() const;             // 'X' bytes received while in rescue mode
    int Stage1Count() const;                // stage-1 transfers seen
    int CompletedRuns() const;              // stage-2 transfers answered with "FLASH OK"
    size_t UnexpectedBytes() const;         // bytes received while no input was expected

    // Waits (real time) until the board has gone back to waiting for a stage-1 transfer with
    // nothing pending; for tests that end a run early.
    bool WaitIdle(DWORD timeoutMs);

private:
    enum class State { Stage1, RescueWait, Stage2Length, Stage2Data, Stalled };

    using Lock = std::unique_lock<std::mutex>;

    void Run();
    void OnByte(Lock& lock, BYTE b);
    void FinishStage1(Lock& lock);
    void FinishStage2(Lock& lock);
    void Answer(Lock& lock, int stage);
    void SendReply(Lock& lock, Reply reply, int stage);
    void SendBytes(const BYTE* data, size_t length);
    // Sleeps in real time with the lock released; returns early when the board is stopped.
    void Pause(Lock& lock, DWORD ms);
    void BackToStage1();
    void DropPendingBytes();

    int m_master = -1;
    int m_slaveKeepAlive = -1;  // keeps the pty alive while the host has it closed
    std::string m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Behaviour m_behaviour;
    State m_state = State::Stage1;
    bool m_busy = false;  // erasing, programming or answering
    uint64_t m_lastByteMs = 0;
    int m_rescueStage = 0;
    int m_rescuesLeft = 0;
    size_t m_runBytes = 0;
    std::vector<BYTE> m_stage1;
    std::vector<BYTE> m_lastStage1;
    bool m_trailerValid = false;
    BYTE m_lengthBytes[4] = {0, 0, 0, 0};
    size_t m_lengthCount = 0;
    DWORD m_stage2Length = 0;
    std::vector<BYTE> m_stage2;
    int m_rescueCommands = 0;
    int m_stage1Count = 0;
    int m_completedRuns = 0;
    size_t m_unexpected = 0;
};
