// A whole FLASH run of the serial-link FLASH target in real time against the simulated board
// playing the board-side programmer: the programmer's download and start, 64 KiB handed out as
// the programmer asks for it (268 bytes a request), the completion, and the read-back of the
// whole FLASH, through the link's three threads and the modem-line serial double.
//
// The run must succeed with the FLASH as the image and the counts a 64 KiB FLASH gives (the
// tests run a smaller board): 245 image blocks, the last of 144 bytes, 245 read-backs, the
// last at 0xE000FF70, and the bar at 244 of 244; otherwise the benchmark fails.
//
// Reports the total time, frames per second (each host frame is a request the board answers
// or an acknowledgement of a board frame, so the board sent as many as the host), the host's
// time per acknowledged byte, the host's processor time during the run, and its processor time
// while an open link waits with nothing to do and while a receive runs into its time-out.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>

#include "platform/ui/UiServices.h"
#include "ports/hyMessage.h"
#include "targets/hyice/hyICEFlash.h"
#include "bench/HyBenchSupport.h"
#include "tests/sim/HyBoardSimulator.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/TempFolder.h"

namespace {

const DWORD kFlashSize = 0x10000;

class CBenchFlash : public CHyICEFlash {
public:
    CBenchFlash() : CHyICEFlash(0x7A, "HYBENCHFLASH", "Serial link FLASH benchmark board") {}
    void SetTimeout(DWORD ms) { m_nTimeout = ms; }
};

using hybench::CResetPresser;
using hybench::NowMs;
using hybench::ProcessCpuMs;

std::vector<CHyBoardSimulator::Frame> OfType(const std::vector<CHyBoardSimulator::Frame>& frames, BYTE type)
{
    std::vector<CHyBoardSimulator::Frame> out;
    for (const CHyBoardSimulator::Frame& frame : frames)
        if (frame.type == type)
            out.push_back(frame);
    return out;
}

bool WholeFlashCounts(const std::vector<CHyBoardSimulator::Frame>& frames, const CFakeTargetHost& host)
{
    std::vector<CHyBoardSimulator::Frame> blocks = OfType(frames, 0x03);
    std::vector<CHyBoardSimulator::Frame> reads = OfType(frames, 0x07);
    bool counts = blocks.size() == 245 && blocks.back().address == 0xE000FF70 && blocks.back().length == 144 &&
                  reads.size() == 245 && reads.back().address == 0xE000FF70 && reads.back().length == 144 &&
                  host.Upper() == 244 && host.Pos() == 244;
    if (!counts)
        fprintf(stderr, "%zu blocks, %zu read-backs, bar at %d of %d: not what 64 KiB gives\n", blocks.size(),
                reads.size(), host.Pos(), host.Upper());
    return counts;
}

}  // namespace

int main(int argc, char** argv)
{
    // The progress bar the target steps is a real (offscreen) one.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // The target reads its settings: from a folder of its own, not the user's.
    CTempFolder folder;
    setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
    CFakeSerialDevice device("COM2:");
    CHyBoardSimulator board(device, NULL);
    CHyBoardSimulator::Behaviour behaviour;
    behaviour.program.startupRequests = true;
    behaviour.program.flashProgrammer = true;
    board.SetBehaviour(behaviour);
    CResetPresser user(board);
    CFakeTargetHost host;
    CBenchFlash target;

    std::string image(kFlashSize, '\0');
    for (DWORD i = 0; i < kFlashSize; ++i)
        image[i] = (char)(i * 7 + (i >> 8));
    if (!target.InitOptions(CHyICEFlash::kBoardType64K, CHyICEFlash::optionVerify, "000000") ||
        !target.LoadModule(0, folder.Write("image.bin", image).c_str())) {
        fprintf(stderr, "the image did not load\n");
        return 1;
    }

    double cpuStart = ProcessCpuMs();
    double boardCpuStart = board.CpuSeconds() * 1000.0;
    double start = NowMs();
    CString status;
    bool ok = target.Program("COM2:", &status);
    double totalMs = NowMs() - start;
    double hostCpuMs = (ProcessCpuMs() - cpuStart) - (board.CpuSeconds() * 1000.0 - boardCpuStart);
    board.WaitTaken(2000);
    std::vector<BYTE> flash = board.Memory(0xE0000000, kFlashSize);
    ok = ok && std::string(flash.begin(), flash.end()) == image;
    ok = ok && WholeFlashCounts(board.HostFrames(), host);
    size_t hostFrames = board.HostFrames().size();
    size_t acknowledged = board.HostBytes().size() + board.BoardBytesSent();

    // An open link with nothing to do, then a receive that nobody answers.
    target.SetTimeout(1000);
    bool up = target.OpenComms("COM2:") && target.WaitForReset();
    double idleStart = ProcessCpuMs() - board.CpuSeconds() * 1000.0;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double idleCpuMs = ProcessCpuMs() - board.CpuSeconds() * 1000.0 - idleStart;
    double waitStart = ProcessCpuMs() - board.CpuSeconds() * 1000.0;
    CHyMessage* never = NULL;
    bool timedOut = up && !target.Receive(&never);
    double waitCpuMs = ProcessCpuMs() - board.CpuSeconds() * 1000.0 - waitStart;
    target.CloseComms();

    printf("64 KiB FLASH program + verify through the board-side programmer: %s (\"%s\")\n",
           ok ? "FLASH verified" : "FAILED", (LPCSTR)status);
    printf("  total            %8.0f ms\n", totalMs);
    printf("  frames           %8zu (%.0f frames/s)\n", 2 * hostFrames, 2 * hostFrames / (totalMs / 1000.0));
    printf("  acknowledged     %8zu bytes (%.1f us per byte)\n", acknowledged, totalMs * 1000.0 / (double)acknowledged);
    printf("  host CPU         %8.0f ms during the run (%.0f %% of one core)\n", hostCpuMs,
           100.0 * hostCpuMs / totalMs);
    printf("  idle link        %8.1f ms CPU in 1 s\n", idleCpuMs);
    printf("  receive time-out %8.1f ms CPU in a 1 s wait (%s)\n", waitCpuMs, timedOut ? "timed out" : "NOT timed out");
    return ok && timedOut ? 0 : 1;
}
