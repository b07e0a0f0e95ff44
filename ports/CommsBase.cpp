#include "ports/CommsBase.h"

#include <memory>

#include "platform/os/PortOpenFailure.h"
#include "platform/serial/ISerialPort.h"
#include "platform/serial/SerialPortRegistry.h"
#include "platform/ui/UiServices.h"
#include "ports/Parallel.h"

BYTE theLptControl = 0;

namespace {

// Every serial opening uses the same Windows time-outs (ms): a read of n bytes ends after
// 5000 + n in all or after 50 between two bytes, a write of n bytes after 5000 + n.
const DWORD kReadInterval = 50;
const DWORD kReadTotalConstant = 5000;
const DWORD kReadTotalMultiplier = 1;
const DWORD kWriteTotalMultiplier = 1;
const DWORD kWriteTotalConstant = 5000;

const DWORD kBaudSlow = 19200;
const DWORD kBaudFast = 115200;

// Control-register bits the programming lines own.
const BYTE kLptDriveData = 0x01;
const BYTE kLptClockInverted = 0x02;
const BYTE kLptPgmEnable = 0x04;
const BYTE kLptPgmLevel = 0x08;
const BYTE kLptReadPins = 0x20;

void ApplyHandshake(SerialState& state, BOOL on)
{
    state.outxCtsFlow = on ? TRUE : FALSE;
    state.dtrControl = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    state.rtsControl = on ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
}

}  // namespace

CCommsBase::CCommsBase() : m_nType(0) {}

CCommsBase::~CCommsBase() {}

BOOL CCommsBase::GetResourceName(BYTE type, int index, CString& name)
{
    switch (type) {
    case typeSerial:
    case typeSerialLines:
    case typeSerialFast:
        if (index < 0 || index > 3)
            return FALSE;
        name.Format("COM%u:", (unsigned)(index + 1));
        return TRUE;
    case typeLptNone:
    case typeLpt:
        if (index != 0)
            return FALSE;
        name.Format("LPT%u:", 1u);
        return TRUE;
    case typeUsb:
        if (index != 0)
            return FALSE;
        name = "USB";
        return TRUE;
    default: return FALSE;
    }
}

BOOL CCommsBase::Open(BYTE type, CString name)
{
    Close();
    // As Win32 sets its last error: whoever shows the caller's failure text asks for the reason.
    CPortOpenFailure::ClearLast();
    switch (type) {
    case typeSerial:
    case typeSerialFast:
    case typeSerialLines: {
        BOOL lines = type == typeSerialLines;
        if (!OpenSerial(name, type == typeSerialFast ? kBaudFast : kBaudSlow, NOPARITY, 8, ONESTOPBIT, !lines,
                        kReadInterval, kReadTotalConstant, kReadTotalMultiplier, kWriteTotalMultiplier,
                        kWriteTotalConstant))
            return FALSE;
        m_nType = type;
        if (!lines)
            return TRUE;
        // From here the port is open as type 2 whatever the line settings do, so that the
        // caller's Close releases it. The handshake-off settings have just dropped DTR and RTS
        // (which Linux raised at open); both lines go to their first level at once.
        BOOL linesSet = SetData(0) && SetClock(0);
        m_hPort->SetBreak(TRUE);
        return linesSet;
    }
    case typeLpt:
        if (!OpenParallel())
            return FALSE;
        m_nType = type;
        return TRUE;
    default: return FALSE;
    }
}

BOOL CCommsBase::OpenParallel()
{
    if (!theParallel.OpenDriver()) {
        // An open ppdev handle keeps the port; a driver refused for its version is let go.
        theParallel.CloseDriver();
        return FALSE;
    }
    theParallel.InitCardRecord();
    BOOL registered = theParallel.RegisterCard();
    theParallel.SetPortMode();
    if (!registered)
        theParallel.CloseDriver();
    return registered;
}

void CCommsBase::Close()
{
    switch (m_nType) {
    case typeSerialLines:
        if (m_hPort)
            m_hPort->SetBreak(FALSE);
        break;
    case typeLpt:
        theParallel.UnregisterCard();
        theParallel.ResetControl();
        theParallel.CloseDriver();
        break;
    default: break;
    }
    CloseSerialHandle();
    m_nType = 0;
}

void CCommsBase::CloseSerialHandle()
{
    m_hPort.reset();
}

BOOL CCommsBase::OpenSerial(CString name, DWORD baud, BYTE parity, BYTE byteSize, BYTE stopBits, BOOL handshake,
                            DWORD readInterval, DWORD readTotalConstant, DWORD readTotalMultiplier,
                            DWORD writeTotalMultiplier, DWORD writeTotalConstant)
{
    CloseSerialHandle();
    std::unique_ptr<ISerialPort> port = CSerialPortRegistry::Open(name);
    if (!port)
        return FALSE;

    SerialState state;
    if (!port->GetState(state))
        return RefuseSettings(name);
    state.baudRate = baud;
    state.byteSize = byteSize;
    state.parity = parity;
    state.stopBits = stopBits;
    // Asked for as on Windows, where the port stops after a line error until it is cleared;
    // Linux has no such mode and the platform ignores the flag.
    state.abortOnError = TRUE;
    ApplyHandshake(state, handshake);
    if (!port->SetState(state))
        return RefuseSettings(name);

    SerialTimeouts timeouts;
    timeouts.readInterval = readInterval;
    timeouts.readTotalMultiplier = readTotalMultiplier;
    timeouts.readTotalConstant = readTotalConstant;
    timeouts.writeTotalMultiplier = writeTotalMultiplier;
    timeouts.writeTotalConstant = writeTotalConstant;
    if (!port->SetTimeouts(timeouts))
        return RefuseSettings(name);

    port->ClearError();
    port->SetBreak(FALSE);
    m_hPort = std::move(port);
    return TRUE;
}

