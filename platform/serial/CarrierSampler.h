// Carrier-detect changes of a line that is sampled rather than waited for. One sample takes two
// requests, the line's level and the driver's count of its transitions, and the line can change
// between them; drivers also differ in the count: some keep it in step with the level, some
// bring it up to date later, some answer with one that never moves. So neither reading alone is
// trusted: each tells how many changes it has seen since Start, the larger tally is how many
// have happened, and a sample reports a change only when that tally has grown. A change seen
// by both, in the same sample or in two, is reported once; where the count is in step it alone
// decides, and where it is missing or frozen the level does.
#pragma once

#include <cstdint>

#include "platform/base/WinTypes.h"

// The two requests a sample makes.
class ICarrierLine {
public:
    virtual ~ICarrierLine() = default;
    // The carrier-detect level; FALSE when the line cannot be read.
    virtual BOOL ReadCarrier(BOOL& on) = 0;
    // The driver's running count of carrier transitions; FALSE where the driver keeps none.
    virtual BOOL ReadCarrierTransitions(DWORD& count) = 0;
};

class CCarrierSampler {
public:
    // Takes the line's present state as the one later changes are measured against. FALSE
    // when the level cannot be read.
    BOOL Start(ICarrierLine& line);
    // Reads the level, then the count. FALSE when the level cannot be read; otherwise
    // `changed` is TRUE when a change has come that no earlier sample reported.
    BOOL Sample(ICarrierLine& line, BOOL& changed);

private:
    BOOL m_bLevel = FALSE;
    BOOL m_bCountKnown = FALSE;
    DWORD m_dwCount = 0;
    // Changes since Start as each reading tells them, and as reported.
    uint64_t m_nLevelChanges = 0;
    uint64_t m_nCounted = 0;
    uint64_t m_nReported = 0;
};
