#include "tests/sim/PicParallelBoard.h"

CPicParallelBoard::CPicParallelBoard(IIcspDeviceModel& device, bool resetAppliesVpp)
    : m_resetAppliesVpp(resetAppliesVpp), m_lines(device), m_wire(m_port, m_lines)
{
}
