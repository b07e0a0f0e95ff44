// A Tessar board running its EEPROM loader, written from the board's side of the protocol:
// the host sends '#' and an area letter, 'P' (PRAM) or 'X' (XRAM); the loader answers two
// bytes, the area's EEPROM size in 256-byte pages and a spare byte; then it takes the area's
// bytes (two per word, high byte first) in blocks of 128, answering each with '.' once written,
// and waits for the next '#'. Any other letter is no command: the loader waits for '#' again.
// Faults: a wrong, short or missing size answer; a wrong or missing block answer; silence.
#pragma once

#include <string>

#include "tests/sim/SerialBoardSimulator.h"

class CTessarEepromSimulator : public CSerialBoardSimulator {
public:
    enum class Fault {
        None,
        WrongSize,  // one page more than the area has
        ShortSize,  // the first size byte only
        NoSize,
        WrongAck,  // 'E'
        NoAck,
    };
    struct Behaviour {
        BYTE spare = 0;  // second byte of every size answer
        Fault fault = Fault::None;
        int faultAt = 0;  // the command (size faults) or block (block faults) of the run, from 0
    };

    // The board's EEPROM areas in 16-bit words.
    CTessarEepromSimulator(DWORD pramWords, DWORD xramWords);
    ~CTessarEepromSimulator() override;

    void SetBehaviour(const Behaviour& behaviour);
    // The letters of the areas written whole, in order.
    std::string Written() const;

private:
    enum class State { Idle, Letter, Data };

    void OnByte(BYTE b) override;
    void OnReset() override;
    void BeginArea(char letter);
    void EndBlock();

    const DWORD m_pramWords;
    const DWORD m_xramWords;
    Behaviour m_behaviour;
    State m_state = State::Idle;
    char m_area = 0;
    size_t m_areaBytes = 0;
    size_t m_taken = 0;
    int m_commands = 0;
    int m_blocks = 0;
    std::string m_written;
};
