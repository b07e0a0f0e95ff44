// The toolkit's side of a push button, check box or radio button (see CButton).
#pragma once

#include "platform/base/WinTypes.h"

class IButtonPeer {
public:
    virtual ~IButtonPeer() = default;
    // BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE; unchecked for a push button.
    virtual int GetCheck() const = 0;
    virtual void SetCheck(int check) = 0;
    // Checked at all (an indeterminate check box counts); FALSE for a push button.
    virtual BOOL IsChecked() const = 0;
    // Checks or unchecks a check box or radio button; a push button ignores it.
    virtual void SetChecked(BOOL checked) = 0;
    // A user's click (ignored while hidden): the button's own toggling, then BN_CLICKED.
    virtual void Click() = 0;
};
