// A board target of the serial-link family for tests (the family's module operations are not
// what these tests look at), the simulated board on COM3:, and a virtual clock that only the
// board moves, and only where a fault leaves the host waiting.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/testing/VirtualClock.h"
#include "platform/threads/WorkerThread.h"
#include "ports/hyMessage.h"
#include "targets/hyice/hyICETarget.h"
#include "tests/sim/HyBoardSimulator.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/RealClock.h"
#include "tests/support/ScriptedUi.h"

class CTestIceTarget : public CHyICETarget {
public:
    CTestIceTarget() : CHyICETarget(0x7E, "HYTEST", "Serial link test board") {}
    BOOL GetModuleName(CString&, int) override { return FALSE; }
    int GetModuleCount() override { return 0; }
    int SelectModuleForFile(const CString&) override { return -1; }
    BOOL IsModuleLoaded(int) override { return FALSE; }
    BOOL LoadModule(int, const CString&) override { return FALSE; }
    BOOL CanProgram() override { return FALSE; }
    void ClearModule(int) override {}
    BOOL Program(CString, CString*) override { return FALSE; }

    CHySerialIf& Link() { return m_SerialIf; }
    DWORD Timeout() const { return m_nTimeout; }
};

namespace hytest {

using Frame = CHyBoardSimulator::Frame;

inline const char* kResetPrompt = "Please reset the target board (by pressing and releasing S1)";

inline CHyMessage* MakeFrame(BYTE type, BYTE flags, DWORD address, DWORD length, const std::vector<BYTE>& data = {})
{
    CHyMessage* frame = CHyMessage::Create();
    frame->m_byType = type;
    frame->m_byFlags = flags;
    frame->m_dwAddress = address;
    frame->m_dwLength = length;
    if (!data.empty()) {
        frame->AllocateData((DWORD)data.size());
        std::copy(data.begin(), data.end(), frame->m_pData.get());
    }
    return frame;
}

inline std::vector<BYTE> Header(BYTE flags, BYTE type, DWORD address, DWORD length)
{
    return Frame{flags, type, address, length, {}, {}}.Wire();
}

}  // namespace hytest

class HyLinkTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        target.CloseComms();
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
    }

    // Opens the link and brings the board up through its reset report.
    void Connect()
    {
        ASSERT_TRUE(target.OpenComms("COM3:"));
        ui.ExpectMessage(hytest::kResetPrompt, MB_OK, IDOK, [this] { board.PressReset(); });
        ASSERT_TRUE(target.WaitForReset());
        ui.VerifyAndClear();
    }

    // Virtual milliseconds `operation` took: 0 unless the board moved the clock for a fault.
    template <typename Operation>
    uint64_t Elapsed(Operation operation)
    {
        uint64_t start = clock.NowMilliseconds();
        operation();
        return clock.NowMilliseconds() - start;
    }

    CFakeSerialDevice device{"COM3:"};
    CVirtualClock clock;
    CScopedClock useClock{clock};
    CHyBoardSimulator board{device, &clock};
    CScriptedUi ui;
    CTestIceTarget target;
};
