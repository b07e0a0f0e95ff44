// The serial link to a duvazorudo board: frames (CHyMessage) carried over a COM port at
// 115200 baud with every single byte paced by the modem lines. The host writes one byte and
// waits for the board to toggle DCD; it acknowledges each byte it reads by toggling RTS.
//
// Three worker threads do the work: the comm-event thread turns port events into events, the
// write thread runs the start-up handshake and sends the queued frame byte by byte, and the
// read thread (behind a start gate until the handshake is over) reads byte by byte and
// assembles the board's frames. The owner gives Open three events: a frame was received, the
// frame was sent, the link failed. Every blocking call of the workers also watches the stop
// event, so Close always returns and no thread is ever killed.
#pragma once

#include <atomic>
#include <deque>
#include <memory>

#include "platform/base/WinTypes.h"
#include "platform/threads/CriticalSection.h"
#include "ports/hyMessage.h"

class CWorkerThread;
class ISerialPort;

class CHySerialIf {
public:
    // Why a worker stopped. Only the stop itself (1002) is no failure; every other code sets
    // the owner's error event. Open returns 1000 itself.
    enum : int {
        errOpenPort = 1000,   // the port (or a worker thread for it) cannot be had
        errStopped = 1002,    // the stop event was signalled
        errWait = 1003,       // a wait failed, or a read failed
        errEventMask = 1004,  // the port cannot watch its events (Open returns -1 for it)
        errCommEvent = 1005,  // waiting for a port event failed
        errCommEventAborted = 1006,
        errReadAborted = 1007,
        errWriteAborted = 1008,
        errWriteCount = 1009,    // a write ended without error but not with exactly one byte
        errWrite = 1010,         // a write failed
        errConfigure = 1011,     // settings, RTS or time-outs cannot be applied
        errFrameTooLong = 1012,  // a board frame announced more data than a frame carries
    };
    enum { paramPortName = 1 };

    // Creates the link's own four events; opens nothing.
    CHySerialIf();
    // Closes the link; the frames it still holds go with it.
    virtual ~CHySerialIf();
    CHySerialIf(const CHySerialIf&) = delete;
    CHySerialIf& operator=(const CHySerialIf&) = delete;

    // Id 1 (paramPortName) sets the port name ("COM1:"; at most 259 characters are kept);
    // other ids are ignored.
    void SetParameter(int id, const char* value);

    // Opens the port and starts the workers. 0 on success (also when already open, changing
    // nothing), 1000 when the port or a thread cannot be had, -1 when the port cannot be
    // configured or cannot watch DCD and received characters. A failed open leaves the port closed and no thread running. The received
    // queue and the link's own events start empty at every open.
    int Open(HANDLE received, HANDLE sent, HANDLE error);
    // Stops and joins the workers, releases the frames being sent and assembled, and closes
    // the port; nothing when not open. Frames received but not taken stay for
    // GetReceivedMessage until the next Open.
    void Close();

    // Queues `frame` for the write thread, which then owns the reference the caller added for
    // it. FALSE, with the reference still the caller's, before the start-up handshake has
    // begun or while an earlier frame is still being sent. The sent event is set once every
    // byte of the frame has been written and acknowledged by the board, so a Close after it
    // cuts nothing.
    BOOL Send(CHyMessage* frame);
    // The oldest received frame not yet taken, with its reference now the caller's; NULL when
    // there is none. Frames are kept in order; none is dropped or overwritten.
    CHyMessage* GetReceivedMessage();

    // The most data bytes a sender puts into one frame (268).
    virtual int GetMaxDataSize();
    // TRUE when the machine has at least one serial port.
    BOOL IsSerialPortPresent();
    void ReportInternalSend(int, int);
    // Kept in the member list, but the link has no work for it and nothing calls it.
    void Reserved(int, int) {}

    BOOL IsOpen() const { return m_bOpen; }
    // The code the last failed worker stopped with; 0 when none failed since Open.
    int GetLastFault() const { return m_nLastFault.load(); }

private:
    struct LinkFault {
        int code;
    };

    void CommEventThread();
    void WriteThread();
    void ReadThread();
    // Runs a worker body and reports how it ended.
    void RunWorker(void (CHySerialIf::*body)());
    void ReportFault(int code);
    void Handshake();
    void SendFrames();
    void OnByteReceived(BYTE b);
    void ToggleRts();
    void WaitForEventOrStop(HANDLE event);
    BOOL StartWorkers();
    void StopWorkers();
    void ReleaseHeldFrames();
    void EmptyReceivedQueue();

    std::unique_ptr<ISerialPort> m_hPort;
    char m_szPortName[MAX_PATH] = {};
    std::unique_ptr<CWorkerThread> m_hCommEventThread;
    std::unique_ptr<CWorkerThread> m_hReadThread;
    std::unique_ptr<CWorkerThread> m_hWriteThread;
    HANDLE m_hDcdEvent = NULL;
    HANDLE m_hRxCharEvent = NULL;
    // The write thread toggles RTS during the handshake, the read thread after it, never both.
    std::atomic<int> m_nRtsState{0};
    HANDLE m_hSendEvent = NULL;
    HANDLE m_hStopEvent = NULL;
    std::atomic<bool> m_bLinkUp{false};
    BOOL m_bOpen = FALSE;
    HANDLE m_hReceivedEvent = NULL;
    HANDLE m_hSentEvent = NULL;
    HANDLE m_hErrorEvent = NULL;
    // Guarded by m_csFrames: handed between the UI thread and the workers.
    std::deque<CHyMessagePtr> m_receivedFrames;
    CHyMessagePtr m_pSending;
    // The read thread's alone while it runs.
    CHyMessagePtr m_pAssembling;
    CCriticalSection m_csOpen;
    CCriticalSection m_csFrames;
    std::atomic<int> m_nLastFault{0};
};
