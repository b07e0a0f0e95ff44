#include "tests/sim/TessarThickSimulator.h"

#include <cstdlib>

namespace {

const size_t kPieceChars = 64;
const size_t kFieldChars = 4;

}  // namespace

CTessarThickSimulator::CTessarThickSimulator() = default;

CTessarThickSimulator::~CTessarThickSimulator()
{
    Stop();
}

// The accessors read best as a table, one per line.
// clang-format off
void CTessarThickSimulator::SetBehaviour(const Behaviour& behaviour) { Lock lock(m_mutex); m_behaviour = behaviour; }
int CTessarThickSimulator::AreasStored() const { Lock lock(m_mutex); return m_areas; }
std::vector<std::string> CTessarThickSimulator::Jumps() const { Lock lock(m_mutex); return m_jumps; }
// clang-format on

void CTessarThickSimulator::OnReset()
{
    m_state = State::Idle;
    m_commands = m_pieces = m_echoes = m_jumpsTried = m_areas = 0;
    m_jumps.clear();
}

bool CTessarThickSimulator::Faulty(Fault fault, int index) const
{
    return m_behaviour.fault == fault && m_behaviour.faultAt == index;
}

void CTessarThickSimulator::OnByte(BYTE b)
{
    switch (m_state) {
    case State::Idle:
        if (b != '#')
            return;
        m_state = State::Count;
        m_field.clear();
        if (!Faulty(Fault::NoPrompt, m_commands))
            Send(Faulty(Fault::WrongPrompt, m_commands) ? '?' : '>');
        ++m_commands;
        return;
    case State::Count:
        m_field += (char)b;
        if (m_field.size() == kFieldChars)
            EndCount();
        return;
    case State::Address:
        if (++m_taken == kFieldChars) {
            m_state = State::Data;
            m_taken = 0;
        }
        return;
    case State::Data:
        if (++m_taken % kPieceChars != 0 && m_taken != m_wanted)
            return;
        if (m_taken == m_wanted) {
            ++m_areas;
            m_state = State::Idle;
        }
        if (!Faulty(Fault::NoAck, m_pieces))
            Send(Faulty(Fault::WrongAck, m_pieces) ? '?' : '.');
        ++m_pieces;
        return;
    case State::JumpAddress: OnJumpCharacter((char)b); return;
    }
}

void CTessarThickSimulator::EndCount()
{
    char* end = NULL;
    size_t count = strtoul(m_field.c_str(), &end, 16);
    m_field.clear();
    if (*end != '\0') {
        m_state = State::Idle;  // not a count: the stub waits for the next command
    } else if (count == 0) {
        m_state = State::JumpAddress;
    } else {
        m_wanted = 4 * count;
        m_taken = 0;
        m_state = State::Address;
    }
}

void CTessarThickSimulator::OnJumpCharacter(char ch)
{
    m_field += ch;
    if (!Faulty(Fault::NoEcho, m_echoes))
        Send(Faulty(Fault::WrongEcho, m_echoes) ? (BYTE)(ch ^ 0x20) : (BYTE)ch);
    ++m_echoes;
    if (m_field.size() < kFieldChars)
        return;
    m_state = State::Idle;
    int jump = m_jumpsTried++;
    if (Faulty(Fault::NoDone, jump))
        return;
    if (Faulty(Fault::WrongDone, jump)) {
        Send('?');
        return;
    }
    m_jumps.push_back(m_field);
    Send('!');
}
