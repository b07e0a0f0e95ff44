// Whole runs of the serial-link family against the simulated board on COM3:: a .hye download
// target with the calling order of a programming run, the FLASH target, a fake main-dialog
// host for the progress, scripted prompts, and a virtual clock that only the board moves.
#pragma once

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "res/resource.h"
#include "targets/hyice/hyICEFlash.h"
#include "targets/hyice/hyICEHYE.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/hyice/HyTestSupport.h"

class CTestHyeTarget : public CHyICEHYE {
public:
    CTestHyeTarget() : CHyICEHYE(0x7C, "HYHYE", "Serial link download test board") {}
    // Open, reset, download, close: the order every run of the family follows.
    BOOL Program(CString resource, CString* status) override
    {
        *status = "Unable to program the device";
        BOOL ok = OpenComms(resource) && WaitForReset() && DownloadAndRun(resource, status, m_bServe);
        CloseComms();
        return ok;
    }
    BOOL m_bServe = TRUE;
};

class CTestFlashTarget : public CHyICEFlash {
public:
    CTestFlashTarget() : CHyICEFlash(0x7B, "HYFLASH", "Serial link FLASH test board") {}

    // With a size set, the 64 KiB board type keeps everything but its FLASH, which holds only
    // `size` bytes: whole runs of a board paced byte by byte then stay short.
    void SetFlashSize(DWORD size) { m_nTestFlashSize = size; }
    BOOL InitOptions(DWORD boardType, WORD defaultOptions, CString defaultSerial) override
    {
        BOOL ok = CHyICEFlash::InitOptions(boardType, defaultOptions, defaultSerial);
        if (ok && m_nTestFlashSize != 0)
            m_nImageSize = m_nTestFlashSize;
        return ok;
    }

private:
    DWORD m_nTestFlashSize = 0;
};

namespace hytest {

// A frame as the tests compare them: type, address field, length field.
using Summary = std::tuple<BYTE, DWORD, DWORD>;

inline std::vector<Summary> Summaries(const std::vector<Frame>& frames, size_t from = 0)
{
    std::vector<Summary> out;
    for (size_t i = from; i < frames.size(); ++i)
        out.emplace_back(frames[i].type, frames[i].address, frames[i].length);
    return out;
}

inline std::vector<Frame> OfType(const std::vector<Frame>& frames, BYTE type)
{
    std::vector<Frame> out;
    for (const Frame& frame : frames)
        if (frame.type == type)
            out.push_back(frame);
    return out;
}

inline std::vector<BYTE> Bytes(const std::string& text, size_t from, size_t count)
{
    return std::vector<BYTE>(text.begin() + from, text.begin() + from + count);
}

}  // namespace hytest

class HyRunTest : public ::testing::Test {
protected:
    using Frame = hytest::Frame;
    using Behaviour = CHyBoardSimulator::Behaviour;
    // Edits the board's own answers to one host frame (the answer comes first, then what the
    // board sends of its own after it).
    using Edit = std::function<void(const Frame& request, std::vector<Frame>& answers)>;

    void TearDown() override
    {
        EXPECT_FALSE(device.IsOpen());
        EXPECT_EQ(CWorkerThread::LiveCount(), 0);
    }

    // The user is asked to reset the board, and does.
    void ExpectResetPrompt()
    {
        ui.ExpectMessage(hytest::kResetPrompt, MB_OK, IDOK, [this] { board.PressReset(); });
    }

    void EditBoard(Edit edit)
    {
        if (!edit) {
            board.SetResponder(nullptr);
            return;
        }
        board.SetResponder([this, edit](const Frame& request) {
            std::vector<Frame> answers = board.DefaultAnswer(request);
            edit(request, answers);
            return answers;
        });
    }

    // The board's own frames of `type` among `answers`, edited in place.
    static void EditFrames(std::vector<Frame>& answers, BYTE type, const std::function<void(Frame&)>& edit)
    {
        for (Frame& frame : answers)
            if (frame.type == type)
                edit(frame);
    }

    CFakeSerialDevice device{"COM3:"};
    CVirtualClock clock;
    CScopedClock useClock{clock};
    CHyBoardSimulator board{device, &clock};
    CScriptedUi ui;
    CFakeTargetHost host;
    CTempFolder folder;
};
