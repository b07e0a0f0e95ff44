#include "platform/help/HelpServiceBase.h"

#include "platform/ui/UiServices.h"
#include "platform/base/AppName.h"

BOOL CHelpServiceBase::LoadFile(const CString& helpFile)
{
    // Read afresh each time: the file is small and may have been replaced meanwhile.
    if (!helpFile.IsEmpty() && m_file.Load(helpFile))
        return TRUE;
    Ui().MessageBox("Unable to open help file \u00AB" + helpFile + "\u00BB", AfxGetAppName(),
                    MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

void CHelpServiceBase::ShowTopic(const CString& helpFile, DWORD contextId)
{
    if (!LoadFile(helpFile))
        return;
    const CHelpFile::Topic* topic = m_file.Find(contextId);
    if (!topic) {
        CString text;
        text.Format("The help file \u00AB%s\u00BB has no topic for context 0x%X.", helpFile.GetString(),
                    (unsigned)contextId);
        Ui().MessageBox(text, AfxGetAppName(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    PresentTopic(m_file, *topic);
}

void CHelpServiceBase::ShowPopup(const CString& helpFile, DWORD contextId, POINT position)
{
    if (!LoadFile(helpFile))
        return;
    const CHelpFile::Topic* topic = contextId ? m_file.Find(contextId) : NULL;
    PresentPopup(topic ? topic->text : CString(NoTopicText()), position);
}

void CHelpServiceBase::ShowIndex(const CString& helpFile)
{
    if (LoadFile(helpFile))
        PresentIndex(m_file);
}
