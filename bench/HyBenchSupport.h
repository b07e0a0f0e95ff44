// What the serial-link benchmarks share: a user who presses the simulated board's reset when
// asked, and the process's processor and wall clocks in milliseconds.
#pragma once

#include <chrono>
#include <vector>

#include <sys/resource.h>

#include "platform/ui/UiServices.h"
#include "tests/sim/HyBoardSimulator.h"

namespace hybench {

// Presses the board's reset button whenever a prompt asks for it; other prompts are confirmed.
class CResetPresser : public IUiServices {
public:
    explicit CResetPresser(CHyBoardSimulator& board) : m_board(board), m_previous(InstallUiServices(this)) {}
    ~CResetPresser() override { InstallUiServices(m_previous); }
    int MessageBox(const CString& text, const CString&, UINT) override
    {
        if (text.Find("reset") >= 0)
            m_board.PressReset();
        return IDOK;
    }
    BOOL FileDialog(const FileDialogRequest&, std::vector<CString>&) override { return FALSE; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

private:
    CHyBoardSimulator& m_board;
    IUiServices* m_previous;
};

inline double ProcessCpuMs()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 + usage.ru_stime.tv_sec * 1000.0 +
           usage.ru_stime.tv_usec / 1000.0;
}

inline double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace hybench
