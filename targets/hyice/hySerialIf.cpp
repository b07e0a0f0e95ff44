#include "targets/hyice/hySerialIf.h"

#include <cstring>
#include <exception>
#include <utility>

#include "platform/base/DebugOutput.h"
#include "platform/serial/ISerialPort.h"
#include "platform/serial/SerialDeviceMap.h"
#include "platform/serial/SerialPortRegistry.h"
#include "platform/threads/CriticalSectionLock.h"
#include "platform/threads/Synchronization.h"
#include "platform/threads/WorkerThread.h"
#include "platform/ui/UiServices.h"
#include "ports/hyMessage.h"

namespace {

const DWORD kBaudRate = 115200;

}  // namespace

CHySerialIf::CHySerialIf()
{
    m_hDcdEvent = CreateEvent(NULL, FALSE, FALSE, NULL);
    m_hRxCharEvent = CreateEvent(NULL, FALSE, FALSE, NULL);
    m_hSendEvent = CreateEvent(NULL, FALSE, FALSE, NULL);
    m_hStopEvent = CreateEvent(NULL, TRUE, FALSE, NULL);
}

CHySerialIf::~CHySerialIf()
{
    Close();
    CloseHandle(m_hDcdEvent);
    CloseHandle(m_hRxCharEvent);
    CloseHandle(m_hSendEvent);
    CloseHandle(m_hStopEvent);
}

void CHySerialIf::SetParameter(int id, const char* value)
{
    if (id != paramPortName)
        return;
    m_szPortName[0] = 0;
    if (value)
        strncat(m_szPortName, value, sizeof m_szPortName - 1);
}

int CHySerialIf::Open(HANDLE received, HANDLE sent, HANDLE error)
{
    CCriticalSectionLock lock(m_csOpen);
    if (m_bOpen)
        return 0;
    m_hReceivedEvent = received;
    m_hSentEvent = sent;
    m_hErrorEvent = error;
    m_nRtsState = 0;
    m_nLastFault = 0;
    ReleaseHeldFrames();
    EmptyReceivedQueue();
    m_bLinkUp = false;
    for (HANDLE event : {m_hDcdEvent, m_hRxCharEvent, m_hSendEvent, m_hStopEvent})
        ResetEvent(event);
    if (!m_hDcdEvent || !m_hRxCharEvent || !m_hSendEvent || !m_hStopEvent)
        return errOpenPort;

    m_hPort = CSerialPortRegistry::Open(m_szPortName);
    if (!m_hPort)
        return errOpenPort;

    SerialState state;
    state.baudRate = kBaudRate;
    state.byteSize = 8;
    state.parity = NOPARITY;
    state.stopBits = ONESTOPBIT;
    state.outxCtsFlow = FALSE;
    state.dtrControl = DTR_CONTROL_DISABLE;
    state.rtsControl = RTS_CONTROL_DISABLE;
    // Reads return at once with what has arrived; the read thread only reads after the port
    // reported a character. Writes have no time-out: the board's DCD toggle paces them.
    SerialTimeouts timeouts;
    timeouts.readInterval = MAXDWORD;
    bool configured = m_hPort->SetState(state);
    m_nRtsState = CLRRTS;
    configured = configured && m_hPort->EscapeFunction(CLRRTS) && m_hPort->SetTimeouts(timeouts);
    // The events are chosen here, before Open returns, not on the comm-event thread: the
    // owner prompts for the board's reset right after, and a DCD change that came before the
    // thread got round to it would be taken as the line's starting state and never reported.
    configured = configured && m_hPort->SetCommMask(EV_RXCHAR | EV_RLSD);
    if (!configured) {
        m_hPort.reset();
        return -1;
    }
    if (!StartWorkers()) {
        StopWorkers();
        m_hPort.reset();
        return errOpenPort;
    }
    m_bOpen = TRUE;
    return 0;
}

BOOL CHySerialIf::StartWorkers()
{
    auto escape = [this] { ReportFault(0); };
    // The gated read thread comes first: the write thread opens its gate.
    m_hReadThread = CWorkerThread::Start([this] { RunWorker(&CHySerialIf::ReadThread); }, escape, m_hStopEvent, TRUE);
    if (!m_hReadThread)
        return FALSE;
    m_hWriteThread = CWorkerThread::Start([this] { RunWorker(&CHySerialIf::WriteThread); }, escape, m_hStopEvent,
                                          FALSE);
    if (!m_hWriteThread)
        return FALSE;
    m_hCommEventThread = CWorkerThread::Start([this] { RunWorker(&CHySerialIf::CommEventThread); }, escape,
                                              m_hStopEvent, FALSE);
    return m_hCommEventThread != NULL;
}

void CHySerialIf::StopWorkers()
{
    SetEvent(m_hStopEvent);
    // A read thread still behind its gate ends on the stop event without running.
    m_hCommEventThread.reset();
    m_hWriteThread.reset();
    m_hReadThread.reset();
}

void CHySerialIf::Close()
{
    CCriticalSectionLock lock(m_csOpen);
    if (!m_bOpen)
        return;
    m_bOpen = FALSE;
    m_bLinkUp = false;
    StopWorkers();
    // Only now that no worker runs may the frames they used go.
    ReleaseHeldFrames();
    m_hPort.reset();
}

void CHySerialIf::ReleaseHeldFrames()
{
    m_pAssembling.reset();
    CCriticalSectionLock lock(m_csFrames);
    m_pSending.reset();
}

void CHySerialIf::EmptyReceivedQueue()
{
    CCriticalSectionLock lock(m_csFrames);
    m_receivedFrames.clear();
}

