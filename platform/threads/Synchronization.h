// Win32-style events and waits over CEvent. A HANDLE here is always an event made by
// CreateEvent and released by CloseHandle. Time-outs run on the installed clock (the monotonic
// system clock unless a test installed a virtual one).
#pragma once

#include "platform/base/WinTypes.h"

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

// An unnamed event; security and name are accepted and ignored. NULL when no descriptor could
// be had.
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// Releases the event. No thread may be waiting for it any more.
BOOL CloseHandle(HANDLE event);

DWORD WaitForSingleObject(HANDLE event, DWORD timeoutMs);
// Waits until one of the events is signalled: WAIT_OBJECT_0 + the lowest index among the
// signalled ones, having taken that one only (an auto-reset event is reset, the others keep
// their signals). WAIT_TIMEOUT after `timeoutMs` (INFINITE: never; 0: look once).
// WAIT_FAILED for a NULL handle, no or too many handles, or `waitAll` (not offered).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* events, BOOL waitAll, DWORD timeoutMs);

// The event's descriptor, readable while it is signalled; -1 for NULL. For the platform
// layer's own poll() calls (a serial wait that a stop event ends).
int EventDescriptor(HANDLE event);
