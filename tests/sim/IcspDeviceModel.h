// A microcontroller on the in-circuit serial programming lines, as the line decoder
// (CIcspDecoder) drives it. The decoder turns the edges of the clock line into frames: a frame
// is a run of clock pulses that the device announces before it starts, stating on which
// pulses it drives the data line itself. The device model sees only whole frames, so one model
// per command set (PIC16, PIC18) sits on the same decoder and the same port attachments.
#pragma once

#include <cstdint>

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
