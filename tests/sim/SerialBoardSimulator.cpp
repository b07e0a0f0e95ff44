#include "tests/sim/SerialBoardSimulator.h"

#include <chrono>

#include "tests/support/FakeSerialDevice.h"
#include "tests/support/PseudoTerminal.h"

CSerialBoardSimulator::CSerialBoardSimulator() = default;

CSerialBoardSimulator::~CSerialBoardSimulator()
{
    Stop();
}

bool CSerialBoardSimulator::Start()
{
    m_pty = std::make_unique<CPseudoTerminal>();
    if (!m_pty->IsOpen()) {
        m_pty.reset();
        return false;
    }
    m_portPath = m_pty->SlavePath();
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CSerialBoardSimulator::Attach(CFakeSerialDevice& device)
{
    m_pDevice = &device;
    device.OnReceived([this](const BYTE* data, size_t length) { Feed(data, length); });
}

void CSerialBoardSimulator::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_pty.reset();
}

void CSerialBoardSimulator::Run()
{
    while (!m_stop) {
        // Short waits, so that Stop is seen at once; bytes are taken as soon as they come.
        std::vector<BYTE> bytes = m_pty->ReadAvailable(4096, 5);
        if (!bytes.empty())
            Feed(bytes.data(), bytes.size());
    }
}

void CSerialBoardSimulator::Feed(const BYTE* data, size_t length)
{
    Lock lock(m_mutex);
    for (size_t i = 0; i < length; ++i) {
        m_received.push_back(data[i]);
        if (m_received.size() <= m_silentAfter)
            OnByte(data[i]);
    }
    m_changed.notify_all();
}

bool CSerialBoardSimulator::WaitReceived(size_t count, DWORD timeoutMs)
{
    Lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_received.size() >= count; });
}

void CSerialBoardSimulator::Send(BYTE b)
{
    if (m_pty)
        m_pty->Write(&b, 1);
    else if (m_pDevice)
        m_pDevice->Send(&b, 1);
}

void CSerialBoardSimulator::Reset()
{
    Lock lock(m_mutex);
    if (m_pty)
        m_pty->Flush();
    m_received.clear();
    m_silentAfter = (size_t)-1;
    OnReset();
}

void CSerialBoardSimulator::GoSilentAfter(size_t bytes)
{
    Lock lock(m_mutex);
    m_silentAfter = bytes;
}

std::vector<BYTE> CSerialBoardSimulator::Received() const
{
    Lock lock(m_mutex);
    return m_received;
}

std::string CSerialBoardSimulator::ReceivedText() const
{
    Lock lock(m_mutex);
    return std::string(m_received.begin(), m_received.end());
}
