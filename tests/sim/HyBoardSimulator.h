// A duvazorudo board on the far side of the framed serial link, on the in-process serial
// device (which carries the modem lines). Written from the board's side of the protocol:
//   - the board paces the host: it toggles DCD once for every byte it takes from the host;
//   - the host paces the board: the board sends one byte, then waits for RTS to change;
//   - after its reset the board toggles DCD, waits for the host to answer with an RTS change
//     (as many rounds as asked for), then sends its reset report (type 0x87), whose first
//     byte ends the handshake;
//   - frames: AA AA, flags, type, address and length big-endian, data when flags bit 0 is set;
//   - host requests of types 0x03 to 0x1A are answered by a frame of the same type, address
//     field 0 (1 reports failure); 0x07 read requests are answered with the bytes read;
//     0x04 sets a register, 0x18 writes a block, 0x06 fills a region, 0x03 stores the data
//     that a running program asked for; acknowledgements (0x80 to 0x88) get no answer;
//   - a start (0x0C) stops the board at the start address, which it reports (0x87 with that
//     address); 0x0D with length 1 and then with length 0 lets the program run;
//   - a running program may ask its two start-up requests (0x85, request codes 10 and 11),
//     each waiting for the host's reply (0x1A); the FLASH programmer then asks for the image
//     block by block (0x85, code 3, board address at record offset 12 and byte count at 16),
//     takes each block (0x03) and the reply that follows it, and reports the end (0x81,
//     length 0) once it has the whole FLASH. Read requests then read the FLASH back.
// It runs on a thread of its own, as a board does. Faults: a lost acknowledgement, a board
// that stays silent after its reset, raw bytes of any kind (bad frames, length fields above
// the maximum), frames of its own right after an answer, and the cable pulled mid-transfer.
// Where a fault leaves the host waiting for a time-out, the board moves the test's virtual
// clock on (50 ms for every real millisecond, 8 s at most) so that the time-out comes quickly,
// until the host sends again or closes its port; it never moves the clock otherwise, so no
// wait of a working exchange can time out.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/WinTypes.h"

class CFakeSerialDevice;
class CVirtualClock;

class CHyBoardSimulator {
public:
    struct Frame {
        BYTE flags = 0;
        BYTE type = 0;
        DWORD address = 0;
        DWORD length = 0;
        std::vector<BYTE> data;
        std::vector<BYTE> wire;  // as it crossed the line (received frames)

        // Header and data as the board puts them on the line.
        std::vector<BYTE> Wire() const;
    };
    // The board's answers to one complete host frame, in order; empty: no answer.
    using Responder = std::function<std::vector<Frame>(const Frame& request)>;

    // What the program the host starts does on the link once it runs.
    struct Program {
        bool startupRequests = false;   // asks start-up requests 10 and 11
        bool flashProgrammer = false;   // then plays the FLASH programmer
        DWORD requestAddress = 0x9A00;  // address field of its requests
        DWORD requestSize = 268;        // bytes asked for per image request
        DWORD flashBase = 0xE0000000;
        DWORD flashSize = 0x10000;
    };

    struct Behaviour {
        int handshakeRounds = 1;  // DCD changes before the first character
        Frame resetReport{0, 0x87, 0, 0, {}, {}};
        std::vector<BYTE> resetReportRaw;  // sent in place of the report when not empty
        bool silent = false;               // the board does not come up after its reset
        // Host bytes are counted from the board's reset, the first one being 1.
        size_t ackedHostBytes = (size_t)-1;        // DCD stays still from this host byte on
        size_t disconnectAtHostByte = (size_t)-1;  // the cable is pulled when this byte comes
        Program program;
    };

    // Serves `device`; `clock` (may be NULL) is moved on only where a fault leaves the host
    // waiting.
    CHyBoardSimulator(CFakeSerialDevice& device, CVirtualClock* clock);
    ~CHyBoardSimulator();
    CHyBoardSimulator(const CHyBoardSimulator&) = delete;
    CHyBoardSimulator& operator=(const CHyBoardSimulator&) = delete;

    void SetBehaviour(const Behaviour& behaviour);
    // Replaces the board program's answers; the default ones come back with an empty one.
    void SetResponder(Responder responder);
    // The board program's own answer to `request` (for responders that change only a few).
    std::vector<Frame> DefaultAnswer(const Frame& request);

