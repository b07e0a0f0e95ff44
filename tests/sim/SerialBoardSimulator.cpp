#include "tests/sim/SerialBoardSimulator.h"

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
    if (!m_pty->IsOpen())
        return false;
    m_portPath = m_pty->SlavePath();
    m_thread = std::thread([this] {
        // Short waits, so that Stop is seen at once; bytes are taken as soon as they come.
        while (!m_stop) {
            std::vector<BYTE> bytes = m_pty->ReadAvailable(4096, 5);
            Feed(bytes.data(), bytes.size());
        }
    });
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
}

void CSerialBoardSimulator::Feed(const BYTE* data, size_t length)
{
    Lock lock(m_mutex);
    for (size_t i = 0; i < length; ++i) {
        m_received += (char)data[i];
        if (m_received.size() <= m_silentAfter)
            OnByte(data[i]);
    }
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

// The accessors read best as a table, one per line.
// clang-format off
void CSerialBoardSimulator::GoSilentAfter(size_t bytes) { Lock lock(m_mutex); m_silentAfter = bytes; }
std::string CSerialBoardSimulator::Received() const { Lock lock(m_mutex); return m_received; }
// clang-format on
