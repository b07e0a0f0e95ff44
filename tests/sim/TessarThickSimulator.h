// A Tessar board running the 'thick' stub, written from the stub's side of the protocol: on
// '#' the stub prompts '>' and reads a word count as four hexadecimal characters. A nonzero
// count is followed, unanswered, by four characters of start address and 4 x count characters
// of area text, which the stub stores in pieces of 64 characters, answering each with '.'.
// A count of 0000 is the jump: the stub echoes each of the four address characters, answers
// '!' and jumps. Then it waits for the next '#'.
// Faults: a wrong or missing prompt, piece answer, echo or jump answer; silence.
#pragma once

#include <string>
#include <vector>

#include "tests/sim/SerialBoardSimulator.h"

class CTessarThickSimulator : public CSerialBoardSimulator {
public:
    enum class Fault {
        None,
        WrongPrompt,
        NoPrompt,  // faultAt: the command of the run, from 0
        WrongAck,
        NoAck,  // faultAt: the piece of the run
        WrongEcho,
        NoEcho,  // faultAt: the address character of the run; a wrong echo
                 // has its case bit flipped
        WrongDone,
        NoDone,  // faultAt: the jump of the run
    };
    struct Behaviour {
        Fault fault = Fault::None;
        int faultAt = 0;
    };

    CTessarThickSimulator();
    ~CTessarThickSimulator() override;

    void SetBehaviour(const Behaviour& behaviour);
    // Areas stored whole, and the addresses the stub jumped to, in order.
    int AreasStored() const;
    std::vector<std::string> Jumps() const;

private:
    enum class State { Idle, Count, Address, Data, JumpAddress };

    void OnByte(BYTE b) override;
    void OnReset() override;
    bool Faulty(Fault fault, int index) const;
    void EndCount();
    void OnJumpCharacter(char ch);

    Behaviour m_behaviour;
    State m_state = State::Idle;
    std::string m_field;
    size_t m_wanted = 0;
    size_t m_taken = 0;
    int m_commands = 0;
    int m_pieces = 0;
    int m_echoes = 0;
    int m_jumpsTried = 0;
    int m_areas = 0;
    std::vector<std::string> m_jumps;
};
