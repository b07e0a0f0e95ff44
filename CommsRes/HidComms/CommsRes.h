// A communications resource of the USB path: a transport that opens a device and moves byte
// buffers with a bounded wait per transfer, and the flags that say how its failures end.
#pragma once

#include "platform/base/WinTypes.h"

#ifndef INFINITE
#define INFINITE 0xFFFFFFFF
#endif

class CWnd;

class CCommsRes {
public:
    CCommsRes();
    virtual ~CCommsRes();

    // Opens the transport's device; `parent` (if not NULL) owns its message boxes from now on.
    virtual BOOL Open(CWnd* parent) = 0;
    virtual void Close() = 0;
    // Moves `length` bytes; `*sent` / `*received` (when not NULL) get the bytes moved. TRUE
    // when the whole buffer went, or when a time-out counts as success.
    virtual BOOL Write(const BYTE* data, DWORD length, DWORD* sent) = 0;
    virtual BOOL Read(BYTE* data, DWORD length, DWORD* received) = 0;

    // Milliseconds one report transfer may take; INFINITE waits for ever.
    void SetTimeout(DWORD milliseconds) { m_dwTimeout = milliseconds; }
    // FALSE makes a time-out end Write or Read as success.
    void SetTimeoutIsError(BOOL isError) { m_bTimeoutIsSuccess = !isError; }
    // After a failed transfer, ask the user whether to retry it.
    void SetWriteRetry(BOOL retry) { m_bRetryWrite = retry; }
    void SetReadRetry(BOOL retry) { m_bRetryRead = retry; }

    BOOL IsOpen() const { return m_bOpen; }

    CCommsRes(const CCommsRes&) = delete;
    CCommsRes& operator=(const CCommsRes&) = delete;

protected:
    BOOL m_bOpen = FALSE;
    DWORD m_dwTimeout = INFINITE;
    BOOL m_bTimeoutIsSuccess = FALSE;
    BOOL m_bRetryWrite = FALSE;
    BOOL m_bRetryRead = FALSE;
    // Nothing sets it: the final error text is shown only by callers that derive and ask.
    BOOL m_bShowErrors = FALSE;
    CWnd* m_pParent = NULL;
};
