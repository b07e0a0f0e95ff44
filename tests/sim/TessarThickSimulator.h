// A Tessar board running the 'thick' stub. Written from the stub's side of the protocol:
//   the host sends '#'; the stub prompts with '>' and reads a word count as four hexadecimal
//   characters. A nonzero count is followed, unanswered, by four characters of start word
//   address and then by 4 x count characters of area text, which the stub takes in pieces of
//   64 characters and answers each with '.' once stored. A count of 0000 is the jump: the
//   stub reads the four characters of the jump address, echoing each, answers '!' and jumps.
//   Then it waits for the next '#'.
// Injectable faults: a wrong or missing prompt, acknowledgement, echo or jump answer at a
// chosen point of the run, and the line going silent mid-download (CSerialBoardSimulator).
#pragma once

#include <string>
#include <vector>

#include "tests/sim/SerialBoardSimulator.h"

class CTessarThickSimulator : public CSerialBoardSimulator {
public:
    enum class Fault {
        None,
        WrongPrompt, NoPrompt,  // faultAt: the command of the run, from 0
        WrongAck, NoAck,        // faultAt: the piece of the run
        WrongEcho, NoEcho,      // faultAt: the jump address character of the run; a wrong
                                // echo is the character with its case bit flipped
        WrongDone, NoDone,      // faultAt: the jump of the run
    };

    struct Behaviour {
        Fault fault = Fault::None;
        int faultAt = 0;
    };

    // One area as the stub took it.
    struct Download {
        std::string count;
        std::string address;
        std::string text;
        bool complete = false;
    };

    CTessarThickSimulator();
    ~CTessarThickSimulator() override;

    void SetBehaviour(const Behaviour& behaviour);

    std::vector<Download> Downloads() const;
    // The addresses of the jumps answered with '!', in order.
    std::vector<std::string> Jumps() const;
    int Pieces() const;
    // Bytes that came while the stub waited for '#', and counts that are not hexadecimal.
    size_t UnexpectedBytes() const;

private:
    enum class State { Idle, Count, Address, Data, JumpAddress };

    void OnByte(BYTE b) override;
    void OnReset() override;
    bool IsFault(Fault fault, int index) const;
    void EndCount();
    void EndPiece();
    void OnJumpCharacter(char ch);

    Behaviour m_behaviour;
    State m_state = State::Idle;
    std::string m_field;
    size_t m_wanted = 0;
    size_t m_pieceChars = 0;
    std::vector<Download> m_downloads;
    std::vector<std::string> m_jumps;
    int m_commands = 0;
    int m_pieces = 0;
    int m_echoes = 0;
    int m_jumpsTried = 0;
    size_t m_unexpected = 0;
};
