#include "targets/pic/IcspLines.h"

#include "ports/CommsBase.h"
#include "targets/TargetBase.h"

CIcspLines::CIcspLines(CCommsBase& comms) : m_Comms(comms) {}

BOOL CIcspLines::SetData(BOOL level)
{
    ++m_nLineOperations;
    return m_Comms.SetData(level ? 1 : 0);
}

BOOL CIcspLines::SetClock(BOOL level)
{
    ++m_nLineOperations;
    return m_Comms.SetClock(level ? 1 : 0);
}

BOOL CIcspLines::GetData()
{
    ++m_nLineOperations;
    return m_Comms.GetData();
}

BOOL CIcspLines::SetPgm(BOOL level)
{
    ++m_nLineOperations;
    return m_Comms.SetPgm(level ? 1 : 0);
}

BOOL CIcspLines::Idle()
{
    return SetData(0) && SetClock(0);
}

BOOL CIcspLines::ClockPulse(DWORD high, DWORD low)
{
    if (!SetClock(1))
        return FALSE;
    Wait(high);
    if (!SetClock(0))
        return FALSE;
    Wait(low);
    return TRUE;
}

BOOL CIcspLines::SendBit(BOOL bit, DWORD high, DWORD low)
{
    return SetData(bit) && ClockPulse(high, low);
}

BOOL CIcspLines::SendBits(DWORD value, int count, DWORD high, DWORD low)
{
    for (int i = 0; i < count && i < 32; ++i) {
        if (!SendBit((value >> i) & 1, high, low))
            return FALSE;
    }
    return TRUE;
}

BOOL CIcspLines::ReceiveBits(DWORD* value, int count, DWORD high, DWORD low)
{
    DWORD bits = 0;
    for (int i = 0; i < count && i < 32; ++i) {
        if (!SetClock(1))
            return FALSE;
        Wait(high);
        // The device drives the bit from the rising edge on; it is read while the clock is high.
        if (GetData() == 1)
            bits |= (DWORD)1 << i;
        if (!SetClock(0))
            return FALSE;
        Wait(low);
    }
    if (value)
        *value = bits;
    return TRUE;
}

void CIcspLines::Wait(DWORD units)
{
    if (units == 0)
        return;
    ++m_nWaits;
    m_nWaitedUnits += units;
    CTargetBase::Delay(units);
}
