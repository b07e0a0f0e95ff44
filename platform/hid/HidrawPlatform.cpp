#include "platform/hid/HidrawPlatform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/base/FailureDetail.h"
#include "platform/hid/HidReportDescriptor.h"
#include "platform/hid/HidrawDevice.h"
#include "platform/os/PortOpenFailure.h"
#include "platform/os/RetryIoctl.h"

namespace {

const char kNodePrefix[] = "hidraw";
// HID_MAX_DESCRIPTOR_SIZE: sysfs never gives more; a longer file is not a descriptor.
const size_t kMaxDescriptorSize = 4096;
// A uevent is a few hundred bytes; the cap only bounds what a strange file can cost.
const size_t kMaxUeventSize = 16384;

// The number of a "hidrawN" name, or -1 for any other name.
long NodeNumber(const std::string& name)
{
    const size_t prefix = sizeof kNodePrefix - 1;
    if (name.compare(0, prefix, kNodePrefix) != 0 || name.size() == prefix || name.size() > prefix + 9)
        return -1;
    for (size_t i = prefix; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return -1;
    return strtol(name.c_str() + prefix, NULL, 10);
}

// Up to `limit` + 1 bytes of the file, so that the caller can tell an oversized one; FALSE
// when it cannot be read.
BOOL ReadSmallFile(const std::string& path, size_t limit, std::string& content)
{
    content.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FALSE;
    char buffer[4096];
    BOOL ok = TRUE;
    while (content.size() <= limit) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ok = FALSE;
        if (got <= 0)
            break;
        content.append(buffer, (size_t)got);
    }
    close(fd);
    if (content.size() > limit + 1)
        content.resize(limit + 1);
    return ok;
}

BOOL ParseHex(const std::string& text, unsigned long& value)
{
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return FALSE;
    value = strtoul(text.c_str(), NULL, 16);
    return TRUE;
}

// HID_ID=bus:vendor:product, each in hexadecimal (0003:0000046D:0000C52B).
BOOL ParseHidId(const std::string& value, HidDeviceInfo& info)
{
    size_t first = value.find(':');
    size_t second = first == std::string::npos ? first : value.find(':', first + 1);
    unsigned long bus = 0, vendor = 0, product = 0;
    if (second == std::string::npos || !ParseHex(value.substr(0, first), bus) ||
        !ParseHex(value.substr(first + 1, second - first - 1), vendor) || !ParseHex(value.substr(second + 1), product))
        return FALSE;
    info.vendorId = (WORD)vendor;
    info.productId = (WORD)product;
    return TRUE;
}

// "/dev/hidraw3: <why>", the line the user reads under the failure.
CString DescribeOpenFailure(const CString& path, int error)
{
    std::string text = path.str() + ": ";
    switch (CPortOpenFailure::KindOfError(error)) {
    case CPortOpenFailure::kindNoAccess:
        text += "permission denied. Give your user access to the board's hidraw nodes with the udev rule in the "
                "README, then plug the board in again.";
        break;
    case CPortOpenFailure::kindBusy: {
        CString holder = CPortOpenFailure::FindHolder(path);
        text += "busy, in use by " + (holder.IsEmpty() ? std::string("another program") : holder.str()) + ".";
        break;
    }
    case CPortOpenFailure::kindNoDevice: text += "no such device. Check that the board is plugged in."; break;
    case CPortOpenFailure::kindWrongDevice: text += "not a HID device."; break;
    default: text += CFailureDetail::SystemReason(error).str() + "."; break;
    }
    return CString(text);
}

}  // namespace

CHidrawPlatform::NodeAccess CHidrawPlatform::RealNodes()
{
    NodeAccess nodes;
    nodes.open = [](const CString& path) { return open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC); };
    nodes.rawInfo = [](int fd, hidraw_devinfo* info) { return Ioctl(fd, HIDIOCGRAWINFO, info) < 0 ? -1 : 0; };
    return nodes;
}

CHidrawPlatform::CHidrawPlatform(CString sysfsRoot, CString deviceFolder, NodeAccess nodes)
    : m_strSysfsRoot(std::move(sysfsRoot)), m_strDeviceFolder(std::move(deviceFolder)), m_nodes(std::move(nodes))
{
}

