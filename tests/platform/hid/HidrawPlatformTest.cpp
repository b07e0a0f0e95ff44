// The hidraw platform over a fake sysfs tree, with SOCK_SEQPACKET socket pairs standing in for
// the device nodes (a datagram keeps each report whole, as a node does). Writes go through a
// stand-in for the kernel's: never held back by unread reports, but held for as long as the
// device is stalled, until the kernel's USB time-out ends them with ETIMEDOUT.
#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CommsRes/HidComms/HidComms.h"
#include "platform/hid/HidPlatform.h"
#include "platform/hid/HidrawPlatform.h"
#include "platform/threads/WorkerThread.h"
#include "tests/platform/hid/DescriptorFile.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Uevent(const char* hidId, const char* uniq)
{
    std::string text = "DRIVER=hid-generic\n";
    if (hidId)
        text += std::string("HID_ID=") + hidId + "\n";
    text += "HID_NAME=Some Device\nHID_PHYS=usb-0000:00:14.0-1/input0\n";
    if (uniq)
        text += std::string("HID_UNIQ=") + uniq + "\n";
    return text + "MODALIAS=hid:b0003g0001v0000C251p00000100\n";
}

std::string Bytes(const std::vector<BYTE>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

class HidrawPlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        signal(SIGPIPE, SIG_IGN);
        AddNode("hidraw0", Uevent("0003:0000046D:0000C52B", ""), "input_only_mouse");
        AddNode("hidraw10", Uevent("0003:0000C251:00000100", "B2"), "numbered_several");
        AddNode("hidraw2", Uevent("0003:0000C251:00000100", "A1"), "unnumbered_64_64");
        AddNode("hidraw3", Uevent(NULL, "X"), "unnumbered_64_64");
        AddNode("hidraw4", Uevent("0003:0000C251:00000101", NULL), NULL);
        AddNode("hidraw5", Uevent("0003:0000C251:00000102", "T"), "truncated");
        sysfs.Write("hidrawx/device/uevent", Uevent("0003:00000001:00000001", "Z"));
        nodes.open = [this](const CString& path) { return OpenPair(path.str()); };
        nodes.rawInfo = [this](int fd, hidraw_devinfo* info) {
            if (!rawInfoWorks) {
                errno = ENOTTY;
                return -1;
            }
            *info = raw[fdPaths[fd]];
            return 0;
        };
        nodes.write = [this](int fd, const void* data, size_t length) -> ssize_t {
            ++inKernel;
            auto start = std::chrono::steady_clock::now();
            while (stalled && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(usbTimeoutMs))
                usleep(1000);
            bool stall = stalled;
            ssize_t put = stall ? -1 : send(fd, data, length, MSG_NOSIGNAL);
            int error = stall ? ETIMEDOUT : errno;
            --inKernel;
            errno = error;
            return put;
        };
        raw["/dev/hidraw2"] = {3, (__s16)0xC251, 0x0100};
        raw["/dev/hidraw10"] = {3, (__s16)0xC251, 0x0100};
    }
    void TearDown() override
    {
        for (auto& peer : peers)
            close(peer.second);
    }

    void AddNode(const std::string& name, const std::string& uevent, const char* descriptor)
    {
        sysfs.Write(name + "/device/uevent", uevent);
        if (descriptor)
            sysfs.Write(name + "/device/report_descriptor", Bytes(LoadDescriptor(descriptor)));
    }

    int OpenPair(const std::string& path)
    {
        if (!openWorks) {
            errno = EACCES;
            return -1;
        }
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
            return -1;
        if (peers.count(path))
            close(peers[path]);
        peers[path] = pair[1];
        fdPaths[pair[0]] = path;
        return pair[0];
    }

    std::string Receive(const std::string& path)
    {
        char buffer[512];
        ssize_t got = recv(peers[path], buffer, sizeof buffer, MSG_DONTWAIT);
        return got < 0 ? std::string("<none>") : std::string(buffer, (size_t)got);
    }
    void Send(const std::string& path, const std::string& report)
    {
        ASSERT_EQ(send(peers[path], report.data(), report.size(), 0), (ssize_t)report.size());
    }

    std::unique_ptr<IHidDevice> Open(const char* path, CString* failure = NULL)
    {
        CHidrawPlatform platform(sysfs.Path().c_str(), "/dev", nodes);
        return platform.Open(path, failure);
    }

    CTempFolder sysfs;
    CHidrawPlatform::NodeAccess nodes;
    std::map<std::string, int> peers;
    std::map<int, std::string> fdPaths;
    std::map<std::string, hidraw_devinfo> raw;
    bool openWorks = true;
    bool rawInfoWorks = true;
    std::atomic<bool> stalled{false};
    std::atomic<int> usbTimeoutMs{5000};
    std::atomic<int> inKernel{0};
};

