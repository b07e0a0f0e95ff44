// Programs and verifies the QB7740 kit's whole 64 KiB FLASH against the simulated board in
// real time, twice: once on the in-process fake HID platform, once through the hidraw code
// over a socket pair with the board answering from its own thread. Each run is split into
// the board's own answer time and what the host adds to it.
//
// 512 blocks, each one write exchange (3 reports out, 1 in) and one verify exchange (1 out,
// 3 in): 4096 reports per run.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "CommsRes/HidComms/HidComms.h"
#include "platform/hid/HidPlatform.h"
#include "platform/hid/HidrawPlatform.h"
#include "platform/ui/UiServices.h"
#include "targets/hyusb/QB7740FLASH.h"
#include "tests/platform/hid/DescriptorFile.h"
#include "tests/sim/QB7740Simulator.h"
#include "tests/support/FakeHidPlatform.h"

namespace {

const int kBlocks = 512;
const int kReports = kBlocks * 8;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double ThreadCpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// The jumper prompts are answered at once.
class CAnswerOk : public IUiServices {
public:
    int MessageBox(const CString&, const CString&, UINT) override { return IDOK; }
    BOOL FileDialog(const FileDialogRequest&, std::vector<CString>&) override { return FALSE; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

// Adds up the time the board spends taking requests and handing out replies.
class CTimedBoard : public IFakeHidBoard {
public:
    explicit CTimedBoard(CQB7740Simulator& board) : m_board(board) {}
    void OnOutputReport(const std::vector<BYTE>& report) override
    {
        auto start = Clock::now();
        m_board.OnOutputReport(report);
        m_busy += Clock::now() - start;
    }
    BOOL NextInputReport(std::vector<BYTE>& report) override
    {
        auto start = Clock::now();
        BOOL ready = m_board.NextInputReport(report);
        m_busy += Clock::now() - start;
        return ready;
    }
    CQB7740Simulator& m_board;
    Clock::duration m_busy{};
};

struct Result {
    bool ok = false;
    double totalMs = 0;
    double boardMs = 0;
    double hostCpuMs = 0;
};

bool Checked(const CQB7740Simulator& board, const std::string& image, BOOL ok)
{
    return ok && std::string(board.Flash().begin(), board.Flash().end()) == image &&
           board.CountRequests(0x00) == kBlocks && board.CountRequests(0x02) == kBlocks;
}

Result RunFake(const std::string& image)
{
    CQB7740Simulator board;
    CTimedBoard timed(board);
    CFakeHidPlatform platform;
    platform.AddBoard("QB1", &timed);
    CString status;
    double cpu = ThreadCpuMs();
    auto start = Clock::now();
    BOOL ok = theQB7740Flash.Program("USB", &status);
    Result result;
    result.totalMs = Ms(Clock::now() - start);
    result.hostCpuMs = ThreadCpuMs() - cpu;
    result.boardMs = Ms(timed.m_busy);
    result.ok = Checked(board, image, ok);
    return result;
}

Result RunHidraw(const std::string& image, const std::string& sysfs)
{
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return Result();
    CHidrawPlatform::NodeAccess nodes;
    nodes.open = [&](const CString&) { return fcntl(pair[0], F_DUPFD_CLOEXEC, 0); };
    nodes.rawInfo = [](int, hidraw_devinfo* info) {
        *info = {3, (__s16)CHidComms::configuredVendorId, (__s16)CQB7740Flash::productId};
        return 0;
    };
    CHidrawPlatform platform(sysfs.c_str(), "/dev", nodes);
    IHidPlatform* previous = InstallHidPlatform(&platform);

    CQB7740Simulator board;
    std::atomic<bool> stop{false};
    Clock::duration busy{};
    std::thread answering([&] {
        BYTE buffer[256];
        while (!stop) {
            pollfd entry = {pair[1], POLLIN, 0};
            if (poll(&entry, 1, 50) <= 0)
                continue;
            ssize_t got = recv(pair[1], buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            auto start = Clock::now();
            board.OnOutputReport(std::vector<BYTE>(buffer, buffer + got));
            std::vector<BYTE> reply;
            while (board.NextInputReport(reply))
                // hidraw hands over an unnumbered report without its id byte.
                send(pair[1], reply.data() + 1, reply.size() - 1, 0);
            busy += Clock::now() - start;
        }
    });

    CString status;
    double cpu = ThreadCpuMs();
    auto start = Clock::now();
    BOOL ok = theQB7740Flash.Program("USB", &status);
    Result result;
    result.totalMs = Ms(Clock::now() - start);
    result.hostCpuMs = ThreadCpuMs() - cpu;
    stop = true;
    answering.join();
    result.boardMs = Ms(busy);
    result.ok = Checked(board, image, ok);
    InstallHidPlatform(previous);
    close(pair[0]);
    close(pair[1]);
    return result;
}

void Report(const char* name, const Result& best, int failures)
{
    printf("%s%s\n", name, failures ? "  (FAILED RUNS)" : "");
    printf("  total %.1f ms, board %.1f ms, host processor %.1f ms\n", best.totalMs, best.boardMs, best.hostCpuMs);
    printf("  per block (write + verify): %.1f us wall, %.1f us host processor\n", best.totalMs * 1000 / kBlocks,
           best.hostCpuMs * 1000 / kBlocks);
    printf("  per report: %.2f us wall, %.2f us beyond the board's answer time, %.2f us host processor\n",
           best.totalMs * 1000 / kReports, (best.totalMs - best.boardMs) * 1000 / kReports,
           best.hostCpuMs * 1000 / kReports);
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 5;
    if (runs < 1)
        runs = 1;
    char folder[] = "/tmp/quillet-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("mkdtemp");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", folder, 1);
    std::string root = folder;
    std::filesystem::create_directories(root + "/sysfs/hidraw0/device");
    std::ofstream(root + "/sysfs/hidraw0/device/uevent")
        << "HID_ID=0003:0000" << std::hex << CHidComms::configuredVendorId << ":00000100\nHID_UNIQ=QB1\n";
    std::vector<BYTE> descriptor = LoadDescriptor("unnumbered_64_64");
    std::ofstream(root + "/sysfs/hidraw0/device/report_descriptor", std::ios::binary)
        .write((const char*)descriptor.data(), (std::streamsize)descriptor.size());

    std::string image(0x10000, '\0');
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = (char)(i * 13 + (i >> 8));
    std::ofstream(root + "/image.bin", std::ios::binary) << image;

    CAnswerOk ui;
    InstallUiServices(&ui);
    CQB7740Flash& kit = theQB7740Flash;
    kit.LoadOptions();
    if (!kit.LoadModule(0, (root + "/image.bin").c_str())) {
        fprintf(stderr, "loading the image failed\n");
        return 1;
    }

    Result bestFake, bestHidraw;
    bestFake.totalMs = bestHidraw.totalMs = 1e30;
    int fakeFailures = 0, hidrawFailures = 0;
    for (int run = 0; run < runs; ++run) {
        Result fake = RunFake(image);
        fakeFailures += fake.ok ? 0 : 1;
        if (fake.totalMs < bestFake.totalMs)
            bestFake = fake;
        Result hidraw = RunHidraw(image, root + "/sysfs");
        hidrawFailures += hidraw.ok ? 0 : 1;
        if (hidraw.totalMs < bestHidraw.totalMs)
            bestHidraw = hidraw;
    }
    printf("64 KiB program and verify, %d blocks, %d reports; best of %d runs\n", kBlocks, kReports, runs);
    Report("fake HID platform (in process):", bestFake, fakeFailures);
    Report("hidraw code over a socket pair, board on its own thread:", bestHidraw, hidrawFailures);
    InstallUiServices(NULL);
    kit.ClearModule(-1);
    std::filesystem::remove_all(folder);
    return fakeFailures || hidrawFailures ? 1 : 0;
}
