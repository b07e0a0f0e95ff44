#include "tests/support/FakeParallelPort.h"

#include <cerrno>

#include "platform/os/PortOpenFailure.h"
#include "ports/Parallel.h"

struct CFakeParallelPort::Shared {
    bool present = true;
    DWORD version = 501;
    bool heldElsewhere = false;
    bool refuseTransfers = false;
    bool logging = true;

    BYTE data = 0;
    BYTE status = 0;
    BYTE control = 0;
    BYTE extendedControl = 0;
    BYTE devicePins = 0;

    int connections = 0;
    bool claimed = false;
    std::vector<Request> log;
    WriteObserver writeObserver;

    void Record(Request::Kind kind, DWORD port, BYTE value, bool granted)
    {
        if (logging)
            log.push_back(Request{kind, port, value, granted});
    }

    bool ByteMode() const { return (extendedControl >> 5) == 1; }
    bool HostReadsPins() const { return ByteMode() && (control & 0x20) != 0; }
};

namespace {

using Shared = CFakeParallelPort::Shared;
using Request = CFakeParallelPort::Request;

const DWORD kClaimHandle = 0x5A;

class CFakeParallelConnection : public IParallelDriver {
public:
    explicit CFakeParallelConnection(std::shared_ptr<Shared> shared) : m_shared(std::move(shared))
    {
        ++m_shared->connections;
        m_shared->Record(Request::Open, 0, 0, true);
    }

    ~CFakeParallelConnection() override
    {
        // Closing the device releases a claim left behind, as ppdev does.
        if (m_claimed)
            m_shared->claimed = false;
        --m_shared->connections;
        m_shared->Record(Request::Close, 0, 0, true);
    }

    DWORD QueryVersion() override
    {
        m_shared->Record(Request::Version, 0, 0, true);
        return m_shared->version;
    }

    DWORD ClaimRange(DWORD firstPort, DWORD count, BOOL) override
    {
        bool granted = !m_shared->heldElsewhere && !m_shared->claimed && firstPort == CParallel::kPortBase &&
                       count >= 1 && count <= 5;
        m_shared->Record(Request::Claim, firstPort, 0, granted);
        if (!granted && m_shared->heldElsewhere) {
            // As ppdev tells why: the claim was refused because someone else has the port.
            CPortOpenFailure busy(CPortOpenFailure::portParallel, CPortOpenFailure::kindBusy, "/dev/parport0", EBUSY);
            busy.m_strHolder = "another program";
            CPortOpenFailure::SetLast(busy);
        }
        if (!granted)
            return 0;
        m_shared->claimed = m_claimed = true;
        return kClaimHandle;
    }

    BOOL ReleaseRange(DWORD handle) override
    {
        bool granted = m_claimed && handle == kClaimHandle;
        m_shared->Record(Request::Release, 0, 0, granted);
        if (granted)
            m_shared->claimed = m_claimed = false;
        return granted;
    }

    BOOL WritePort(DWORD port, BYTE value) override
    {
        bool granted = Usable() && Store(port, value);
        m_shared->Record(Request::Write, port, value, granted);
        if (granted && m_shared->writeObserver)
            m_shared->writeObserver(port, value);
        return granted;
    }

    BOOL ReadPort(DWORD port, BYTE& value) override
    {
        BYTE read = 0;
        bool granted = Usable() && Load(port, read);
        m_shared->Record(Request::Read, port, read, granted);
        if (granted)
            value = read;
        return granted;
    }

private:
    // Like ppdev: the registers answer the connection that holds the claim, or one that can
    // claim the port for the moment of the transfer.
    bool Usable() const
    {
        if (m_shared->refuseTransfers)
            return false;
        return m_claimed || (!m_shared->claimed && !m_shared->heldElsewhere);
    }

    bool Store(DWORD port, BYTE value)
    {
        switch (port) {
        case CParallel::kPortData: m_shared->data = value; return true;
        case CParallel::kPortControl: m_shared->control = value; return true;
        case CParallel::kPortExtendedControl: m_shared->extendedControl = value; return true;
        default: return false;
        }
    }

    bool Load(DWORD port, BYTE& value) const
    {
        switch (port) {
        case CParallel::kPortData:
            value = m_shared->HostReadsPins() ? m_shared->devicePins : m_shared->data;
            return true;
        case CParallel::kPortStatus: value = m_shared->status; return true;
        case CParallel::kPortControl: value = m_shared->control; return true;
        case CParallel::kPortExtendedControl: value = m_shared->extendedControl; return true;
        default: return false;
        }
    }

    std::shared_ptr<Shared> m_shared;
    bool m_claimed = false;
};

}  // namespace

CFakeParallelPort::CFakeParallelPort() : m_shared(std::make_shared<Shared>())
{
    std::shared_ptr<Shared> shared = m_shared;
    m_previous = CParallelDriverFactory::Install([shared]() -> std::unique_ptr<IParallelDriver> {
        if (!shared->present) {
            shared->Record(Request::Open, 0, 0, false);
            return NULL;
        }
        return std::make_unique<CFakeParallelConnection>(shared);
    });
}

CFakeParallelPort::~CFakeParallelPort()
{
    CParallelDriverFactory::Install(std::move(m_previous));
}

// The accessors read best as a table, one per line.
// clang-format off
void CFakeParallelPort::SetPresent(bool present) { m_shared->present = present; }
void CFakeParallelPort::SetVersion(DWORD version) { m_shared->version = version; }
void CFakeParallelPort::SetHeldElsewhere(bool held) { m_shared->heldElsewhere = held; }
void CFakeParallelPort::SetRefuseTransfers(bool refuse) { m_shared->refuseTransfers = refuse; }
void CFakeParallelPort::SetLogging(bool on) { m_shared->logging = on; }
void CFakeParallelPort::SetControl(BYTE value) { m_shared->control = value; }
void CFakeParallelPort::SetStatus(BYTE value) { m_shared->status = value; }
void CFakeParallelPort::SetDevicePins(BYTE value) { m_shared->devicePins = value; }
BYTE CFakeParallelPort::Control() const { return m_shared->control; }
BYTE CFakeParallelPort::DataLatch() const { return m_shared->data; }
BYTE CFakeParallelPort::ExtendedControl() const { return m_shared->extendedControl; }
bool CFakeParallelPort::HostReadsPins() const { return m_shared->HostReadsPins(); }
int CFakeParallelPort::OpenConnections() const { return m_shared->connections; }
bool CFakeParallelPort::IsClaimed() const { return m_shared->claimed; }
const std::vector<CFakeParallelPort::Request>& CFakeParallelPort::Log() const { return m_shared->log; }
void CFakeParallelPort::ClearLog() { m_shared->log.clear(); }
void CFakeParallelPort::OnWrite(WriteObserver observer) { m_shared->writeObserver = std::move(observer); }
// clang-format on

BYTE CFakeParallelPort::DataPins() const
{
    return m_shared->HostReadsPins() ? m_shared->devicePins : m_shared->data;
}

std::vector<BYTE> CFakeParallelPort::WritesTo(DWORD port) const
{
    std::vector<BYTE> values;
    for (const Request& request : m_shared->log) {
        if (request.kind == Request::Write && request.port == port && request.granted)
            values.push_back(request.value);
    }
    return values;
}
