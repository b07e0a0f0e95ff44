// The QD5140 evaluation board: a PIC16 device (8K words of FLASH, 256 bytes of data EEPROM)
// programmed in circuit over a serial port whose modem lines are the programming lines.
#pragma once

#include "targets/pic/PIC16Target.h"

class CQD5140Flash : public CPIC16Target {
public:
    // Type id 2, "QD5140", "QD5140 Evaluation Board", capability 0x02F2.
    CQD5140Flash();
    ~CQD5140Flash() override;

    // The stored word, or 0xB139 (verify on, XT oscillator, nothing protected). 1.
    int LoadOptions() override;
    // Programs the device with id 0x9E0 through COM1:..COM4: as programming lines.
    BOOL Program(CString resource, CString* status) override;
    BOOL GetResourceName(int index, CString& name) override;
};

// The board's one global object, defined with the other globals in their construction order.
extern CQD5140Flash theQD5140Flash;
