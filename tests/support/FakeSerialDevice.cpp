#include "tests/support/FakeSerialDevice.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

#include <poll.h>

#include "platform/serial/SerialPortRegistry.h"
#include "platform/threads/Event.h"
#include "platform/threads/Synchronization.h"
#include "platform/time/Clock.h"

struct CFakeSerialDevice::Shared {
    struct Pending {
        uint64_t due;
        std::vector<BYTE> bytes;
    };

    mutable std::mutex mutex;
    std::condition_variable changed;
    // Set on every change WaitCommEvent may be waiting for (it alone waits for it, so no
    // other waiter can take its signal).
    CEvent wake{FALSE, FALSE};
    // Signalled while the cable is pulled; ends a write held by a full device.
    CEvent unplugged{TRUE, FALSE};
    bool disconnected = false;
    DWORD commMask = 0;
    uint64_t carrierSeen = 0;
    bool rxReported = false;

    bool open = false;
    int connects = 0;
    bool busy = false;
    bool modemLinesWork = true;
    bool stateWorks = true;
    size_t receiveLimit = (size_t)-1;
    size_t holdAtByte = 0;
    DWORD holdMs = 0;

    SerialState state;
    SerialTimeouts timeouts;
    bool dtr = true;  // a tty raises DTR and RTS when it opens
    bool rts = true;
    bool breakOn = false;
    bool breakAtClose = false;
    bool cts = false;
    bool dsr = false;
    bool carrier = false;
    bool ring = false;
    uint64_t carrierChanges = 0;
    uint64_t lineChanges = 0;
    uint64_t statusReads = 0;

    std::deque<BYTE> input;
    std::deque<Pending> pending;  // kept in order of `due`
    std::vector<BYTE> received;

    LineObserver linesObserver;
    ByteObserver bytesObserver;

    void Changed()
    {
        changed.notify_all();
        wake.Set();
    }

    // Moves the pending bytes whose time has come to the input. Lock held.
    void Deliver(uint64_t now)
    {
        while (!pending.empty() && pending.front().due <= now) {
            input.insert(input.end(), pending.front().bytes.begin(), pending.front().bytes.end());
            pending.pop_front();
        }
    }
};