TEST_F(HidrawPlatformTest, EnumerationReadsSysfsInNodeOrderWithoutOpeningAnything)
{
    CHidrawPlatform platform(sysfs.Path().c_str(), "/dev", nodes);
    std::vector<HidDeviceInfo> devices = platform.Enumerate();
    EXPECT_TRUE(peers.empty());
    struct Expected {
        const char* path;
        WORD vendor, product;
        BOOL hasSerial;
        const char* serial;
        DWORD input, output;
    } expected[] = {
        {"/dev/hidraw0", 0x046D, 0xC52B, FALSE, "", 5, 0},     {"/dev/hidraw2", 0xC251, 0x0100, TRUE, "A1", 65, 65},
        {"/dev/hidraw4", 0xC251, 0x0101, FALSE, "", 0, 0},     {"/dev/hidraw5", 0xC251, 0x0102, TRUE, "T", 0, 0},
        {"/dev/hidraw10", 0xC251, 0x0100, TRUE, "B2", 33, 17},
    };
    ASSERT_EQ(devices.size(), std::size(expected));
    for (size_t i = 0; i < devices.size(); ++i) {
        SCOPED_TRACE(expected[i].path);
        EXPECT_EQ(devices[i].path, expected[i].path);
        EXPECT_EQ(devices[i].vendorId, expected[i].vendor);
        EXPECT_EQ(devices[i].productId, expected[i].product);
        EXPECT_EQ(devices[i].hasSerial, expected[i].hasSerial);
        EXPECT_EQ(devices[i].serial, expected[i].serial);
        EXPECT_EQ(devices[i].inputReportLength, expected[i].input);
        EXPECT_EQ(devices[i].outputReportLength, expected[i].output);
    }
    EXPECT_TRUE(CHidrawPlatform("/nonexistent/sysfs").Enumerate().empty());
}

TEST_F(HidrawPlatformTest, OpenTakesTheIdsFromTheNodeAndRefusesWhatIsNoHidNode)
{
    std::unique_ptr<IHidDevice> device = Open("/dev/hidraw2");
    ASSERT_TRUE(device);
    // The kernel's ids are signed 16-bit values: 0xC251 comes out negative.
    EXPECT_EQ(device->GetInfo().vendorId, 0xC251);
    EXPECT_EQ(device->GetInfo().productId, 0x0100);
    EXPECT_EQ(device->GetInfo().serial, "A1");
    EXPECT_EQ(device->GetInfo().outputReportLength, 65u);
    device.reset();

    // Each refusal names the node and what the user can do about it.
    struct Refusal {
        const char* path;
        bool openWorks, rawInfoWorks;
        const char* failure;
    } refusals[] = {
        {"/tmp/hidraw2", true, true, "/tmp/hidraw2: not a HID device."},
        {"/dev/hidraw7", true, true, "/dev/hidraw7: no such device. Check that the board is plugged in."},
        {"/dev/hidraw3", true, true, "/dev/hidraw3: no such device. Check that the board is plugged in."},
        {"/dev/hidrawx", true, true, "/dev/hidrawx: not a HID device."},
        {"/dev/hidraw2", true, false, "/dev/hidraw2: not a HID device."},
        {"/dev/hidraw2", false, true,
         "/dev/hidraw2: permission denied. Give your user access to the board's hidraw nodes with the udev rule "
         "in the README, then plug the board in again."},
    };
    for (const Refusal& r : refusals) {
        openWorks = r.openWorks;
        rawInfoWorks = r.rawInfoWorks;
        CString failure;
        EXPECT_FALSE(Open(r.path, &failure));
        EXPECT_EQ(failure, r.failure);
    }
}

TEST_F(HidrawPlatformTest, OpenIsExclusive)
{
    std::string node = sysfs.Write("node", "");
    nodes.open = [&](const CString&) { return open(node.c_str(), O_RDWR | O_CLOEXEC); };
    nodes.rawInfo = [](int, hidraw_devinfo* info) {
        *info = {3, 1, 2};
        return 0;
    };
    std::unique_ptr<IHidDevice> first = Open("/dev/hidraw2");
    ASSERT_TRUE(first);
    CString failure;
    EXPECT_FALSE(Open("/dev/hidraw2", &failure));
    EXPECT_EQ(failure, "/dev/hidraw2: busy, in use by another program.");
    first.reset();
    EXPECT_TRUE(Open("/dev/hidraw2"));
}

