// A help service for tests: records every request and shows nothing.
#pragma once

#include <vector>

#include "platform/help/HelpService.h"

class CRecordingHelpService : public IHelpService {
public:
    enum Kind { Topic, Popup, Index, Quit_ };
    struct Call {
        Kind kind;
        CString helpFile;
        DWORD contextId = 0;
        POINT position = {0, 0};
    };

    // Installs itself for its lifetime.
    CRecordingHelpService();
    ~CRecordingHelpService() override;
    CRecordingHelpService(const CRecordingHelpService&) = delete;
    CRecordingHelpService& operator=(const CRecordingHelpService&) = delete;

    void ShowTopic(const CString& helpFile, DWORD contextId) override;
    void ShowPopup(const CString& helpFile, DWORD contextId, POINT position) override;
    void ShowIndex(const CString& helpFile) override;
    void Quit() override;
    BOOL IsOpen() const override { return m_open; }

    const std::vector<Call>& Calls() const { return m_calls; }
    void Clear() { m_calls.clear(); }

private:
    std::vector<Call> m_calls;
    BOOL m_open = FALSE;
    IHelpService* m_pPrevious;
};
