// Help without a GUI: topics and popups are printed to stderr.
#pragma once

#include "platform/help/HelpServiceBase.h"

class CConsoleHelpService : public CHelpServiceBase {
public:
    void Quit() override {}
    BOOL IsOpen() const override { return FALSE; }

protected:
    void PresentTopic(const CHelpFile& file, const CHelpFile::Topic& topic) override;
    void PresentPopup(const CString& text, POINT position) override;
    void PresentIndex(const CHelpFile& file) override;
};
