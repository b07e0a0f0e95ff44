// The QP0700 evaluation kit: the QB2300 board's target under its own identity and with its own
// settings values; blocks, loading, programming and every text are the board's.
#pragma once

#include "targets/stub/QB2300FLASH.h"

class CQP0700Flash : public CQB2300Flash {
public:
    // The kit: type id 6, "QP0700", "QP0700 Evaluation Kit".
    CQP0700Flash();
    ~CQP0700Flash() override;

    // As the board's, with "QP0700_ThinDefault" and "QP0700_Options".
    int LoadOptions() override;
    // The board's options dialog, pointed at this kit.
    int ShowOptions() override;
    void SaveOptions() override;
};

// The kit's one global object, defined with the other globals in their construction order.
extern CQP0700Flash theQP0700Flash;
