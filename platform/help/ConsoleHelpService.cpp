#include "platform/help/ConsoleHelpService.h"

#include <cstdio>

void CConsoleHelpService::PresentTopic(const CHelpFile&, const CHelpFile::Topic& topic)
{
    fprintf(stderr, "%s\n\n%s\n", topic.title.GetString(), topic.text.GetString());
}

void CConsoleHelpService::PresentPopup(const CString& text, POINT)
{
    fprintf(stderr, "%s\n", text.GetString());
}

void CConsoleHelpService::PresentIndex(const CHelpFile& file)
{
    for (const CHelpFile::ContentsEntry& entry : file.Contents()) {
        fprintf(stderr, "%s\n", CHelpFile::ContentsTitle(*entry.topic).GetString());
        for (const CHelpFile::Topic* control : entry.controls)
            fprintf(stderr, "    %s\n", CHelpFile::ContentsTitle(*control).GetString());
    }
}
