// The QB6620 evaluation board: a PIC16 device (8K words of FLASH, 256 bytes of data EEPROM)
// programmed in circuit in low-voltage mode over the parallel port LPT1, with the PGM line.
#pragma once

#include "targets/pic/PIC16Target.h"

class CQB66XXFlash : public CPIC16Target {
public:
    // Type id 3, "QB6620", "QB6620 Evaluation Board", capability 0x02F2.
    CQB66XXFlash();
    ~CQB66XXFlash() override;

    // The stored word, or 0xB1F1 (verify on, low-voltage programming, brown-out reset and
    // power-up timer on, XT oscillator, nothing protected). 1.
    int LoadOptions() override;
    // Programs the device with id 0x9A0 in low-voltage mode: the low-voltage capability and
    // the LVP bit are set for the run only and cleared again on every way out, so outside a
    // run the options dialog does not offer the low-voltage option and m_wConfig no longer
    // carries its bit.
    BOOL Program(CString resource, CString* status) override;
    BOOL GetResourceName(int index, CString& name) override;
};

// The board's one global object, defined with the other globals in their construction order.
extern CQB66XXFlash theQB6620Flash;