namespace {

using Shared = CFakeSerialDevice::Shared;
using Lock = std::unique_lock<std::mutex>;

uint64_t Now()
{
    return CurrentClock().NowMilliseconds();
}

// Lets `ms` pass on the installed clock with the device unlocked, so other threads can serve it.
void Pass(Lock& lock, uint64_t ms)
{
    if (ms == 0)
        return;
    lock.unlock();
    CurrentClock().SleepMilliseconds((DWORD)ms);
    lock.lock();
}

class CFakeSerialConnection : public ISerialPort {
public:
    explicit CFakeSerialConnection(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    ~CFakeSerialConnection() override
    {
        Lock lock(m_shared->mutex);
        m_shared->open = false;
        // Closing a tty ends its break; whether the host ended it first is kept apart.
        m_shared->breakAtClose = m_shared->breakOn;
        m_shared->breakOn = false;
        m_shared->changed.notify_all();
    }

    BOOL GetState(SerialState& state) override
    {
        Lock lock(m_shared->mutex);
        if (!m_shared->stateWorks)
            return FALSE;
        state = m_shared->state;
        return TRUE;
    }

    BOOL SetState(const SerialState& state) override
    {
        bool notify = false;
        {
            Lock lock(m_shared->mutex);
            if (!m_shared->stateWorks)
                return FALSE;
            m_shared->state = state;
            if (m_shared->modemLinesWork) {
                bool dtr = state.dtrControl != DTR_CONTROL_DISABLE;
                bool rts = state.rtsControl != RTS_CONTROL_DISABLE;
                notify = dtr != m_shared->dtr || rts != m_shared->rts;
                m_shared->dtr = dtr;
                m_shared->rts = rts;
            }
        }
        if (notify)
            NotifyLines();
        return TRUE;
    }

    BOOL SetTimeouts(const SerialTimeouts& timeouts) override
    {
        Lock lock(m_shared->mutex);
        m_shared->timeouts = timeouts;
        return TRUE;
    }

    BOOL ClearError() override { return TRUE; }

    BOOL SetBreak(BOOL on) override
    {
        Lock lock(m_shared->mutex);
        m_shared->breakOn = on != FALSE;
        return TRUE;
    }

    BOOL Read(BYTE* buffer, DWORD count, DWORD& done) override
    {
        done = 0;
        if (count == 0)
            return TRUE;
        if (!buffer)
            return FALSE;
        Lock lock(m_shared->mutex);
        if (m_shared->disconnected)
            return FALSE;
        const SerialTimeouts t = m_shared->timeouts;
        bool hasTotal = t.readTotalConstant != 0 || t.readTotalMultiplier != 0;
        // Interval MAXDWORD without totals: return at once with what has arrived.
        bool immediate = t.readInterval == MAXDWORD && !hasTotal;
        uint64_t deadline = Now() + t.readTotalConstant + (uint64_t)t.readTotalMultiplier * count;
        uint64_t lastByte = 0;
        for (;;) {
            uint64_t now = Now();
            m_shared->Deliver(now);
            while (done < count && !m_shared->input.empty()) {
                buffer[done++] = m_shared->input.front();
                m_shared->input.pop_front();
                lastByte = now;
            }
            if (done > 0 && m_shared->rxReported) {
                m_shared->rxReported = false;
                // Bytes still waiting are reported again; new ones wake the wait themselves.
                if (!m_shared->input.empty())
                    m_shared->wake.Set();
            }
            if (done == count || immediate)
                return TRUE;
            uint64_t limit = hasTotal ? deadline : UINT64_MAX;
            if (done > 0 && t.readInterval != 0)
                limit = std::min(limit, lastByte + t.readInterval);
            if (!m_shared->pending.empty() && m_shared->pending.front().due <= limit) {
                Pass(lock, m_shared->pending.front().due - now);
                continue;
            }
            if (limit == UINT64_MAX) {
                // No time-out at all: wait for another thread to send.
                m_shared->changed.wait(lock);
                continue;
            }
            if (now >= limit)
                return TRUE;
            // Looks again afterwards: another thread may have sent in the meantime.
            Pass(lock, limit - now);
        }
    }

    BOOL Write(const BYTE* buffer, DWORD count, DWORD& done) override
    {
        done = 0;
        if (count == 0)
            return TRUE;
        if (!buffer)
            return FALSE;
        {
            Lock lock(m_shared->mutex);
            if (m_shared->disconnected)
                return FALSE;
            size_t room = m_shared->receiveLimit - std::min(m_shared->receiveLimit, m_shared->received.size());
            done = (DWORD)std::min<size_t>(count, room);
            m_shared->received.insert(m_shared->received.end(), buffer, buffer + done);
            if (done < count) {
                const SerialTimeouts& t = m_shared->timeouts;
                Pass(lock, t.writeTotalConstant + (uint64_t)t.writeTotalMultiplier * count);
            }
        }
        if (done > 0 && m_shared->bytesObserver)
            m_shared->bytesObserver(buffer, done);
        return TRUE;
    }

    BOOL EscapeFunction(DWORD function) override
    {
        {
            Lock lock(m_shared->mutex);
            if (!m_shared->modemLinesWork || m_shared->disconnected)
                return FALSE;
            switch (function) {
            case SETDTR: m_shared->dtr = true; break;
            case CLRDTR: m_shared->dtr = false; break;
            case SETRTS: m_shared->rts = true; break;
            case CLRRTS: m_shared->rts = false; break;
            default: return FALSE;
            }
            ++m_shared->lineChanges;
        }
        NotifyLines();
        return TRUE;
    }

    BOOL GetModemStatus(DWORD& status) override
    {
        Lock lock(m_shared->mutex);
        if (!m_shared->modemLinesWork || m_shared->disconnected)
            return FALSE;
        ++m_shared->statusReads;
        status = (m_shared->cts ? MS_CTS_ON : 0) | (m_shared->dsr ? MS_DSR_ON : 0) | (m_shared->ring ? MS_RING_ON : 0) |
                 (m_shared->carrier ? MS_RLSD_ON : 0);
        return TRUE;
    }

    BOOL SetCommMask(DWORD eventMask) override
    {
        Lock lock(m_shared->mutex);
        if (m_shared->disconnected || !m_shared->modemLinesWork || (eventMask & ~(DWORD)(EV_RXCHAR | EV_RLSD)))
            return FALSE;
        m_shared->commMask = eventMask;
        m_shared->carrierSeen = m_shared->carrierChanges;
        return TRUE;
    }

    int WaitCommEvent(DWORD& events, HANDLE stop) override
    {
        events = 0;
        Lock lock(m_shared->mutex);
        for (;;) {
            if (m_shared->disconnected || m_shared->commMask == 0)
                return serialWaitFailed;
            uint64_t now = Now();
            m_shared->Deliver(now);
            if ((m_shared->commMask & EV_RLSD) && m_shared->carrierChanges != m_shared->carrierSeen) {
                m_shared->carrierSeen = m_shared->carrierChanges;
                events |= EV_RLSD;
            }
            if ((m_shared->commMask & EV_RXCHAR) && !m_shared->rxReported && !m_shared->input.empty()) {
                m_shared->rxReported = true;
                events |= EV_RXCHAR;
            }
            if (events)
                return serialWaitDone;
            DWORD wait = m_shared->pending.empty() ? INFINITE : (DWORD)(m_shared->pending.front().due - now);
            lock.unlock();
            HANDLE waits[2] = {&m_shared->wake, stop};
            DWORD woken = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, wait);
            lock.lock();
            if (woken == WAIT_OBJECT_0 + 1)
                return serialWaitStopped;
            if (woken == WAIT_FAILED)
                return serialWaitFailed;
        }
    }

