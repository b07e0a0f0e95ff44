// A worker thread in place of a Win32 thread. It starts at once or behind a start gate (in
// place of a thread created suspended), and it is never killed: its body must return once the
// stop event is set, so Join always returns. Whatever the body lets out is caught on the
// thread, so no exception ever ends the process.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/base/WinTypes.h"
#include "platform/threads/Event.h"

class CWorkerThread {
public:
    using Body = std::function<void()>;
    using EscapeHandler = std::function<void()>;

    // Starts a thread that runs `body`. With `gated` the body waits until Release(), and does
    // not run at all when the event `stop` (may be NULL) is set first. `onEscape` (may be
    // empty) runs on the thread when the body throws. NULL when no thread can be created; the
    // caller treats that like any other failure to open what the thread serves.
    static std::unique_ptr<CWorkerThread> Start(Body body, EscapeHandler onEscape, HANDLE stop, BOOL gated);
    // Joins the thread.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Opens the start gate of a gated thread; nothing for an ungated one.
    void Release();
    // Waits for the body to return (or, behind a closed gate, for the stop event). Safe to repeat.
    void Join();

    // Threads of this kind in the process that have not ended yet.
    static int LiveCount();
    // For tests: after `skip` more Start calls succeed, the `count` next ones fail as if the
    // system had no thread to give.
    static void FailNextStarts(int count, int skip = 0);

private:
    CWorkerThread();
    void Run(const Body& body, const EscapeHandler& onEscape, HANDLE stop);

    CEvent m_gate;
    std::thread m_thread;
};
