// Holds the busy-wait factor for a test and puts the program's own back after.
#pragma once

#include "targets/TargetBase.h"

// Any factor but 0 skips the calibration, which takes a second of real time and never ends on
// a virtual clock; 1 keeps each wait's counted loop to one iteration a unit, and on the virtual
// clock the waits then cost nothing. 0 leaves the program uncalibrated.
class CScopedDelayFactor {
public:
    explicit CScopedDelayFactor(DWORD factor = 1) : m_saved(CTargetBase::s_nDelayFactor)
    {
        CTargetBase::s_nDelayFactor = factor;
    }
    ~CScopedDelayFactor() { CTargetBase::s_nDelayFactor = m_saved; }
    CScopedDelayFactor(const CScopedDelayFactor&) = delete;
    CScopedDelayFactor& operator=(const CScopedDelayFactor&) = delete;

private:
    DWORD m_saved;
};