    int WriteUntilStopped(const BYTE* buffer, DWORD count, DWORD& done, HANDLE stop) override
    {
        done = 0;
        if (count > 0 && !buffer)
            return serialWaitFailed;
        {
            Lock lock(m_shared->mutex);
            size_t hold = m_shared->holdAtByte;
            if (hold > m_shared->received.size() && hold <= m_shared->received.size() + count) {
                m_shared->holdAtByte = 0;
                pollfd stopped = {EventDescriptor(stop), POLLIN, 0};
                int ms = (int)m_shared->holdMs;
                lock.unlock();
                int ready = poll(&stopped, 1, ms);
                lock.lock();
                if (ready > 0)
                    return serialWaitStopped;
            }
            if (m_shared->disconnected)
                return serialWaitFailed;
            size_t room = m_shared->receiveLimit - std::min(m_shared->receiveLimit, m_shared->received.size());
            done = (DWORD)std::min<size_t>(count, room);
            m_shared->received.insert(m_shared->received.end(), buffer, buffer + done);
        }
        if (done > 0 && m_shared->bytesObserver)
            m_shared->bytesObserver(buffer, done);
        if (done == count)
            return serialWaitDone;
        // A device that takes no more holds the write until the stop (or the cable goes).
        HANDLE waits[2] = {&m_shared->unplugged, stop};
        DWORD woken = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, INFINITE);
        return woken == WAIT_OBJECT_0 + 1 ? serialWaitStopped : serialWaitFailed;
    }

    BOOL WaitEvent(DWORD eventMask) override
    {
        Lock lock(m_shared->mutex);
        if (!m_shared->modemLinesWork || !(eventMask & EV_RLSD))
            return FALSE;
        uint64_t seen = m_shared->carrierChanges;
        m_shared->changed.wait(lock, [&] { return m_shared->carrierChanges != seen; });
        return TRUE;
    }

private:
    void NotifyLines()
    {
        if (!m_shared->linesObserver)
            return;
        bool dtr, rts;
        {
            Lock lock(m_shared->mutex);
            dtr = m_shared->dtr;
            rts = m_shared->rts;
        }
        m_shared->linesObserver(dtr, rts);
    }

    std::shared_ptr<Shared> m_shared;
};

}  // namespace

CFakeSerialDevice::CFakeSerialDevice(const CString& name) : m_name(name), m_shared(std::make_shared<Shared>())
{
    m_shared->state.baudRate = 9600;
    CSerialPortRegistry::Register(m_name, this);
}

CFakeSerialDevice::~CFakeSerialDevice()
{
    CSerialPortRegistry::Unregister(m_name, this);
}

std::unique_ptr<ISerialPort> CFakeSerialDevice::Connect()
{
    Lock lock(m_shared->mutex);
    if (m_shared->open || m_shared->busy || m_shared->disconnected)
        return NULL;
    m_shared->open = true;
    m_shared->commMask = 0;
    m_shared->rxReported = false;
    ++m_shared->connects;
    // Each opening starts from the tty's defaults: lines up, no break.
    m_shared->dtr = true;
    m_shared->rts = true;
    m_shared->breakOn = false;
    return std::make_unique<CFakeSerialConnection>(m_shared);
}

