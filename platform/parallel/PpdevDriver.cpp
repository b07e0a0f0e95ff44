#include "platform/parallel/PpdevDriver.h"
#include "platform/os/PortOpenFailure.h"
#include "platform/os/RetryIoctl.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <unistd.h>

namespace {

const DWORD kData = CPpdevDriver::kBase;
const DWORD kStatus = CPpdevDriver::kBase + 1;
const DWORD kControl = CPpdevDriver::kBase + 2;
const DWORD kExtendedControl = CPpdevDriver::kBase + 0x402;
const DWORD kRangeLength = 5;
const DWORD kClaimHandle = 1;

const BYTE kDirectionBit = 0x20;
// The control bits ppdev lets a program write: strobe, auto-feed, init, select-in.
const BYTE kWritableControl = 0x0F;

}  // namespace

CString CPpdevDriver::DevicePath()
{
    const char* overridePath = std::getenv("QUILLET_LPT1");
    return CString(overridePath && *overridePath ? overridePath : "/dev/parport0");
}

std::unique_ptr<CPpdevDriver> CPpdevDriver::Open(const CString& path)
{
    int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        CPortOpenFailure::SetLast(CPortOpenFailure::FromError(CPortOpenFailure::portParallel, path, errno));
        return NULL;
    }
    return std::unique_ptr<CPpdevDriver>(new CPpdevDriver(fd, path));
}

CPpdevDriver::CPpdevDriver(int fd, const CString& path) : m_fd(fd), m_strPath(path) {}

CPpdevDriver::~CPpdevDriver()
{
    if (m_claimed)
        Ioctl(m_fd, PPRELEASE, NULL);
    close(m_fd);
}

DWORD CPpdevDriver::QueryVersion()
{
    unsigned int modes = 0;
    if (Ioctl(m_fd, PPGETMODES, &modes) == 0)
        return kInterfaceVersion;
    CPortOpenFailure::SetLast(
        CPortOpenFailure(CPortOpenFailure::portParallel, CPortOpenFailure::kindWrongDevice, m_strPath, errno));
    return 0;
}

DWORD CPpdevDriver::ClaimRange(DWORD firstPort, DWORD count, BOOL exclusive)
{
    if (m_claimed || firstPort != kBase || count == 0 || count > kRangeLength)
        return 0;
    // PPEXCL before the first claim makes the kernel refuse the port to every other user
    // instead of making this claim wait for them.
    if (exclusive && !m_exclusive) {
        if (Ioctl(m_fd, PPEXCL, NULL) != 0)
            return RefuseClaim(errno);
        m_exclusive = true;
    }
    if (Ioctl(m_fd, PPCLAIM, NULL) != 0)
        return RefuseClaim(errno);
    m_claimed = true;
    return kClaimHandle;
}

DWORD CPpdevDriver::RefuseClaim(int error)
{
    // An exclusive claim fails (ENXIO from the registration, EBUSY) while any other driver or
    // program has the port registered; the printer driver is the usual one.
    const char* holder = IsPrinterDriverLoaded() ? "the printer driver lp ('sudo modprobe -r lp' frees the port)"
                                                 : "another driver or program";
    CPortOpenFailure failure = CPortOpenFailure::FromError(CPortOpenFailure::portParallel, m_strPath, EBUSY, holder);
    failure.m_nError = error;
    CPortOpenFailure::SetLast(failure);
    return 0;
}

bool CPpdevDriver::IsPrinterDriverLoaded()
{
    std::ifstream modules("/proc/modules");
    std::string line;
    while (std::getline(modules, line))
        if (line.compare(0, 3, "lp ") == 0)
            return true;
    return false;
}

BOOL CPpdevDriver::ReleaseRange(DWORD handle)
{
    if (!m_claimed || handle != kClaimHandle)
        return FALSE;
    m_claimed = false;
    return Ioctl(m_fd, PPRELEASE, NULL) == 0;
}

BOOL CPpdevDriver::WriteControl(BYTE value)
{
    bool reverse = (value & kDirectionBit) != 0;
    if (reverse != m_reverse) {
        int direction = reverse ? 1 : 0;
        if (Ioctl(m_fd, PPDATADIR, &direction) != 0)
            return FALSE;
        m_reverse = reverse;
    }
    unsigned char bits = value & kWritableControl;
    return Ioctl(m_fd, PPWCONTROL, &bits) == 0;
}

bool CPpdevDriver::ClaimForTransfer()
{
    if (m_claimed)
        return true;
    // Only after PPEXCL: this device is then registered alone on the port (or not at all), so
    // the claim cannot wait behind another user.
    if (!m_exclusive || Ioctl(m_fd, PPCLAIM, NULL) != 0)
        return false;
    m_transferClaim = true;
    return true;
}

void CPpdevDriver::EndTransfer()
{
    if (m_transferClaim) {
        Ioctl(m_fd, PPRELEASE, NULL);
        m_transferClaim = false;
    }
}

BOOL CPpdevDriver::WritePort(DWORD port, BYTE value)
{
    if (!ClaimForTransfer())
        return FALSE;
    BOOL written = WriteRegister(port, value);
    EndTransfer();
    return written;
}

BOOL CPpdevDriver::WriteRegister(DWORD port, BYTE value)
{
    if (port == kData) {
        unsigned char data = value;
        return Ioctl(m_fd, PPWDATA, &data) == 0;
    }
    if (port == kControl)
        return WriteControl(value);
    // The kernel's port driver already keeps an extended-capability port in its byte
    // (bidirectional) mode, which is the only mode the system asks for.
    if (port == kExtendedControl)
        return TRUE;
    return FALSE;
}

BOOL CPpdevDriver::ReadPort(DWORD port, BYTE& value)
{
    if (!ClaimForTransfer())
        return FALSE;
    BOOL read = ReadRegister(port, value);
    EndTransfer();
    return read;
}

BOOL CPpdevDriver::ReadRegister(DWORD port, BYTE& value)
{
    unsigned char bits = 0;
    if (port == kData && Ioctl(m_fd, PPRDATA, &bits) == 0) {
        value = bits;
        return TRUE;
    }
    if (port == kStatus && Ioctl(m_fd, PPRSTATUS, &bits) == 0) {
        value = bits;
        return TRUE;
    }
    if (port == kControl && Ioctl(m_fd, PPRCONTROL, &bits) == 0) {
        value = (BYTE)((bits & ~kDirectionBit) | (m_reverse ? kDirectionBit : 0));
        return TRUE;
    }
    return FALSE;
}
