// The base of the targets that program a duvazorudo board over the framed serial link. It
// owns the link and the three events through which the link reports, and offers blocking
// request-and-answer operations on the UI thread: open and close the link, wait for the
// board's reset report, send, receive, receive and acknowledge, transact, set a register.
// Every wait is bounded by m_nTimeout (5000 ms) on the installed clock; nothing is retried.
//
// Frames returned through an out-parameter belong to the caller, who releases them with
// Destroy. Every operation reports failure as FALSE; the derived targets word the outcome.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "ports/hyMessage.h"
#include "targets/TargetBase.h"
#include "targets/hyice/hySerialIf.h"

class CHyICETarget : public CTargetBase {
public:
    // Board-to-host frame types the base answers.
    enum : BYTE {
        typeNegativeAnswer = 0x80,
        typeFirstAck = 0x81,
        typeLastAck = 0x88,
        typeResetReport = 0x87,
        typeSetRegister = 0x04,
    };

    CHyICETarget(BYTE id, CString name, CString description);
    // Closes the link if it is still open (before its events go, which its workers set).
    ~CHyICETarget() override;

    // 1: there is nothing to read.
    int LoadOptions() override;
    BOOL GetModuleName(CString& name, int block) override = 0;
    int GetModuleCount() override = 0;
    int SelectModuleForFile(const CString& path) override = 0;
    BOOL IsModuleLoaded(int block) override = 0;
    BOOL LoadModule(int block, const CString& path) override = 0;
    BOOL CanProgram() override = 0;
    void ClearModule(int block) override = 0;
    BOOL Program(CString resource, CString* message) override = 0;
    // COM1: to COM4: (the fast serial resources of the port object).
    BOOL GetResourceName(int index, CString& name) override;
    // "hye Files (*.hye)|*.hye|"; FALSE: one file at a time.
    BOOL GetFileFilter(CString& filter) override;

    // Opens the link on `port` ("COM1:"). TRUE when it is open.
    BOOL OpenComms(CString port);
    // Closes a link opened by OpenComms; FALSE (touching nothing) when there is none.
    BOOL CloseComms();
    // Shows the reset prompt, then waits for the board's reset report (0x87) and acknowledges
    // it by its echo; any other frame is answered with 0x80. TRUE only for an acknowledged
    // reset report.
    BOOL WaitForReset();
    // Hands `frame` to the link (which takes a reference of its own) and waits for it to be
    // sent. FALSE at once when the link refuses it, else FALSE on a link failure or time-out.
    BOOL Send(CHyMessage* frame);
    // The oldest frame received and not yet taken, waiting for one if need be; FALSE with
    // NULL on a link failure or time-out.
    BOOL Receive(CHyMessage** frame);
    // Send, then Receive. TRUE only when the reply has the request's type; a reply of another
    // type is still handed to the caller. The reply's sync bytes are not checked.
    BOOL Transact(CHyMessage* request, CHyMessage** reply);
    // Receives one board frame and answers it: a valid frame of type 0x81 to 0x88 by its echo
    // (type, address, length, no data), anything else with 0x80. TRUE when the answer was
    // sent, whatever was received; the received frame goes to the caller.
    BOOL ReceiveAndAck(CHyMessage** frame);
    // One set-register transaction: type 0x04, the given address, length 8, data 00 00 00,
    // the register, then the value big-endian.
    BOOL SetRegister(BYTE reg, DWORD value, DWORD address);

protected:
    CString m_strResetPrompt;
    CHySerialIf m_SerialIf;
    HANDLE m_hReceivedEvent = NULL;
    HANDLE m_hSentEvent = NULL;
    HANDLE m_hErrorEvent = NULL;
    DWORD m_nTimeout = 5000;
    BOOL m_bCommsOpen = FALSE;

private:
    // The answer to a board frame: its echo for an acknowledged type, else 0x80.
    static CHyMessagePtr AnswerFor(const CHyMessage* received, BOOL acknowledge);
    void ResetLinkEvents();
};
