#include "targets/hyice/hyICETarget.h"

#include <cstdint>

#include "platform/base/ByteOrder.h"
#include "platform/threads/Synchronization.h"
#include "platform/time/Clock.h"
#include "platform/ui/UiServices.h"
#include "ports/CommsBase.h"
#include "ports/hyMessage.h"

CHyICETarget::CHyICETarget(BYTE id, CString name, CString description) : CTargetBase(id, name, description)
{
    m_strResetPrompt = "Please reset the target board (by pressing and releasing S1)";
    m_hErrorEvent = CreateEvent(NULL, FALSE, FALSE, NULL);
    m_hReceivedEvent = CreateEvent(NULL, FALSE, FALSE, NULL);
    m_hSentEvent = CreateEvent(NULL, FALSE, FALSE, NULL);
    m_nTimeout = 5000;
    m_bCommsOpen = FALSE;
}

CHyICETarget::~CHyICETarget()
{
    if (m_bCommsOpen)
        CloseComms();
    CloseHandle(m_hErrorEvent);
    CloseHandle(m_hReceivedEvent);
    CloseHandle(m_hSentEvent);
}

int CHyICETarget::LoadOptions()
{
    return 1;
}

BOOL CHyICETarget::GetResourceName(int index, CString& name)
{
    return CCommsBase::GetResourceName(CCommsBase::typeSerialFast, index, name);
}

BOOL CHyICETarget::GetFileFilter(CString& filter)
{
    filter = "hye Files (*.hye)|*.hye|";
    return FALSE;
}

BOOL CHyICETarget::OpenComms(CString port)
{
    m_SerialIf.SetParameter(CHySerialIf::paramPortName, port);
    if (m_SerialIf.Open(m_hReceivedEvent, m_hSentEvent, m_hErrorEvent) != 0)
        return FALSE;
    m_bCommsOpen = TRUE;
    return TRUE;
}

BOOL CHyICETarget::CloseComms()
{
    if (!m_bCommsOpen)
        return FALSE;
    m_SerialIf.Close();
    m_bCommsOpen = FALSE;
    return TRUE;
}

void CHyICETarget::ResetLinkEvents()
{
    ResetEvent(m_hErrorEvent);
    ResetEvent(m_hSentEvent);
    ResetEvent(m_hReceivedEvent);
}

BOOL CHyICETarget::Send(CHyMessage* frame)
{
    ResetEvent(m_hSentEvent);
    ResetEvent(m_hErrorEvent);
    frame->AddRef();
    if (!m_SerialIf.Send(frame)) {
        // Refused: nothing was queued, so no sent event can come for this frame (one that
        // came would belong to the frame still in flight).
        frame->Release();
        return FALSE;
    }
    HANDLE waits[2] = {m_hSentEvent, m_hErrorEvent};
    return WaitForMultipleObjects(2, waits, FALSE, m_nTimeout) == WAIT_OBJECT_0;
}

BOOL CHyICETarget::Receive(CHyMessage** frame)
{
    *frame = NULL;
    const uint64_t deadline = CurrentClock().NowMilliseconds() + m_nTimeout;
    HANDLE waits[2] = {m_hReceivedEvent, m_hErrorEvent};
    for (;;) {
        // The queue, not the event, tells whether a frame is there: a frame that completed
        // before this call (the board sending right after its answer) is still taken.
        if (CHyMessage* received = m_SerialIf.GetReceivedMessage()) {
            *frame = received;
            return TRUE;
        }
        uint64_t now = CurrentClock().NowMilliseconds();
        DWORD left = deadline > now ? (DWORD)(deadline - now) : 0;
        if (WaitForMultipleObjects(2, waits, FALSE, left) != WAIT_OBJECT_0)
            return FALSE;
    }
}

BOOL CHyICETarget::Transact(CHyMessage* request, CHyMessage** reply)
{
    *reply = NULL;
    if (!Send(request) || !Receive(reply))
        return FALSE;
    return (*reply)->m_byType == request->m_byType;
}

CHyMessagePtr CHyICETarget::AnswerFor(const CHyMessage* received, BOOL acknowledge)
{
    CHyMessagePtr answer(CHyMessage::Create());
    answer->m_byFlags = 0;
    if (acknowledge) {
        answer->m_byType = received->m_byType;
        answer->m_dwAddress = received->m_dwAddress;
        answer->m_dwLength = received->m_dwLength;
    } else {
        answer->m_byType = typeNegativeAnswer;
        answer->m_dwAddress = 0;
        answer->m_dwLength = 0;
    }
    return answer;
}

BOOL CHyICETarget::WaitForReset()
{
    ResetLinkEvents();
    AfxMessageBox(m_strResetPrompt, MB_OK);
    CHyMessage* frame = NULL;
    if (!Receive(&frame))
        return FALSE;
    CHyMessagePtr received(frame);
    BOOL isReset = received->IsValid() && received->m_byType == typeResetReport;
    return Send(AnswerFor(received.get(), isReset).get()) && isReset;
}

BOOL CHyICETarget::ReceiveAndAck(CHyMessage** frame)
{
    ResetLinkEvents();
    if (!Receive(frame))
        return FALSE;
    const CHyMessage* received = *frame;
    BOOL acknowledged = received->IsValid() && received->m_byType >= typeFirstAck && received->m_byType <= typeLastAck;
    return Send(AnswerFor(received, acknowledged).get());
}

BOOL CHyICETarget::SetRegister(BYTE reg, DWORD value, DWORD address)
{
    CHyMessagePtr request(CHyMessage::Create());
    request->m_byType = typeSetRegister;
    request->m_byFlags = 0x01;
    request->m_dwAddress = address;
    request->m_dwLength = 8;
    request->AllocateData(8);
    request->m_pData[3] = reg;
    PutBigEndian32(&request->m_pData[4], value);
    CHyMessage* reply = NULL;
    BOOL result = Transact(request.get(), &reply);
    CHyMessagePtr held(reply);
    return result;
}