BOOL CHySerialIf::Send(CHyMessage* frame)
{
    if (!frame)
        return FALSE;
    {
        CCriticalSectionLock lock(m_csFrames);
        if (!m_bLinkUp || m_pSending)
            return FALSE;
        frame->PrepareToSend();
        m_pSending.reset(frame);
    }
    SetEvent(m_hSendEvent);
    return TRUE;
}

CHyMessage* CHySerialIf::GetReceivedMessage()
{
    CCriticalSectionLock lock(m_csFrames);
    if (m_receivedFrames.empty())
        return NULL;
    CHyMessage* frame = m_receivedFrames.front().release();
    m_receivedFrames.pop_front();
    return frame;
}

int CHySerialIf::GetMaxDataSize()
{
    return (int)CHyMessage::kMaxDataSize;
}

BOOL CHySerialIf::IsSerialPortPresent()
{
    try {
        return CSerialDeviceMap::Devices().empty() ? FALSE : TRUE;
    } catch (...) {
        return FALSE;
    }
}

void CHySerialIf::ReportInternalSend(int, int)
{
    AfxMessageBox("Asked to send internal message but shouldn't be", MB_OK);
}

void CHySerialIf::RunWorker(void (CHySerialIf::*body)())
{
    try {
        (this->*body)();
    } catch (const LinkFault& fault) {
        if (fault.code != errStopped)
            ReportFault(fault.code);
    } catch (...) {
        ReportFault(0);
    }
}

void CHySerialIf::ReportFault(int code)
{
    // 0: something other than a link fault escaped (out of memory, say).
    int expected = 0;
    m_nLastFault.compare_exchange_strong(expected, code == 0 ? -1 : code);
    DebugTrace("serial link worker stopped: %d\n", code);
    SetEvent(m_hErrorEvent);
}

void CHySerialIf::ToggleRts()
{
    int function = m_nRtsState == CLRRTS ? SETRTS : CLRRTS;
    m_nRtsState = function;
    if (!m_hPort->EscapeFunction((DWORD)function))
        throw LinkFault{errConfigure};
}

void CHySerialIf::WaitForEventOrStop(HANDLE event)
{
    HANDLE waits[2] = {event, m_hStopEvent};
    DWORD result = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0 + 1)
        throw LinkFault{errStopped};
    if (result != WAIT_OBJECT_0)
        throw LinkFault{errWait};
}

void CHySerialIf::CommEventThread()
{
    for (;;) {
        DWORD events = 0;
        int result = m_hPort->WaitCommEvent(events, m_hStopEvent);
        if (result == serialWaitStopped)
            throw LinkFault{errStopped};
        if (result != serialWaitDone)
            throw LinkFault{errCommEvent};
        if (events & EV_RLSD)
            SetEvent(m_hDcdEvent);
        if (events & EV_RXCHAR)
            SetEvent(m_hRxCharEvent);
    }
}

void CHySerialIf::WriteThread()
{
    Handshake();
    // The character that ended the handshake is the read thread's to read.
    m_hReadThread->Release();
    SetEvent(m_hRxCharEvent);
    SendFrames();
}

void CHySerialIf::Handshake()
{
    // The board announces itself with a DCD change and answers every RTS toggle with another
    // one until it sends its first character.
    WaitForEventOrStop(m_hDcdEvent);
    m_bLinkUp = true;
    ToggleRts();
    HANDLE waits[3] = {m_hDcdEvent, m_hRxCharEvent, m_hStopEvent};
    for (;;) {
        DWORD result = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
            ToggleRts();
        else if (result == WAIT_OBJECT_0 + 1)
            return;
        else if (result == WAIT_OBJECT_0 + 2)
            throw LinkFault{errStopped};
        else
            throw LinkFault{errWait};
    }
}

void CHySerialIf::SendFrames()
{
    bool waiting = true;
    for (;;) {
        if (waiting)
            WaitForEventOrStop(m_hSendEvent);
        char next = 0;
        {
            CCriticalSectionLock lock(m_csFrames);
            if (!m_pSending) {
                waiting = true;
                continue;
            }
            waiting = !m_pSending->GetNextByte(&next);
        }
        BYTE byte = (BYTE)next;
        DWORD done = 0;
        int result = m_hPort->WriteUntilStopped(&byte, 1, done, m_hStopEvent);
        if (result == serialWaitStopped)
            throw LinkFault{errStopped};
        if (result != serialWaitDone)
            throw LinkFault{errWrite};
        if (done != 1)
            throw LinkFault{errWriteCount};
        // The board's DCD toggle acknowledges the byte.
        WaitForEventOrStop(m_hDcdEvent);
        // Only now is the frame sent: the owner may close the link as soon as it hears so,
        // and a stop must not cut a byte the board has not taken.
        if (waiting) {
            {
                CCriticalSectionLock lock(m_csFrames);
                m_pSending.reset();
            }
            SetEvent(m_hSentEvent);
        }
    }
}

void CHySerialIf::ReadThread()
{
    for (;;) {
        WaitForEventOrStop(m_hRxCharEvent);
        BYTE byte = 0;
        DWORD done = 0;
        if (!m_hPort->Read(&byte, 1, done))
            throw LinkFault{errWait};
        if (done == 1) {
            ToggleRts();
            OnByteReceived(byte);
        }
    }
}

void CHySerialIf::OnByteReceived(BYTE b)
{
    if (!m_pAssembling)
        m_pAssembling.reset(CHyMessage::Create());
    int state = m_pAssembling->ReceiveByte(b);
    if (state == CHyMessage::receiveTooLong)
        throw LinkFault{errFrameTooLong};
    if (state != CHyMessage::receiveComplete)
        return;
    {
        CCriticalSectionLock lock(m_csFrames);
        m_receivedFrames.push_back(std::move(m_pAssembling));
    }
    SetEvent(m_hReceivedEvent);
}