// The accessors read best as a table, one per line.
// clang-format off
bool CFakeSerialDevice::IsOpen() const { Lock lock(m_shared->mutex); return m_shared->open; }
int CFakeSerialDevice::ConnectCount() const { Lock lock(m_shared->mutex); return m_shared->connects; }
bool CFakeSerialDevice::Dtr() const { Lock lock(m_shared->mutex); return m_shared->dtr; }
bool CFakeSerialDevice::Rts() const { Lock lock(m_shared->mutex); return m_shared->rts; }
bool CFakeSerialDevice::Break() const { Lock lock(m_shared->mutex); return m_shared->breakOn; }
bool CFakeSerialDevice::BreakHeldAtClose() const { Lock lock(m_shared->mutex); return m_shared->breakAtClose; }
SerialState CFakeSerialDevice::State() const { Lock lock(m_shared->mutex); return m_shared->state; }
SerialTimeouts CFakeSerialDevice::Timeouts() const { Lock lock(m_shared->mutex); return m_shared->timeouts; }
std::vector<BYTE> CFakeSerialDevice::Received() const { Lock lock(m_shared->mutex); return m_shared->received; }
void CFakeSerialDevice::ClearReceived() { Lock lock(m_shared->mutex); m_shared->received.clear(); }
uint64_t CFakeSerialDevice::LineChanges() const { Lock lock(m_shared->mutex); return m_shared->lineChanges; }
uint64_t CFakeSerialDevice::StatusReads() const { Lock lock(m_shared->mutex); return m_shared->statusReads; }

bool CFakeSerialDevice::Carrier() const { Lock lock(m_shared->mutex); return m_shared->carrier; }
void CFakeSerialDevice::SetCts(bool on) { Lock lock(m_shared->mutex); m_shared->cts = on; }
void CFakeSerialDevice::SetDsr(bool on) { Lock lock(m_shared->mutex); m_shared->dsr = on; }
void CFakeSerialDevice::SetRing(bool on) { Lock lock(m_shared->mutex); m_shared->ring = on; }
// clang-format on

void CFakeSerialDevice::SetCarrier(bool on)
{
    Lock lock(m_shared->mutex);
    if (m_shared->carrier == on)
        return;
    m_shared->carrier = on;
    ++m_shared->carrierChanges;
    m_shared->Changed();
}

void CFakeSerialDevice::Send(const BYTE* data, size_t length, DWORD delayMs)
{
    Lock lock(m_shared->mutex);
    uint64_t due = Now() + delayMs;
    auto place = std::find_if(m_shared->pending.begin(), m_shared->pending.end(),
                              [due](const Shared::Pending& p) { return p.due > due; });
    m_shared->pending.insert(place, Shared::Pending{due, std::vector<BYTE>(data, data + length)});
    m_shared->Changed();
}

void CFakeSerialDevice::Send(std::string_view text, DWORD delayMs)
{
    Send(reinterpret_cast<const BYTE*>(text.data()), text.size(), delayMs);
}

// The accessors read best as a table, one per line.
// clang-format off
void CFakeSerialDevice::OnLinesChanged(LineObserver observer) { Lock lock(m_shared->mutex); m_shared->linesObserver = std::move(observer); }
void CFakeSerialDevice::OnReceived(ByteObserver observer) { Lock lock(m_shared->mutex); m_shared->bytesObserver = std::move(observer); }
void CFakeSerialDevice::SetModemLinesWork(bool work) { Lock lock(m_shared->mutex); m_shared->modemLinesWork = work; }
void CFakeSerialDevice::SetBusy(bool busy) { Lock lock(m_shared->mutex); m_shared->busy = busy; }
void CFakeSerialDevice::SetStateWorks(bool works) { Lock lock(m_shared->mutex); m_shared->stateWorks = works; }
void CFakeSerialDevice::SetReceiveLimit(size_t bytes) { Lock lock(m_shared->mutex); m_shared->receiveLimit = bytes; }
// clang-format on

void CFakeSerialDevice::HoldWrite(size_t byte, DWORD realMs)
{
    Lock lock(m_shared->mutex);
    m_shared->holdAtByte = byte;
    m_shared->holdMs = realMs;
}

void CFakeSerialDevice::SetDisconnected(bool disconnected)
{
    Lock lock(m_shared->mutex);
    m_shared->disconnected = disconnected;
    if (disconnected)
        m_shared->unplugged.Set();
    else
        m_shared->unplugged.Reset();
    m_shared->Changed();
}
