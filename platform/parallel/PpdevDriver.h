// The parallel port through Linux ppdev. The port's I/O range is claimed with PPEXCL + PPCLAIM
// so that no other driver or program uses it meanwhile; the registers are reached with
// PPWDATA/PPRDATA, PPRSTATUS, PPWCONTROL/PPRCONTROL, and the data direction (control bit 5)
// with PPDATADIR, since ppdev does not let the control write carry it. A register transfer
// outside the claim (the control reset after the range is released) claims the port around
// itself, as the port's registers need a claim under ppdev and not under the driver model the
// callers follow.
#pragma once

#include <memory>

#include "platform/base/CString.h"
#include "platform/parallel/IParallelDriver.h"

class CPpdevDriver : public IParallelDriver {
public:
    // The I/O base the system addresses LPT1 by; ppdev itself knows no port numbers.
    static const DWORD kBase = 0x378;
    // ppdev has no version number: a device that answers the mode query stands for the
    // current driver interface.
    static const DWORD kInterfaceVersion = 501;

    // $QUILLET_LPT1 when set, else /dev/parport0.
    static CString DevicePath();
    // NULL when `path` cannot be opened. The failures of opening, of the version query (not a
    // ppdev device) and of the claim (busy) leave their reason in CPortOpenFailure::GetLast().
    static std::unique_ptr<CPpdevDriver> Open(const CString& path);
    ~CPpdevDriver() override;
    CPpdevDriver(const CPpdevDriver&) = delete;
    CPpdevDriver& operator=(const CPpdevDriver&) = delete;

    DWORD QueryVersion() override;
    DWORD ClaimRange(DWORD firstPort, DWORD count, BOOL exclusive) override;
    BOOL ReleaseRange(DWORD handle) override;
    BOOL WritePort(DWORD port, BYTE value) override;
    BOOL ReadPort(DWORD port, BYTE& value) override;

private:
    CPpdevDriver(int fd, const CString& path);
    DWORD RefuseClaim(int error);
    static bool IsPrinterDriverLoaded();
    BOOL WriteControl(BYTE value);
    BOOL WriteRegister(DWORD port, BYTE value);
    BOOL ReadRegister(DWORD port, BYTE& value);
    bool ClaimForTransfer();
    void EndTransfer();

    int m_fd;
    CString m_strPath;
    bool m_claimed = false;
    bool m_exclusive = false;      // PPEXCL given: claims never wait for another user
    bool m_transferClaim = false;  // claimed for one transfer only
    bool m_reverse = false;        // data register reads the pins
};