BOOL CHidrawPlatform::ReadEntry(const CString& name, HidDeviceInfo& info, BOOL& numbered) const
{
    info = HidDeviceInfo();
    numbered = FALSE;
    std::string folder = m_strSysfsRoot.str() + "/" + name.str() + "/device/";
    std::string uevent;
    if (!ReadSmallFile(folder + "uevent", kMaxUeventSize, uevent) || uevent.size() > kMaxUeventSize)
        return FALSE;

    BOOL haveId = FALSE;
    size_t start = 0;
    while (start < uevent.size()) {
        size_t end = uevent.find('\n', start);
        if (end == std::string::npos)
            end = uevent.size();
        std::string line = uevent.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, 7, "HID_ID=") == 0) {
            haveId = ParseHidId(line.substr(7), info);
        } else if (line.compare(0, 9, "HID_UNIQ=") == 0) {
            info.serial = line.substr(9);
            // A device without a serial-number string has an empty HID_UNIQ.
            info.hasSerial = !info.serial.IsEmpty();
        }
    }
    if (!haveId)
        return FALSE;

    std::string descriptor;
    CHidReportDescriptor parser;
    if (ReadSmallFile(folder + "report_descriptor", kMaxDescriptorSize, descriptor) &&
        descriptor.size() <= kMaxDescriptorSize && parser.Parse((const BYTE*)descriptor.data(), descriptor.size())) {
        info.inputReportLength = parser.GetInputReportLength();
        info.outputReportLength = parser.GetOutputReportLength();
        numbered = parser.HasReportIds();
    }
    info.path = m_strDeviceFolder + "/" + name;
    return TRUE;
}

std::vector<HidDeviceInfo> CHidrawPlatform::Enumerate()
{
    std::vector<std::pair<long, std::string>> names;
    if (DIR* folder = opendir(m_strSysfsRoot)) {
        while (dirent* entry = readdir(folder)) {
            long number = NodeNumber(entry->d_name);
            if (number >= 0)
                names.emplace_back(number, entry->d_name);
        }
        closedir(folder);
    }
    // readdir gives no particular order; the node number is stable while the device stays.
    std::sort(names.begin(), names.end());

    std::vector<HidDeviceInfo> devices;
    for (const auto& name : names) {
        HidDeviceInfo info;
        BOOL numbered = FALSE;
        if (ReadEntry(name.second, info, numbered))
            devices.push_back(info);
    }
    return devices;
}

std::unique_ptr<IHidDevice> CHidrawPlatform::Open(const CString& path, CString* failure)
{
    auto refuse = [&](int error) {
        if (failure)
            *failure = DescribeOpenFailure(path, error);
        return std::unique_ptr<IHidDevice>();
    };
    // Only nodes of the device folder have a sysfs entry to describe them.
    CString prefix = m_strDeviceFolder + "/";
    if (path.Left(prefix.GetLength()) != prefix)
        return refuse(ENOTTY);
    CString name = path.Mid(prefix.GetLength());
    if (NodeNumber(name.str()) < 0)
        return refuse(ENOTTY);

    HidDeviceInfo info;
    BOOL numbered = FALSE;
    if (!ReadEntry(name, info, numbered) || !m_nodes.open)
        return refuse(ENODEV);
    int fd = m_nodes.open(path);
    if (fd < 0)
        return refuse(errno);
    hidraw_devinfo raw = {};
    // Reads wait in poll() and must not block on a wake-up without a report; writes block
    // in the kernel whatever the flag says (see CHidrawDevice).
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        !m_nodes.rawInfo || m_nodes.rawInfo(fd, &raw) != 0) {
        int error = m_nodes.rawInfo ? errno : ENOTTY;
        close(fd);
        return refuse(error);
    }
    // The kernel declares both ids signed; ids from 0x8000 up come out negative.
    info.vendorId = (WORD)raw.vendor;
    info.productId = (WORD)raw.product;
    return std::unique_ptr<IHidDevice>(new CHidrawDevice(fd, info, numbered, m_nodes.write));
}