TEST_F(HidrawPlatformTest, ReportsGoOutWholeAndComeBackInTheWindowsLayout)
{
    std::unique_ptr<IHidDevice> device = Open("/dev/hidraw2");
    ASSERT_TRUE(device);
    std::string report(65, '\0');
    for (int i = 1; i < 65; ++i)
        report[i] = (char)i;
    DWORD count = 0;
    EXPECT_EQ(device->WriteReport((const BYTE*)report.data(), 65, 1000, &count), hidTransferDone);
    EXPECT_EQ(count, 65u);
    EXPECT_EQ(Receive("/dev/hidraw2"), report);

    // Unnumbered: hidraw hands over the data alone; the id byte 0 is put back and a short
    // report is padded.
    struct Case {
        const char* node;
        std::string sent;
        std::string expected;
    } cases[] = {
        {"/dev/hidraw2", std::string(64, 'a'), '\0' + std::string(64, 'a')},
        {"/dev/hidraw2", "short", '\0' + std::string("short") + std::string(59, '\0')},
        {"/dev/hidraw10", "\x02" + std::string(32, 'n'), "\x02" + std::string(32, 'n')},
        {"/dev/hidraw10", "\x01" + std::string(8, 'm'), "\x01" + std::string(8, 'm') + std::string(24, '\0')},
    };
    std::unique_ptr<IHidDevice> numbered = Open("/dev/hidraw10");
    ASSERT_TRUE(numbered);
    for (const Case& c : cases) {
        IHidDevice* target = std::string(c.node) == "/dev/hidraw2" ? device.get() : numbered.get();
        DWORD length = target->GetInfo().inputReportLength;
        std::string into(length, '\xEE');
        Send(c.node, c.sent);
        EXPECT_EQ(target->ReadReport((BYTE*)into.data(), length, 1000, &count), hidTransferDone);
        EXPECT_EQ(count, length);
        EXPECT_EQ(into, c.expected);
    }
}

TEST_F(HidrawPlatformTest, TimeOutsHoldAndAVanishedDeviceIsAnError)
{
    std::unique_ptr<IHidDevice> device = Open("/dev/hidraw2");
    ASSERT_TRUE(device);
    BYTE report[65] = {};
    DWORD count = 99;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device->ReadReport(report, 65, 30, &count), hidTransferTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_EQ(count, 0u);

    close(peers["/dev/hidraw2"]);
    peers.erase("/dev/hidraw2");
    EXPECT_EQ(device->ReadReport(report, 65, INFINITE, &count), hidTransferError);
    EXPECT_EQ(device->WriteReport(report, 65, INFINITE, &count), hidTransferError);
}

TEST_F(HidrawPlatformTest, AStalledWriteEndsAtTheCallersDeadlineAndItsReportStillGoesFirst)
{
    std::unique_ptr<IHidDevice> device = Open("/dev/hidraw2");
    ASSERT_TRUE(device);
    std::string first(65, '1'), second(65, '2');
    first[0] = second[0] = 0;
    DWORD count = 99;
    stalled = true;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device->WriteReport((const BYTE*)first.data(), 65, 30, &count), hidTransferTimeout);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(30));
    EXPECT_LT(waited, std::chrono::milliseconds(usbTimeoutMs));
    EXPECT_EQ(count, 0u);
    // The first report is still in the kernel: the next one waits for it, within its own time-out.
    EXPECT_EQ(device->WriteReport((const BYTE*)second.data(), 65, 30, &count), hidTransferTimeout);
    stalled = false;
    EXPECT_EQ(device->WriteReport((const BYTE*)second.data(), 65, 1000, &count), hidTransferDone);
    EXPECT_EQ(Receive("/dev/hidraw2"), first);
    EXPECT_EQ(Receive("/dev/hidraw2"), second);

    // The kernel giving up is a time-out too, also for a caller that set no limit.
    stalled = true;
    usbTimeoutMs = 30;
    EXPECT_EQ(device->WriteReport((const BYTE*)first.data(), 65, INFINITE, &count), hidTransferTimeout);
    // Closing waits for a write still in the kernel rather than leave it running.
    usbTimeoutMs = 200;
    EXPECT_EQ(device->WriteReport((const BYTE*)first.data(), 65, 0, &count), hidTransferTimeout);
    device.reset();
    EXPECT_EQ(inKernel, 0);

    stalled = false;
    device = Open("/dev/hidraw2");
    CWorkerThread::FailNextStarts(1);
    EXPECT_EQ(device->WriteReport((const BYTE*)first.data(), 65, 1000, &count), hidTransferError);
}

TEST_F(HidrawPlatformTest, TheResourceFindsAndTalksToABoardOverHidraw)
{
    CScriptedUi ui;
    CHidrawPlatform platform(sysfs.Path().c_str(), "/dev", nodes);
    IHidPlatform* previous = InstallHidPlatform(&platform);
    {
        CHidComms comms;
        comms.SetTimeout(1000);
        CString serial = "A1";
        ASSERT_TRUE(comms.OpenDevice(0xC251, 0x0100, &serial, NULL));
        EXPECT_EQ(comms.GetDevicePath(), "/dev/hidraw2");
        std::vector<BYTE> request(131, 0x5A);
        DWORD sent = 0;
        EXPECT_TRUE(comms.Write(request.data(), 131, &sent));
        EXPECT_EQ(sent, 131u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Receive("/dev/hidraw2").size(), 65u);
        EXPECT_EQ(Receive("/dev/hidraw2"), "<none>");
        Send("/dev/hidraw2", std::string("\x01\x00\x07\x08", 4));
        BYTE reply[4] = {};
        EXPECT_TRUE(comms.Read(reply, 4, NULL));
        EXPECT_EQ(reply[0], 0x01);
        EXPECT_EQ(reply[3], 0x08);
    }
    InstallHidPlatform(previous);
}
