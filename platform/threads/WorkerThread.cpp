#include "platform/threads/WorkerThread.h"

#include <atomic>
#include <mutex>
#include <system_error>

#include "platform/threads/Synchronization.h"

namespace {

std::atomic<int> s_nLive{0};
std::mutex s_faultMutex;
int s_nFailStarts = 0;
int s_nSkipStarts = 0;

bool TakeInjectedFailure()
{
    std::lock_guard<std::mutex> lock(s_faultMutex);
    if (s_nFailStarts == 0)
        return false;
    if (s_nSkipStarts > 0) {
        --s_nSkipStarts;
        return false;
    }
    --s_nFailStarts;
    return true;
}

}  // namespace

CWorkerThread::CWorkerThread() : m_gate(TRUE, FALSE) {}

std::unique_ptr<CWorkerThread> CWorkerThread::Start(Body body, EscapeHandler onEscape, HANDLE stop, BOOL gated)
{
    if (TakeInjectedFailure())
        return NULL;
    std::unique_ptr<CWorkerThread> worker(new CWorkerThread());
    if (!worker->m_gate.IsValid())
        return NULL;
    if (!gated)
        worker->m_gate.Set();
    ++s_nLive;
    try {
        worker->m_thread = std::thread([w = worker.get(), body = std::move(body), onEscape = std::move(onEscape),
                                        stop] { w->Run(body, onEscape, stop); });
    } catch (const std::system_error&) {
        --s_nLive;
        return NULL;
    }
    return worker;
}

CWorkerThread::~CWorkerThread()
{
    Join();
}

void CWorkerThread::Run(const Body& body, const EscapeHandler& onEscape, HANDLE stop)
{
    HANDLE waits[2] = {&m_gate, stop};
    DWORD opened = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, INFINITE);
    bool escaped = opened == WAIT_FAILED;
    if (opened == WAIT_OBJECT_0) {
        try {
            body();
        } catch (...) {
            escaped = true;
        }
    }
    if (escaped && onEscape) {
        try {
            onEscape();
        } catch (...) {
        }
    }
    --s_nLive;
}

void CWorkerThread::Release()
{
    m_gate.Set();
}

void CWorkerThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

int CWorkerThread::LiveCount()
{
    return s_nLive.load();
}

void CWorkerThread::FailNextStarts(int count, int skip)
{
    std::lock_guard<std::mutex> lock(s_faultMutex);
    s_nFailStarts = count;
    s_nSkipStarts = skip;
}
