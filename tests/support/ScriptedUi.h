// UI services for tests: the test lists the prompts it expects, in order, with their answers.
// A prompt that was not expected, or differs in text or type, fails the test and gets the safe
// answer (No / Cancel; a file dialog is cancelled). Installs itself for its lifetime and
// checks on destruction that every expected prompt was shown.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/ui/UiServices.h"

class CScriptedUi : public IUiServices {
public:
    struct Shown {
        CString text;
        CString caption;
        UINT type = 0;
    };

    CScriptedUi();
    ~CScriptedUi() override;
    CScriptedUi(const CScriptedUi&) = delete;
    CScriptedUi& operator=(const CScriptedUi&) = delete;

    // A message box with exactly this text and type (buttons | icon | default button).
    CScriptedUi& ExpectMessage(const CString& text, UINT type, int answer);
    // The same; `whileShown` runs while the box is up, to look at the program's state then.
    CScriptedUi& ExpectMessage(const CString& text, UINT type, int answer, std::function<void()> whileShown);
    // An open dialog with this filter and flags, answered with `paths` (empty: cancelled).
    CScriptedUi& ExpectOpenFile(const CString& filter, DWORD flags, std::vector<CString> paths);
    // A save dialog with this filter and flags, answered with `path` (empty: cancelled).
    CScriptedUi& ExpectSaveFile(const CString& filter, DWORD flags, const CString& path);

    // Fails the test for expected prompts that were not shown, then forgets them.
    void VerifyAndClear();

    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    BOOL FileDialog(const FileDialogRequest& request, std::vector<CString>& paths) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // Every message box shown, in order (expected or not).
    const std::vector<Shown>& Messages() const { return m_shown; }
    // The last file dialog request.
    const FileDialogRequest& LastFileRequest() const { return m_lastRequest; }
    int WaitDepth() const { return m_waitDepth; }
    int MaxWaitDepth() const { return m_maxWaitDepth; }
    int WaitCursorCount() const { return m_waitCount; }

private:
    struct Expectation {
        enum Kind { Message, OpenFile, SaveFile } kind;
        CString text;   // message text, or the filter
        UINT type = 0;  // message type, or the OFN flags
        int answer = 0;
        std::vector<CString> paths;
        std::function<void()> whileShown;
    };

    std::deque<Expectation> m_expected;
    std::vector<Shown> m_shown;
    FileDialogRequest m_lastRequest;
    IUiServices* m_pPrevious;
    int m_waitDepth = 0;
    int m_maxWaitDepth = 0;
    int m_waitCount = 0;
};
