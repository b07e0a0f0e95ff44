#include "tests/sim/TessarEepromSimulator.h"

namespace {

const size_t kBlockBytes = 128;
const size_t kPageBytes = 256;

}  // namespace

CTessarEepromSimulator::CTessarEepromSimulator(DWORD pramWords, DWORD xramWords)
    : m_pramWords(pramWords), m_xramWords(xramWords)
{
}

CTessarEepromSimulator::~CTessarEepromSimulator()
{
    Stop();
}

// The accessors read best as a table, one per line.
// clang-format off
void CTessarEepromSimulator::SetBehaviour(const Behaviour& behaviour) { Lock lock(m_mutex); m_behaviour = behaviour; }
std::string CTessarEepromSimulator::Written() const { Lock lock(m_mutex); return m_written; }
// clang-format on

void CTessarEepromSimulator::OnReset()
{
    m_state = State::Idle;
    m_commands = 0;
    m_blocks = 0;
    m_written.clear();
}

void CTessarEepromSimulator::OnByte(BYTE b)
{
    switch (m_state) {
    case State::Idle:
        if (b == '#')
            m_state = State::Letter;
        break;
    case State::Letter:
        if (b == 'P' || b == 'X')
            BeginArea((char)b);
        else
            m_state = State::Idle;
        break;
    case State::Data:
        if (++m_taken % kBlockBytes == 0 || m_taken == m_areaBytes)
            EndBlock();
        break;
    }
}

void CTessarEepromSimulator::BeginArea(char letter)
{
    m_area = letter;
    m_areaBytes = 2 * (letter == 'P' ? m_pramWords : m_xramWords);
    m_taken = 0;
    m_state = State::Data;
    Fault fault = m_behaviour.faultAt == m_commands++ ? m_behaviour.fault : Fault::None;
    BYTE pages = (BYTE)(m_areaBytes / kPageBytes);
    if (fault == Fault::NoSize)
        return;
    Send(fault == Fault::WrongSize ? (BYTE)(pages + 1) : pages);
    if (fault != Fault::ShortSize)
        Send(m_behaviour.spare);
}

void CTessarEepromSimulator::EndBlock()
{
    Fault fault = m_behaviour.faultAt == m_blocks++ ? m_behaviour.fault : Fault::None;
    if (m_taken == m_areaBytes) {
        m_written += m_area;
        m_state = State::Idle;
    }
    if (fault != Fault::NoAck)
        Send(fault == Fault::WrongAck ? 'E' : '.');
}
