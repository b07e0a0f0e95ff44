#include "tests/sim/TessarEepromSimulator.h"

namespace {

const size_t kBlockBytes = 128;
const DWORD kPageBytes = 256;

}  // namespace

CTessarEepromSimulator::CTessarEepromSimulator(DWORD pramWords, DWORD xramWords)
    : m_pramWords(pramWords), m_xramWords(xramWords)
{
}

CTessarEepromSimulator::~CTessarEepromSimulator()
{
    Stop();
}

void CTessarEepromSimulator::SetBehaviour(const Behaviour& behaviour)
{
    Lock lock(m_mutex);
    m_behaviour = behaviour;
}

void CTessarEepromSimulator::OnReset()
{
    m_state = State::Idle;
    m_incoming.clear();
    m_written.clear();
    m_commands.clear();
    m_blocks = 0;
    m_unexpected = 0;
}

void CTessarEepromSimulator::OnByte(BYTE b)
{
    switch (m_state) {
    case State::Idle:
        if (b == '#')
            m_state = State::Letter;
        else
            ++m_unexpected;
        break;
    case State::Letter:
        if (b == 'P' || b == 'X') {
            BeginArea((char)b);
        } else {
            ++m_unexpected;
            m_state = State::Idle;
        }
        break;
    case State::Data:
        m_incoming.push_back(b);
        if (m_incoming.size() % kBlockBytes == 0 || m_incoming.size() == m_areaBytes)
            EndBlock();
        break;
    }
}

void CTessarEepromSimulator::BeginArea(char letter)
{
    int command = (int)m_commands.size();
    m_commands.push_back(letter);
    m_area = letter;
    m_areaBytes = 2 * (letter == 'P' ? m_pramWords : m_xramWords);
    m_incoming.clear();
    m_state = State::Data;

    bool faulty = m_behaviour.faultAt == command;
    Fault fault = faulty ? m_behaviour.fault : Fault::None;
    BYTE pages = (BYTE)(m_areaBytes / kPageBytes);
    if (fault == Fault::NoSize)
        return;
    Send(fault == Fault::WrongSize ? (BYTE)(pages + 1) : pages);
    if (fault != Fault::ShortSize)
        Send(m_behaviour.spare);
}

void CTessarEepromSimulator::EndBlock()
{
    int block = m_blocks++;
    Fault fault = m_behaviour.faultAt == block ? m_behaviour.fault : Fault::None;
    if (m_incoming.size() == m_areaBytes) {
        m_written[m_area] = m_incoming;
        m_state = State::Idle;
    }
    if (fault == Fault::NoAck)
        return;
    Send(fault == Fault::WrongAck ? 'E' : '.');
}

std::vector<BYTE> CTessarEepromSimulator::AreaBytes(char letter) const
{
    Lock lock(m_mutex);
    auto found = m_written.find(letter);
    return found == m_written.end() ? std::vector<BYTE>() : found->second;
}

std::vector<char> CTessarEepromSimulator::Commands() const
{
    Lock lock(m_mutex);
    return m_commands;
}

int CTessarEepromSimulator::Blocks() const
{
    Lock lock(m_mutex);
    return m_blocks;
}

size_t CTessarEepromSimulator::UnexpectedBytes() const
{
    Lock lock(m_mutex);
    return m_unexpected;
}