    // The user presses and releases the reset button.
    void PressReset();
    // The board sends a frame of its own, or raw bytes, paced like every byte it sends.
    void SendFrame(const Frame& frame);
    void SendRaw(const std::vector<BYTE>& bytes);

    // What crossed the line, as the board saw it.
    std::vector<Frame> HostFrames() const;
    std::vector<BYTE> HostBytes() const;
    size_t HostBytesSinceReset() const;
    // RTS changes that answered the board's handshake DCD changes.
    int HandshakeRtsToggles() const;
    // Host bytes that came before the board had acknowledged the one before.
    size_t UnpacedHostBytes() const;
    // Board bytes sent so far, and those the host has acknowledged.
    size_t BoardBytesSent() const;
    size_t BoardBytesAcknowledged() const;
    std::map<BYTE, DWORD> Registers() const;
    // Board memory as written by 0x18 blocks (0xFF where nothing was written).
    std::vector<BYTE> Memory(DWORD address, DWORD length) const;
    void SetMemory(DWORD address, const std::vector<BYTE>& bytes);

    // Real-time waits for tests: until the host has sent `count` frames in all, or until the
    // board has nothing left to send and the host has acknowledged it all.
    bool WaitForHostFrames(size_t count, DWORD timeoutMs) const;
    bool WaitSent(DWORD timeoutMs) const;
    // Until the board has taken every byte the host has written so far. Once the host has
    // closed its port, what HostFrames() tells is then final: the host's last write may still
    // be on its way to the board when the host returns.
    bool WaitTaken(DWORD timeoutMs) const;

    // Processor time the board's thread has used, in seconds.
    double CpuSeconds() const;

private:
    enum class State { Off, Handshake, Running, Silent };
    struct Event {
        enum Kind { HostByte, RtsLevel, Reset, Bytes } kind;
        explicit Event(Kind k) : kind(k) {}
        BYTE byte = 0;
        bool level = false;
        std::vector<BYTE> bytes;
    };
    using Lock = std::unique_lock<std::mutex>;

    void Run();
    void Handle(Lock& lock, const Event& event);
    void OnHostByte(Lock& lock, BYTE b);
    void OnRtsChange();
    void OnHostFrame(Lock& lock);
    void SendNextByte();
    void ToggleCarrier();
    void Post(Event event);
    void MoveClockWhileQuiet();
    void BeQuiet();

    CFakeSerialDevice& m_device;
    CVirtualClock* m_clock;
    std::thread m_thread;
    bool m_stop = false;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<Event> m_events;
    Behaviour m_behaviour;
    Responder m_responder;
    State m_state = State::Off;
    int m_roundsLeft = 0;
    bool m_rts = true;            // the host's RTS level as last seen
    bool m_quiet = false;         // a fault left the host waiting
    int m_quietConnection = 0;    // the host's connection that waits
    uint64_t m_quietMovedMs = 0;  // how far the clock was moved for this fault
    uint64_t m_lastActivityMs = 0;

    size_t m_hostByteCount = 0;
    size_t m_hostBytesQueued = 0;  // written by the host, not yet taken by the board
    size_t m_unacked = 0;          // host bytes arrived and not yet acknowledged
    size_t m_unpaced = 0;
    std::vector<BYTE> m_hostBytes;
    std::vector<BYTE> m_assembling;
    std::vector<Frame> m_hostFrames;
    int m_handshakeToggles = 0;

    std::deque<BYTE> m_out;
    bool m_awaitingAck = false;
    size_t m_sent = 0;
    size_t m_acked = 0;

    std::map<BYTE, DWORD> m_registers;
    std::map<DWORD, BYTE> m_memory;

    // The started program's progress through its requests.
    enum class ProgramState { None, Stopped, Releasing, AwaitingReply10, AwaitingReply11, Imaging, Done };
    ProgramState m_program = ProgramState::None;
    DWORD m_imageAsked = 0;
    WORD m_requestNumber = 0;

    void RunProgram(std::vector<Frame>& answers);
    void StartImaging(std::vector<Frame>& answers);
    void AfterReply(std::vector<Frame>& answers);
    Frame StartupRequest(WORD code) const;
    Frame ImageRequest();
};
