// Records the message boxes the port code shows and answers each with OK.
#pragma once

#include <vector>

#include "platform/UiServices.h"

struct ShownMessage {
    CString text;
    UINT type;
};

class CMessageRecorder : public IUiServices {
public:
    CMessageRecorder() : m_previous(InstallUiServices(this)) {}
    ~CMessageRecorder() override { InstallUiServices(m_previous); }

    int MessageBox(const CString& text, const CString&, UINT type) override
    {
        m_shown.push_back(ShownMessage{text, type});
        return IDOK;
    }
    BOOL FileDialog(const FileDialogRequest&, std::vector<CString>&) override { return FALSE; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

    const std::vector<ShownMessage>& Shown() const { return m_shown; }

private:
    IUiServices* m_previous;
    std::vector<ShownMessage> m_shown;
};
