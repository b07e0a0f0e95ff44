// The device end of the in-circuit serial programming lines: clock, data, PGM and MCLR. Port
// attachments (CIcspSerialAttachment, CIcspParallelAttachment) report what the host drives
// after every line change it makes; the decoder finds the edges, enters and leaves the
// device's programming mode by Microchip's entry rules, collects the bits the host clocks in
// (latched on the falling edge) and drives the data line back on exactly the pulses the device
// model asks for (from the rising edge on). The attachments carry the level the host would
// read back to its input pin.
//
// Programming mode:
//   high voltage  MCLR rises to VIHH while clock and data are low; ends when MCLR falls.
//   low voltage   MCLR at VDD and PGM high, the later of the two rising while clock and data
//                 are low and the device's LVP bit set; ends when either falls.
//
// The data line is wired as on the programming adapters: the host drives it through a
// resistor, so a device that drives it wins; with neither driving it floats high.
//
// Everything runs on the host's thread inside its port calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tests/sim/IcspDeviceModel.h"

class CIcspDecoder {
public:
    explicit CIcspDecoder(IIcspDeviceModel& model);
    CIcspDecoder(const CIcspDecoder&) = delete;
    CIcspDecoder& operator=(const CIcspDecoder&) = delete;

    // What the host drives now; `drivesData` FALSE: its data pin is an input.
    void SetHostLines(bool clock, bool data, bool drivesData, bool pgm);
    // MCLR as the board's reset circuit drives it; `programmingVoltage` with `high` is VIHH.
    void SetMclr(bool high, bool programmingVoltage = false);
    // The user presses and releases the board's reset button. On a board that applies the
    // programming voltage at reset, `programmingVoltage` is true.
    void PressReset(bool programmingVoltage);

    // The level at the host's data input.
    bool HostInput() const;
    // Runs whenever that level changes, so the attachment can carry it to the port.
    void OnHostInputChanged(std::function<void(bool)> observer);

    bool InProgramMode() const { return m_inProgramMode; }
    bool InLowVoltageMode() const { return m_inProgramMode && m_lowVoltage; }
    int ProgramModeEntries() const { return m_entries; }
    uint64_t ClockPulses() const { return m_clockPulses; }
    bool Pgm() const { return m_pgm; }

    // Fault: the device's answers never reach the host, which reads the line floating high.
    void SetDataLineDead(bool dead);

    // Pin trace, off by default: one character per change the host makes, 'C'/'c' clock up
    // and down, 'D'/'d' data up and down, 'R' the host lets go of the data line (reads), 'H'
    // it drives it again, 'P'/'p' PGM up and down.
    void RecordPins(bool on) { m_recordPins = on; }
    const std::string& PinTrace() const { return m_pinTrace; }
    void ClearPinTrace() { m_pinTrace.clear(); }

    // Frame times for device models that check the device's timing, read from the current
    // clock (platform/time/Clock.h), the one the host's busy waits spin on; off by default.
    void TakeTimes(bool on) { m_takeTimes = on; }

private:
    void Trace(char change);
    double NowUs() const;
    bool DeviceSample() const;
    void UpdateMode(bool mclrRose, bool pgmRose, bool pgmFell);
    void Enter(bool lowVoltage);
    void Leave();
    void RisingEdge();
    void FallingEdge();
    void NotifyHostInput();

    IIcspDeviceModel& m_model;
    std::function<void(bool)> m_hostInputObserver;
    bool m_lastHostInput = true;

    bool m_clock = false;
    bool m_hostData = false;
    bool m_hostDrives = true;
    bool m_pgm = false;
    bool m_mclr = true;
    bool m_vihh = false;

    bool m_inProgramMode = false;
    bool m_lowVoltage = false;
    int m_entries = 0;
    IcspFrame m_frame;
    int m_pulse = 0;
    uint32_t m_bits = 0;
    bool m_deviceDrives = false;
    bool m_deviceLevel = true;
    bool m_dataDead = false;
    uint64_t m_clockPulses = 0;

    bool m_recordPins = false;
    std::string m_pinTrace;
    bool m_takeTimes = false;
    IcspFrameTiming m_timing;
    double m_lastRiseUs = 0;
};
