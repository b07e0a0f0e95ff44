// The help engine: topics and control popups from the help file, keyed by context id. The GUI
// shows a help window (one, non-modal, reused) and popups; tests install a recording double.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/ServiceSlot.h"
#include "platform/base/WinMessages.h"

class IHelpService {
public:
    virtual ~IHelpService() = default;
    // Opens (or brings up) the help window on the topic `contextId` of `helpFile`. A missing
    // file or topic is reported to the user, never fatal.
    virtual void ShowTopic(const CString& helpFile, DWORD contextId) = 0;
    // Shows the topic's text in a small popup at `position` (screen pixels).
    virtual void ShowPopup(const CString& helpFile, DWORD contextId, POINT position) = 0;
    // The help window on the contents page: every topic of the file, each control's popup
    // under its dialog.
    virtual void ShowIndex(const CString& helpFile) = 0;
    // Closes the help window and any popup; nothing happens if none is open.
    virtual void Quit() = 0;
    virtual BOOL IsOpen() const = 0;
};

// The installed service; empty while the default is in force.
CServiceSlot<IHelpService*>& HelpServiceSlot();
IHelpService& Help();
// Installs `service` (NULL restores the default) and returns the previous one.
IHelpService* InstallHelpService(IHelpService* service);

// The request of a WinHelp call, dispatched to the help service: HELP_CONTEXT -> ShowTopic,
// HELP_CONTEXTPOPUP -> ShowPopup at the mouse position, HELP_QUIT -> Quit, HELP_FINDER and
// HELP_INDEX -> ShowIndex. Other commands are ignored. Returns TRUE when dispatched.
BOOL DispatchWinHelp(const CString& helpFile, DWORD_PTR data, UINT command);