BOOL CCommsBase::RefuseSettings(const CString& name)
{
    CString path = CSerialPortRegistry::DevicePath(name);
    CPortOpenFailure::SetLast(CPortOpenFailure(CPortOpenFailure::portSerial, CPortOpenFailure::kindSettingsRefused,
                                               path.IsEmpty() ? name : path));
    return FALSE;
}

BOOL CCommsBase::IsSerialType() const
{
    return m_hPort && (m_nType == typeSerial || m_nType == typeSerialLines || m_nType == typeSerialFast);
}

BOOL CCommsBase::IsStreamType() const
{
    return m_hPort && (m_nType == typeSerial || m_nType == typeSerialFast);
}

BOOL CCommsBase::SetHandshake(BOOL on)
{
    if (!IsSerialType())
        return FALSE;
    SerialState state;
    if (!m_hPort->GetState(state)) {
        Close();
        return FALSE;
    }
    ApplyHandshake(state, on);
    if (!m_hPort->SetState(state)) {
        Close();
        return FALSE;
    }
    return TRUE;
}

BOOL CCommsBase::ReadByte(BYTE* b)
{
    if (!IsStreamType() || b == NULL)
        return FALSE;
    DWORD done = 0;
    return m_hPort->Read(b, 1, done) && done == 1;
}

BOOL CCommsBase::Read(BYTE* buffer, DWORD& count)
{
    if (!IsStreamType() || (buffer == NULL && count != 0))
        return FALSE;
    DWORD wanted = count;
    DWORD done = 0;
    BOOL ok = m_hPort->Read(buffer, wanted, done);
    count = done;
    return ok && done == wanted;
}

BOOL CCommsBase::WriteByte(BYTE b)
{
    if (!IsStreamType())
        return FALSE;
    DWORD done = 0;
    return m_hPort->Write(&b, 1, done) && done == 1;
}

BOOL CCommsBase::Write(const BYTE* buffer, DWORD& count)
{
    if (!IsStreamType() || (buffer == NULL && count != 0))
        return FALSE;
    DWORD wanted = count;
    DWORD done = 0;
    BOOL ok = m_hPort->Write(buffer, wanted, done);
    count = done;
    return ok && done == wanted;
}

BOOL CCommsBase::WaitCarrier()
{
    if (!IsSerialType())
        return FALSE;
    return m_hPort->WaitEvent(EV_RLSD);
}

// On the serial port every line is inverted: a logical 1 clears the modem-control line.
BOOL CCommsBase::SetData(BOOL level)
{
    if (m_nType == typeSerialLines && m_hPort)
        return m_hPort->EscapeFunction(level ? CLRDTR : SETDTR);
    if (m_nType == typeLpt)
        return LptSetData(level);
    return FALSE;
}

BOOL CCommsBase::GetData()
{
    if (m_nType == typeSerialLines && m_hPort) {
        DWORD status = 0;
        // An unreadable status reads as data bit 1, as CTS off does.
        if (!m_hPort->GetModemStatus(status))
            return 1;
        return (status & MS_CTS_ON) ? 0 : 1;
    }
    if (m_nType == typeLpt)
        return LptGetData();
    return FALSE;
}

BOOL CCommsBase::SetClock(BOOL level)
{
    if (m_nType == typeSerialLines && m_hPort)
        return m_hPort->EscapeFunction(level ? CLRRTS : SETRTS);
    if (m_nType == typeLpt)
        return LptSetClock(level);
    return FALSE;
}

BOOL CCommsBase::SetPgm(BOOL level)
{
    if (m_nType == typeSerialLines && m_hPort) {
        // The serial adapter has no PGM line: the user moves the jumper by hand.
        AfxMessageBox("Set PGM high by removing Jumper JPXXXXX", MB_OK);
        return TRUE;
    }
    if (m_nType == typeLpt)
        return LptSetPgm(level);
    return FALSE;
}

BOOL CCommsBase::LptSetData(BOOL level)
{
    theLptControl = (BYTE)((theLptControl & ~kLptReadPins) | kLptDriveData);
    theParallel.WritePortByte(CParallel::kPortControl, theLptControl);
    theParallel.WritePortByte(CParallel::kPortData, (BYTE)(level & 1));
    return TRUE;
}

BOOL CCommsBase::LptGetData()
{
    theLptControl = (BYTE)((theLptControl | kLptReadPins) & ~kLptDriveData);
    theParallel.WritePortByte(CParallel::kPortControl, theLptControl);
    return theParallel.ReadPortByte(CParallel::kPortData) & 1;
}

BOOL CCommsBase::LptSetClock(BOOL level)
{
    if (level == 0)
        theLptControl |= kLptClockInverted;
    else
        theLptControl &= (BYTE)~kLptClockInverted;
    theParallel.WritePortByte(CParallel::kPortControl, theLptControl);
    return TRUE;
}

BOOL CCommsBase::LptSetPgm(BOOL level)
{
    theLptControl = (BYTE)((theLptControl & ~kLptPgmLevel) | ((level & 1) ? kLptPgmLevel : 0) | kLptPgmEnable);
    theParallel.WritePortByte(CParallel::kPortControl, theLptControl);
    return TRUE;
}
