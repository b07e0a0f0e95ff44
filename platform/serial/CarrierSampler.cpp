#include "platform/serial/CarrierSampler.h"

#include <algorithm>

BOOL CCarrierSampler::Start(ICarrierLine& line)
{
    if (!line.ReadCarrier(m_bLevel))
        return FALSE;
    m_bCountKnown = line.ReadCarrierTransitions(m_dwCount);
    m_nLevelChanges = 0;
    m_nCounted = 0;
    m_nReported = 0;
    return TRUE;
}

BOOL CCarrierSampler::Sample(ICarrierLine& line, BOOL& changed)
{
    changed = FALSE;
    BOOL level = FALSE;
    if (!line.ReadCarrier(level))
        return FALSE;
    if (level != m_bLevel) {
        m_bLevel = level;
        ++m_nLevelChanges;
    }
    DWORD count = 0;
    if (line.ReadCarrierTransitions(count)) {
        // Unsigned, so the step is right across the driver's wrap-around.
        if (m_bCountKnown)
            m_nCounted += (DWORD)(count - m_dwCount);
        m_dwCount = count;
        m_bCountKnown = TRUE;
    }
    uint64_t happened = std::max(m_nLevelChanges, m_nCounted);
    if (happened > m_nReported) {
        m_nReported = happened;
        changed = TRUE;
    }
    return TRUE;
}
