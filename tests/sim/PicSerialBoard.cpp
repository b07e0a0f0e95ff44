#include "tests/sim/PicSerialBoard.h"

CPicSerialBoard::CPicSerialBoard(IIcspDeviceModel& device, const CString& port, bool resetAppliesVpp)
    : m_resetAppliesVpp(resetAppliesVpp), m_port(port), m_lines(device), m_wire(m_port, m_lines)
{
}
