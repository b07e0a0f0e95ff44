// A microcontroller on the in-circuit serial programming lines, as the line decoder
// (CIcspDecoder) drives it. The decoder turns the edges of the clock line into frames: a frame
// is a run of clock pulses that the device announces before it starts, stating on which
// pulses it drives the data line itself. The device model sees only whole frames, so one model
// per command set (PIC16, PIC18) sits on the same decoder and the same port attachments.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/base/WinTypes.h"

// One exchange of clock pulses, numbered from 0.
struct IcspFrame {
    int clocks = 0;          // pulses in the frame; 0: the device ignores the clock
    uint32_t driveMask = 0;  // bit k: the device drives the data line from the rising edge of
                             // pulse k up to the rising edge of pulse k + 1
    uint32_t outBits = 0;    // bit k: the level it drives during pulse k
};

// When a frame ran, in microseconds of the current clock (real time unless a test installed a
// virtual clock, which only the host's busy waits then move): the first rising and the last
// falling edge, and how long the clock stayed high on the last pulse (a device that programs
// while the host holds a clock high measures that time). All 0 while the decoder does not take
// times.
struct IcspFrameTiming {
    double startUs = 0;
    double endUs = 0;
    double lastHighUs = 0;
};

class IIcspDeviceModel {
public:
    virtual ~IIcspDeviceModel() = default;

    // Whether raising PGM (with MCLR at VDD) enters the programming mode: the device's
    // low-voltage programming bit.
    virtual bool AcceptsLowVoltageEntry() const = 0;
    // The device has just entered its programming mode (address counter reset); returns the
    // first frame it expects.
    virtual IcspFrame EnterProgramMode(bool lowVoltage) = 0;
    virtual void LeaveProgramMode() = 0;
    // A frame has ended. `hostBits` bit k is the data line at the falling edge of pulse k (the
    // device's own level on the pulses it drove). Returns the next frame.
    virtual IcspFrame FrameDone(uint32_t hostBits, const IcspFrameTiming& timing) = 0;
};

// What the device models keep alike: an observer of each command, the entries into the
// programming mode, the count of timing violations, and memory cells of `Cell` bits stuck at a
// level, by memory space and address.
template <class Address, class Cell>
class CIcspDeviceModelBase : public IIcspDeviceModel {
public:
    // Runs as each command's bits are in, before any data word or payload: a test can look at
    // the host's state then or break a line.
    void OnCommand(std::function<void(BYTE code)> observer) { m_commandObserver = std::move(observer); }
    bool InProgramMode() const { return m_inProgramMode; }
    int LowVoltageEntries() const { return m_lowVoltageEntries; }
    int HighVoltageEntries() const { return m_highVoltageEntries; }
    // Needs times from the decoder (CIcspDecoder::TakeTimes).
    void CheckTiming(bool on) { m_checkTiming = on; }
    int TimingViolations() const { return m_timingViolations; }

protected:
    void Entered(bool lowVoltage)
    {
        m_inProgramMode = true;
        ++(lowVoltage ? m_lowVoltageEntries : m_highVoltageEntries);
    }
    // The bit reads `level` whatever is written.
    template <class Space>
    void SetStuck(Space space, Address address, int bit, bool level)
    {
        auto& entry = m_stuck[{(int)space, address}];
        Cell mask = (Cell)(1u << bit);
        entry.first |= mask;
        entry.second = (Cell)((entry.second & ~mask) | (level ? mask : 0));
    }
    template <class Space>
    Cell Stuck(Space space, Address address, Cell value) const
    {
        if (m_stuck.empty())
            return value;
        auto found = m_stuck.find({(int)space, address});
        if (found == m_stuck.end())
            return value;
        return (Cell)((value & ~found->second.first) | found->second.second);
    }

    std::function<void(BYTE)> m_commandObserver;
    bool m_inProgramMode = false;
    bool m_checkTiming = false;
    int m_timingViolations = 0;

private:
    int m_lowVoltageEntries = 0;
    int m_highVoltageEntries = 0;
    // (space, address) -> (mask, levels)
    std::map<std::pair<int, Address>, std::pair<Cell, Cell>> m_stuck;
};
