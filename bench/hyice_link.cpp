// Moves a 64 KiB FLASH image to the simulated duvazorudo board and reads it back over the
// framed serial link in real time: the same frames a FLASH program and verify exchange (write
// blocks of 268 bytes, then read-backs of 268 bytes), through the ICE target base, the link's
// three threads and the modem-line serial double.
//
// Reports the total time, frames per second, the host's time per acknowledged byte (every
// byte in either direction waits for the far side's modem-line toggle), and the host's
// processor time during the transfer and while the link waits with nothing to do: an idle
// open link and a receive that runs into its time-out must cost next to nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/ui/UiServices.h"
#include "ports/hyMessage.h"
#include "targets/hyice/hyICETarget.h"
#include "bench/HyBenchSupport.h"
#include "tests/sim/HyBoardSimulator.h"
#include "tests/support/FakeSerialDevice.h"

namespace {

const DWORD kImageSize = 0x10000;
const DWORD kBlock = 268;

class CBenchTarget : public CHyICETarget {
public:
    CBenchTarget() : CHyICETarget(0x7D, "HYBENCH", "Serial link benchmark board") {}
    BOOL GetModuleName(CString&, int) override { return FALSE; }
    int GetModuleCount() override { return 0; }
    int SelectModuleForFile(const CString&) override { return -1; }
    BOOL IsModuleLoaded(int) override { return FALSE; }
    BOOL LoadModule(int, const CString&) override { return FALSE; }
    BOOL CanProgram() override { return FALSE; }
    void ClearModule(int) override {}
    BOOL Program(CString, CString*) override { return FALSE; }
    void SetTimeout(DWORD ms) { m_nTimeout = ms; }
};

using hybench::CResetPresser;
using hybench::NowMs;
using hybench::ProcessCpuMs;

CHyMessage* Frame(BYTE type, BYTE flags, DWORD address, DWORD length)
{
    CHyMessage* frame = CHyMessage::Create();
    frame->m_byType = type;
    frame->m_byFlags = flags;
    frame->m_dwAddress = address;
    frame->m_dwLength = length;
    return frame;
}

bool Exchange(CBenchTarget& target, CHyMessage* request, std::vector<BYTE>* answer)
{
    CHyMessage* reply = NULL;
    bool ok = target.Transact(request, &reply) && reply->m_dwAddress != 1;
    if (ok && answer && reply->m_pData)
        answer->insert(answer->end(), reply->m_pData.get(), reply->m_pData.get() + reply->m_nDataSize);
    if (reply)
        reply->Destroy();
    request->Destroy();
    return ok;
}

}  // namespace

int main()
{
    CFakeSerialDevice device("COM2:");
    CHyBoardSimulator board(device, NULL);
    CResetPresser user(board);
    CBenchTarget target;

    std::vector<BYTE> image(kImageSize);
    for (DWORD i = 0; i < kImageSize; ++i)
        image[i] = (BYTE)(i * 7 + (i >> 8));

    if (!target.OpenComms("COM2:") || !target.WaitForReset()) {
        fprintf(stderr, "the board did not come up\n");
        return 1;
    }
    size_t hostBytesBefore = board.HostBytes().size();
    size_t boardBytesBefore = board.BoardBytesSent();
    double cpuStart = ProcessCpuMs();
    double boardCpuStart = board.CpuSeconds() * 1000.0;
    double start = NowMs();
    int frames = 0;
    bool ok = true;
    for (DWORD offset = 0; ok && offset < kImageSize; offset += kBlock) {
        DWORD n = std::min(kBlock, kImageSize - offset);
        CHyMessage* write = Frame(0x18, 0x01, 0x8000 + offset, n);
        write->AllocateData(n);
        std::copy(image.begin() + offset, image.begin() + offset + n, write->m_pData.get());
        ok = Exchange(target, write, NULL);
        frames += 2;
    }
    double programmed = NowMs();
    std::vector<BYTE> readBack;
    for (DWORD offset = 0; ok && offset < kImageSize; offset += kBlock) {
        DWORD n = std::min(kBlock, kImageSize - offset);
        ok = Exchange(target, Frame(0x07, 0x10, 0x8000 + offset, n), &readBack);
        frames += 2;
    }
    double totalMs = NowMs() - start;
    board.WaitSent(2000);
    double hostCpuMs = (ProcessCpuMs() - cpuStart) - (board.CpuSeconds() * 1000.0 - boardCpuStart);
    size_t acknowledged = (board.HostBytes().size() - hostBytesBefore) + (board.BoardBytesSent() - boardBytesBefore);
    ok = ok && readBack == image && board.Memory(0x8000, kImageSize) == image;

    double idleStart = ProcessCpuMs() - board.CpuSeconds() * 1000.0;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double idleCpuMs = ProcessCpuMs() - board.CpuSeconds() * 1000.0 - idleStart;

    target.SetTimeout(1000);
    board.SetResponder([](const CHyBoardSimulator::Frame&) { return std::vector<CHyBoardSimulator::Frame>(); });
    double waitStart = ProcessCpuMs() - board.CpuSeconds() * 1000.0;
    CHyMessage* never = NULL;
    bool timedOut = !target.Receive(&never);
    double waitCpuMs = ProcessCpuMs() - board.CpuSeconds() * 1000.0 - waitStart;
    target.CloseComms();

    printf("64 KiB program + verify over the paced link: %s\n", ok ? "image verified" : "FAILED");
    printf("  total            %8.0f ms (program %.0f ms, verify %.0f ms)\n", totalMs, programmed - start,
           totalMs - (programmed - start));
    printf("  frames           %8d (%.0f frames/s)\n", frames, frames / (totalMs / 1000.0));
    printf("  acknowledged     %8zu bytes (%.1f us per byte)\n", acknowledged, totalMs * 1000.0 / (double)acknowledged);
    printf("  host CPU         %8.0f ms during the transfer (%.0f %% of one core)\n", hostCpuMs,
           100.0 * hostCpuMs / totalMs);
    printf("  idle link        %8.1f ms CPU in 1 s\n", idleCpuMs);
    printf("  receive time-out %8.1f ms CPU in a 1 s wait (%s)\n", waitCpuMs, timedOut ? "timed out" : "NOT timed out");
    return ok && timedOut ? 0 : 1;
}
