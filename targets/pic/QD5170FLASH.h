// The QD5170 evaluation board: a PIC18 device (32 KB of code memory, 256 bytes of data
// EEPROM) programmed in circuit over a serial port whose modem lines are the programming
// lines.
#pragma once

#include "targets/pic/PIC18Target.h"

class CQD5170Flash : public CPIC18Target {
public:
    // Type id 4, "QD5170", "QD5170 Evaluation Board", device flags 0x41D1.
    CQD5170Flash();
    ~CQD5170Flash() override;

    // The stored record over the board's default (verify on, nothing protected). 1.
    int LoadOptions() override;
    // Programs the device with id 0x0400 through COM1:..COM4: as programming lines.
    BOOL Program(CString resource, CString* status) override;
    BOOL GetResourceName(int index, CString& name) override;

    // The board's default record: every implemented configuration bit as the erased device
    // has it, which is also the mask of those bits; verify after programming.
    static const PIC18Config kDefaultConfig;
};

// The board's one global object, defined with the other globals in their construction order.
extern CQD5170Flash theQD5170Flash;
