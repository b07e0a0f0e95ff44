// The base of the program's dialogs: F1 opens the dialog's own help topic, Shift+F1 enters
// context-help mode, a control asked about shows its popup, and a dialog that closes takes
// its help window with it.
#pragma once

#include "platform/wnd/Dialog.h"

class CHelpDlg : public CDialog {
public:
    CHelpDlg(UINT templateId, CWnd* parent = NULL);

    // F1 alone opens the dialog's topic (HID_BASE_RESOURCE + template id); with Shift it
    // enters context-help mode. Both consume the key.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    // Popup help for controls; help asked for a menu item is swallowed.
    afx_msg BOOL OnHelpInfo(HELPINFO* info);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()
};
