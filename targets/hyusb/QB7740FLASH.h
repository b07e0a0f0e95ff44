// The QB7740 evaluation kit: a 64 KB FLASH written in 128-byte blocks over USB HID, product
// id 256, verified after programming unless the options say otherwise.
#pragma once

#include "targets/hyusb/hyUSBFlash.h"

class CQB7740Flash : public CHyUSBFlash {
public:
    // The kit: type id 5, "QB7740", "QB7740 Evaluation Kit".
    CQB7740Flash();
    ~CQB7740Flash() override;

    // Sets the kit's sizes and product id, then reads "QB7740_Options" (verify on without one).
    int LoadOptions() override;
    // One resource, "USB"; the board is found by its ids, not by this name.
    BOOL GetResourceName(int index, CString& name) override;

    static const DWORD flashSize = 0x10000;
    static const DWORD blockSize = 128;
    static const WORD productId = 256;
};

// The kit's one global object, defined with the other globals in their construction order.
extern CQB7740Flash theQB7740Flash;
