// UI services without a GUI: messages go to stderr, questions get the safe answer (No, Cancel,
// Abort), file dialogs are cancelled.
#pragma once

#include "platform/ui/UiServices.h"

class CConsoleUiServices : public IUiServices {
public:
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    BOOL FileDialog(const FileDialogRequest& request, std::vector<CString>& paths) override;
    void BeginWaitCursor() override { ++m_nWaitDepth; }
    void EndWaitCursor() override
    {
        if (m_nWaitDepth > 0)
            --m_nWaitDepth;
    }

    // The answer given to a message box of this type.
    static int SafeAnswer(UINT type);
    int WaitDepth() const { return m_nWaitDepth; }

private:
    int m_nWaitDepth = 0;
};
