// LPT1 through the parallel-port driver: open and version check, exclusive registration of the
// port's I/O range as a card, single-byte register transfers, the bidirectional port mode, and
// release. One object, theParallel, used by the port object for resource type 4.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/parallel/IParallelDriver.h"
#include "platform/base/WinTypes.h"

class CParallel {
public:
    // Driver requests, one record each; the driver answers into the same record.
    static const DWORD kRequestVersion = 0x95382443;
    static const DWORD kRequestRegisterCard = 0x9538255B;
    static const DWORD kRequestUnregisterCard = 0x953824AF;
    static const DWORD kRequestTransfer = 0x9538240F;

    static const DWORD kMinimumVersion = 501;
    static const DWORD kPortBase = 0x378;
    static const DWORD kPortData = 0x378;
    static const DWORD kPortStatus = 0x379;
    static const DWORD kPortControl = 0x37A;
    static const DWORD kPortExtendedControl = 0x77A;

    static const DWORD kTransferRead = 10;
    static const DWORD kTransferWrite = 13;
    static const DWORD kItemIoRange = 3;

    struct VersionRecord {
        DWORD version;
        char text[100];
    };

    struct CardItem {
        DWORD kind;
        DWORD notSharable;
        DWORD firstPort;
        DWORD portCount;
        BYTE rest[12];
    };

    struct CardRecord {
        DWORD itemCount;
        CardItem items[20];
        DWORD checkOnly;
        DWORD cardHandle;  // 0 after registration: the range was not granted
        BYTE rest[136];
    };

    struct TransferRecord {
        DWORD command;
        DWORD port;
        BYTE reserved[12];
        BYTE value;
        BYTE padding[3];
    };

    CParallel();
    // Closes nothing: the port object closes the driver at the end of every operation.
    ~CParallel();
    CParallel(const CParallel&) = delete;
    CParallel& operator=(const CParallel&) = delete;

    // Opens the driver and checks that it is version 501 or later. The driver stays open on a
    // version failure; the caller closes it.
    BOOL OpenDriver();
    void InitCardRecord();
    // Shows "Card Already In Use" and reports FALSE when the range is held elsewhere.
    BOOL RegisterCard();
    int UnregisterCard();
    // Non-zero when the driver moved the byte.
    int WritePortByte(DWORD port, BYTE value);
    // 0 when the driver refused the transfer.
    BYTE ReadPortByte(DWORD port);
    // Bidirectional byte mode; gives theLptControl its first value.
    void SetPortMode();
    void InitControl();
    void ResetControl();
    void CloseDriver();
    // One request. `ownHandle` sends it through a driver connection of its own, opened and
    // closed around it. -1 without a driver, else non-zero when the request succeeded.
    int DriverIoctl(DWORD code, IParallelDriver* device, void* record, DWORD size, BOOL ownHandle);

    BOOL IsDriverOpen() const { return m_hDriver != NULL; }
    DWORD GetVersion() const { return m_Version.version; }
    const CardRecord& GetCardRecord() const { return m_CardReg; }

private:
    int Dispatch(DWORD code, IParallelDriver& device, void* record, DWORD size);
    void WriteControlWithBit2();

    // The open driver; empty is the one "no handle" value.
    std::unique_ptr<IParallelDriver> m_hDriver;
    VersionRecord m_Version;
    CardRecord m_CardReg;
};

static_assert(sizeof(CParallel::VersionRecord) == 104);
static_assert(sizeof(CParallel::CardRecord) == 708);
static_assert(offsetof(CParallel::CardRecord, checkOnly) == 564);
static_assert(offsetof(CParallel::CardRecord, cardHandle) == 568);
static_assert(sizeof(CParallel::TransferRecord) == 24);
static_assert(offsetof(CParallel::TransferRecord, value) == 20);

extern CParallel theParallel;
