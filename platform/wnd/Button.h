// Push button, check box or radio button of a dialog.
#pragma once

#include "platform/wnd/Wnd.h"

class CButton : public CWnd {
public:
    // BST_CHECKED, BST_UNCHECKED (push buttons are always unchecked).
    int GetCheck() const;
    // Sets the state from code: no BN_CLICKED is sent, and other radio buttons of the group
    // are left alone (as Win32 does for BM_SETCHECK).
    void SetCheck(int check);
    // What a user's click does: toggles an auto check box / checks an auto radio button, then
    // sends BN_CLICKED to the dialog. Nothing happens for a disabled or hidden button.
    void Click();
};
