// The application object: starts the program, runs the main dialog as the program's whole
// life, and owns the access to the settings key that every target uses.
#pragma once

#include "platform/settings/Registry.h"
#include "platform/wnd/WinApp.h"
#include "platform/base/WinTypes.h"

class ITargetHost;

class CQuilletApp : public CWinApp {
public:
    CQuilletApp();

    // Points help at "Kelvane.hlp" beside the program, reads the start-up target from
    // "Options", runs the main dialog modally. Returns FALSE so the program ends with it.
    BOOL InitInstance() override;

    // Opens HKEY_CURRENT_USER\Software\Brenlow\Marrowind for reading and writing, creating
    // the last two keys when missing; NULL when "Software" is absent or a step fails. The
    // caller closes the key with RegCloseKey; a CRegKeyGuard does it on every return path.
    HKEY OpenSettingsKey();

    // `id` > 0 makes target `id` the start-up target; `id` < 0 clears the start-up target
    // only if it is -id; 0 changes nothing. Writes "Options" every time the key opens.
    void SaveAppOptions(int id);

    // "Options": bits 0-7 the start-up target's type id (0 none); bits 8-31 kept as read.
    DWORD m_dwOptions = 0;
    // The running main dialog, as the targets see it; NULL whenever none exists, so callers
    // must test it.
    ITargetHost* m_pMainDialog = NULL;

protected:
    afx_msg void OnContextHelp();

    DECLARE_MESSAGE_MAP()
};

// Defined in app/Globals.cpp with the other global objects, in their construction order.
extern CQuilletApp theApp;
