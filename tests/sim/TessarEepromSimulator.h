// A Tessar board running its EEPROM loader. Written from the board's side of the protocol:
//   the host sends '#' and an area letter, 'P' (PRAM) or 'X' (XRAM); the loader answers with
//   two bytes, the area's EEPROM size in 256-byte pages and a spare byte (0 here); then it
//   takes the area's bytes (two per 16-bit word, high byte first) in blocks of 128 and
//   answers each block with '.' once it is written. After the last block it waits for the
//   next '#'. Any other letter is not a command: the loader says nothing and waits for '#'.
// Injectable faults: a wrong, short or missing size answer, a wrong or missing acknowledgement
// of one block, and the line going silent mid-download (see CSerialBoardSimulator).
#pragma once

#include <map>
#include <vector>

#include "tests/sim/SerialBoardSimulator.h"

class CTessarEepromSimulator : public CSerialBoardSimulator {
public:
    enum class Fault {
        None,
        WrongSize,   // the size answer names one page more than the area has
        ShortSize,   // only the first byte of the size answer
        NoSize,      // no size answer
        WrongAck,    // 'E' for the block
        NoAck,       // nothing for the block
    };

    struct Behaviour {
        BYTE spare = 0;             // second byte of every size answer
        Fault fault = Fault::None;
        int faultAt = 0;            // the command (size faults) or block (ack faults) of the run, from 0
    };

    // The board's EEPROM areas, in 16-bit words.
    CTessarEepromSimulator(DWORD pramWords, DWORD xramWords);
    ~CTessarEepromSimulator() override;

    void SetBehaviour(const Behaviour& behaviour);

    // The bytes written into each area ('P' or 'X') by the last download of that area.
    std::vector<BYTE> AreaBytes(char letter) const;
    // The area letters of the commands taken, in order.
    std::vector<char> Commands() const;
    // Blocks written (and acknowledged or not) in this run.
    int Blocks() const;
    // Bytes that came while the loader waited for '#', and letters it does not know.
    size_t UnexpectedBytes() const;

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
    std::vector<BYTE> m_incoming;
    std::map<char, std::vector<BYTE>> m_written;
    std::vector<char> m_commands;
    int m_blocks = 0;
    size_t m_unexpected = 0;
};
