#include "tests/sim/IcspDecoder.h"

#include "platform/time/Clock.h"

CIcspDecoder::CIcspDecoder(IIcspDeviceModel& model) : m_model(model)
{
    m_lastHostInput = HostInput();
}

double CIcspDecoder::NowUs() const
{
    return CurrentClock().NowNanoseconds() / 1000.0;
}

void CIcspDecoder::Trace(char change)
{
    if (m_recordPins)
        m_pinTrace += change;
}

bool CIcspDecoder::DeviceSample() const
{
    if (m_deviceDrives)
        return m_deviceLevel;
    return m_hostDrives ? m_hostData : true;
}

bool CIcspDecoder::HostInput() const
{
    if (m_deviceDrives && !m_dataDead)
        return m_deviceLevel;
    return m_hostDrives ? m_hostData : true;
}

void CIcspDecoder::OnHostInputChanged(std::function<void(bool)> observer)
{
    m_hostInputObserver = std::move(observer);
    m_lastHostInput = HostInput();
    if (m_hostInputObserver)
        m_hostInputObserver(m_lastHostInput);
}

void CIcspDecoder::NotifyHostInput()
{
    bool level = HostInput();
    if (level == m_lastHostInput)
        return;
    m_lastHostInput = level;
    if (m_hostInputObserver)
        m_hostInputObserver(level);
}

void CIcspDecoder::SetDataLineDead(bool dead)
{
    m_dataDead = dead;
    NotifyHostInput();
}

void CIcspDecoder::SetHostLines(bool clock, bool data, bool drivesData, bool pgm)
{
    // Data settles before a clock edge made in the same change.
    if (drivesData != m_hostDrives)
        Trace(drivesData ? 'H' : 'R');
    if (drivesData && data != m_hostData)
        Trace(data ? 'D' : 'd');
    m_hostDrives = drivesData;
    if (drivesData)
        m_hostData = data;

    if (pgm != m_pgm) {
        Trace(pgm ? 'P' : 'p');
        m_pgm = pgm;
        UpdateMode(false, pgm, !pgm);
    }

    if (clock != m_clock) {
        Trace(clock ? 'C' : 'c');
        m_clock = clock;
        if (clock)
            RisingEdge();
        else
            FallingEdge();
    }
    NotifyHostInput();
}

void CIcspDecoder::SetMclr(bool high, bool programmingVoltage)
{
    bool rose = high && !m_mclr;
    m_mclr = high;
    m_vihh = high && programmingVoltage;
    UpdateMode(rose, false, false);
    NotifyHostInput();
}

void CIcspDecoder::PressReset(bool programmingVoltage)
{
    SetMclr(false);
    SetMclr(true, programmingVoltage);
}

void CIcspDecoder::UpdateMode(bool mclrRose, bool pgmRose, bool pgmFell)
{
    if (!m_mclr || (m_inProgramMode && m_lowVoltage && pgmFell)) {
        if (m_inProgramMode)
            Leave();
        return;
    }
    if (m_inProgramMode)
        return;
    // Entry needs the clock and data lines held low.
    bool linesLow = !m_clock && !DeviceSample();
    if (!linesLow)
        return;
    if (mclrRose && m_vihh) {
        Enter(false);
        return;
    }
    if ((mclrRose || pgmRose) && m_pgm && !m_vihh && m_model.AcceptsLowVoltageEntry())
        Enter(true);
}

void CIcspDecoder::Enter(bool lowVoltage)
{
    m_inProgramMode = true;
    m_lowVoltage = lowVoltage;
    ++m_entries;
    m_pulse = 0;
    m_bits = 0;
    m_deviceDrives = false;
    m_frame = m_model.EnterProgramMode(lowVoltage);
}

void CIcspDecoder::Leave()
{
    m_inProgramMode = false;
    m_deviceDrives = false;
    m_frame = IcspFrame();
    m_pulse = 0;
    m_bits = 0;
    m_model.LeaveProgramMode();
}

void CIcspDecoder::RisingEdge()
{
    ++m_clockPulses;
    if (!m_inProgramMode || m_pulse >= m_frame.clocks)
        return;
    // Only the first and the last rising edge of a frame are timed: reading the clock costs
    // about as much as the rest of an edge.
    if (m_takeTimes && (m_pulse == 0 || m_pulse + 1 == m_frame.clocks)) {
        m_lastRiseUs = NowUs();
        if (m_pulse == 0)
            m_timing.startUs = m_lastRiseUs;
    }
    m_deviceDrives = (m_frame.driveMask >> m_pulse) & 1;
    m_deviceLevel = (m_frame.outBits >> m_pulse) & 1;
}

void CIcspDecoder::FallingEdge()
{
    if (!m_inProgramMode || m_pulse >= m_frame.clocks)
        return;
    if (DeviceSample())
        m_bits |= (uint32_t)1 << m_pulse;
    if (++m_pulse < m_frame.clocks)
        return;
    m_deviceDrives = false;
    IcspFrameTiming timing;
    if (m_takeTimes) {
        m_timing.endUs = NowUs();
        m_timing.lastHighUs = m_timing.endUs - m_lastRiseUs;
        timing = m_timing;
    }
    uint32_t bits = m_bits;
    m_pulse = 0;
    m_bits = 0;
    m_frame = m_model.FrameDone(bits, timing);
}
