// What every real help service shares: reading the help file, finding the topic and telling
// the user when either is missing. Subclasses only present the result.
#pragma once

#include "platform/help/HelpFile.h"
#include "platform/help/HelpService.h"

class CHelpServiceBase : public IHelpService {
public:
    void ShowTopic(const CString& helpFile, DWORD contextId) override;
    void ShowPopup(const CString& helpFile, DWORD contextId, POINT position) override;
    void ShowIndex(const CString& helpFile) override;

    // The popup text for a control without a topic.
    static const char* NoTopicText() { return "No help topic is associated with this item."; }

protected:
    virtual void PresentTopic(const CHelpFile& file, const CHelpFile::Topic& topic) = 0;
    virtual void PresentPopup(const CString& text, POINT position) = 0;
    virtual void PresentIndex(const CHelpFile& file) = 0;

private:
    // Loads the file; on failure tells the user and returns FALSE.
    BOOL LoadFile(const CString& helpFile);

    CHelpFile m_file;
};
