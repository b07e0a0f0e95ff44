// The host side of Microchip's in-circuit serial programming (ICSP) lines, shared by the PIC
// target families: a clock and a data line driven one bit at a time through a port object's
// programming lines (serial modem lines or parallel-port bits), the data line read back, the
// PGM line, and the calibrated busy waits between the edges.
//
// Levels are logical: 1 is the line high at the device; the port object maps them to its pins
// and inversions. Waits are in units of 10 microseconds (CTargetBase::Delay); a wait of 0 is
// skipped without calling the delay routine. Nothing here buffers or sleeps: every line
// operation is one call of the port object, so the device sees each edge as it is made.
//
// Every operation that drives a line returns FALSE as soon as one line change fails (only the
// serial lines can fail); reading the data line cannot fail.
#pragma once

#include <cstdint>

#include "platform/base/WinTypes.h"

class CCommsBase;

class CIcspLines {
public:
    // Drives the lines of `comms`, which the caller opens and closes; it must outlive this.
    explicit CIcspLines(CCommsBase& comms);

    BOOL SetData(BOOL level);
    BOOL SetClock(BOOL level);
    // The level the device leaves on the data line; exactly 1 means a 1 bit.
    BOOL GetData();
    BOOL SetPgm(BOOL level);

    // Data low, then clock low: the level the device expects between frames and at entry to
    // its programming mode.
    BOOL Idle();
    // Clock high, wait `high`, clock low, wait `low`.
    BOOL ClockPulse(DWORD high, DWORD low);
    // Data to `bit` (any non-zero value is 1), then one clock pulse; the device latches the
    // bit on the falling edge.
    BOOL SendBit(BOOL bit, DWORD high, DWORD low);
    // The low `count` bits of `value` (at most 32), least significant first, each by SendBit.
    // The data line is left at the last bit sent.
    BOOL SendBits(DWORD value, int count, DWORD high, DWORD low);
    // `count` bits (at most 32) clocked in from the device: clock high, wait `high`, sample the
    // data line, clock low, wait `low`. The first bit sampled is bit 0 of `*value`; the bits
    // above `count` are 0. The data line is not touched: the caller releases it first.
    BOOL ReceiveBits(DWORD* value, int count, DWORD high, DWORD low);

    // Busy-waits `units` x 10 microseconds; 0 returns at once.
    void Wait(DWORD units);

    // What the lines have done since construction: line operations made (each one call of the
    // port object), waits actually made, and the sum of their units. For measurements; they
    // cost one increment each.
    uint64_t LineOperations() const { return m_nLineOperations; }
    uint64_t Waits() const { return m_nWaits; }
    uint64_t WaitedUnits() const { return m_nWaitedUnits; }

    CIcspLines(const CIcspLines&) = delete;
    CIcspLines& operator=(const CIcspLines&) = delete;

private:
    CCommsBase& m_Comms;
    uint64_t m_nLineOperations = 0;
    uint64_t m_nWaits = 0;
    uint64_t m_nWaitedUnits = 0;
};
