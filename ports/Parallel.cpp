#include "ports/Parallel.h"

#include <cstring>
#include <memory>

#include "platform/os/PortOpenFailure.h"
#include "platform/parallel/ParallelDriverFactory.h"
#include "platform/ui/UiServices.h"
#include "ports/CommsBase.h"

// Built before any port is opened and never closes anything itself, so its place among the
// global objects does not matter.
CParallel theParallel;

CParallel::CParallel()
{
    std::memset(&m_Version, 0, sizeof(m_Version));
    std::memset(&m_CardReg, 0, sizeof(m_CardReg));
}

CParallel::~CParallel() {}

BOOL CParallel::OpenDriver()
{
    CloseDriver();
    m_hDriver = CParallelDriverFactory::Open();
    if (!m_hDriver)
        return FALSE;
    std::memset(&m_Version, 0, sizeof(m_Version));
    DriverIoctl(kRequestVersion, m_hDriver.get(), &m_Version, sizeof(m_Version), FALSE);
    // A failed request leaves the field 0, which fails the check as well.
    return m_Version.version >= kMinimumVersion;
}

void CParallel::InitCardRecord()
{
    std::memset(&m_CardReg, 0, sizeof(m_CardReg));
    m_CardReg.itemCount = 1;
    m_CardReg.items[0].kind = kItemIoRange;
    m_CardReg.items[0].notSharable = 1;
    m_CardReg.items[0].firstPort = kPortBase;
    m_CardReg.items[0].portCount = 5;
    m_CardReg.checkOnly = 0;
}

BOOL CParallel::RegisterCard()
{
    CPortOpenFailure::ClearLast();
    DriverIoctl(kRequestRegisterCard, m_hDriver.get(), &m_CardReg, sizeof(m_CardReg), FALSE);
    // Only the card handle tells: the request itself succeeds when the range is taken.
    if (m_CardReg.cardHandle != 0)
        return TRUE;
    // The driver may know who holds the port; the user can then free it.
    CString text = "Card Already In Use";
    const CPortOpenFailure& reason = CPortOpenFailure::GetLast();
    if (reason.IsSet())
        text += "\n" + reason.Describe();
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
    return FALSE;
}

int CParallel::UnregisterCard()
{
    return DriverIoctl(kRequestUnregisterCard, m_hDriver.get(), &m_CardReg, sizeof(m_CardReg), FALSE);
}

int CParallel::WritePortByte(DWORD port, BYTE value)
{
    TransferRecord transfer;
    std::memset(&transfer, 0, sizeof(transfer));
    transfer.command = kTransferWrite;
    transfer.port = port;
    transfer.value = value;
    return DriverIoctl(kRequestTransfer, m_hDriver.get(), &transfer, sizeof(transfer), FALSE);
}

BYTE CParallel::ReadPortByte(DWORD port)
{
    TransferRecord transfer;
    std::memset(&transfer, 0, sizeof(transfer));
    transfer.command = kTransferRead;
    transfer.port = port;
    DriverIoctl(kRequestTransfer, m_hDriver.get(), &transfer, sizeof(transfer), FALSE);
    return transfer.value;
}

void CParallel::SetPortMode()
{
    // Mode field 001 of the extended control register: the byte mode, in which control bit 5
    // turns the data register around to read the pins.
    WritePortByte(kPortExtendedControl, 0x20);
    WriteControlWithBit2();
}

void CParallel::InitControl()
{
    WriteControlWithBit2();
}

void CParallel::WriteControlWithBit2()
{
    BYTE control = (BYTE)(ReadPortByte(kPortControl) | 0x04);
    WritePortByte(kPortControl, control);
    theLptControl = control;
}

void CParallel::ResetControl()
{
    WritePortByte(kPortControl, 0);
}

void CParallel::CloseDriver()
{
    m_hDriver.reset();
}

int CParallel::DriverIoctl(DWORD code, IParallelDriver* device, void* record, DWORD size, BOOL ownHandle)
{
    if (ownHandle) {
        std::unique_ptr<IParallelDriver> own = CParallelDriverFactory::Open();
        if (!own)
            return -1;
        return Dispatch(code, *own, record, size);
    }
    if (device == NULL)
        return -1;
    return Dispatch(code, *device, record, size);
}

int CParallel::Dispatch(DWORD code, IParallelDriver& device, void* record, DWORD size)
{
    if (record == NULL)
        return 0;
    switch (code) {
    case kRequestVersion: {
        if (size != sizeof(VersionRecord))
            return 0;
        DWORD version = device.QueryVersion();
        static_cast<VersionRecord*>(record)->version = version;
        return version != 0;
    }
    case kRequestRegisterCard: {
        if (size != sizeof(CardRecord))
            return 0;
        CardRecord& card = *static_cast<CardRecord*>(record);
        card.cardHandle = 0;
        if (card.itemCount != 1 || card.items[0].kind != kItemIoRange)
            return 0;
        if (card.checkOnly == 0)
            card.cardHandle = device.ClaimRange(card.items[0].firstPort, card.items[0].portCount,
                                                card.items[0].notSharable != 0);
        return 1;
    }
    case kRequestUnregisterCard: {
        if (size != sizeof(CardRecord))
            return 0;
        CardRecord& card = *static_cast<CardRecord*>(record);
        BOOL released = device.ReleaseRange(card.cardHandle);
        if (released)
            card.cardHandle = 0;
        return released;
    }
    case kRequestTransfer: {
        if (size != sizeof(TransferRecord))
            return 0;
        TransferRecord& transfer = *static_cast<TransferRecord*>(record);
        if (transfer.command == kTransferWrite)
            return device.WritePort(transfer.port, transfer.value);
        if (transfer.command == kTransferRead)
            return device.ReadPort(transfer.port, transfer.value);
        return 0;
    }
    default: return 0;
    }
}
