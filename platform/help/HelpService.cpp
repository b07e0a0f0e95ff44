#include "platform/help/HelpService.h"

#include "platform/help/ConsoleHelpService.h"

namespace {

// In force until the GUI installs its help window: the program without a window, and tests.
IHelpService& DefaultService()
{
    static CConsoleHelpService console;
    return console;
}

}  // namespace

CServiceSlot<IHelpService*>& HelpServiceSlot()
{
    static CServiceSlot<IHelpService*> slot;
    return slot;
}

IHelpService& Help()
{
    IHelpService* installed = HelpServiceSlot().Get();
    return installed ? *installed : DefaultService();
}

IHelpService* InstallHelpService(IHelpService* service)
{
    return HelpServiceSlot().Install(service);
}

BOOL DispatchWinHelp(const CString& helpFile, DWORD_PTR data, UINT command)
{
    switch (command) {
    case HELP_CONTEXT: Help().ShowTopic(helpFile, (DWORD)data); return TRUE;
    case HELP_CONTEXTPOPUP: {
        POINT position;
        GetCursorPos(&position);
        Help().ShowPopup(helpFile, (DWORD)data, position);
        return TRUE;
    }
    case HELP_QUIT: Help().Quit(); return TRUE;
    case HELP_FINDER:
    case HELP_INDEX: Help().ShowIndex(helpFile); return TRUE;
    default: return FALSE;
    }
}
