// The options dialog of the serial-link FLASH boards: verify after programming, the prompt
// for the FLASH segment jumper, the board serial number that programming writes into the
// image (shown and editable only while option bit 1 is set), and whether the board is the
// target selected at start-up. OK stores everything through the target; Cancel changes
// nothing.
#pragma once

#include "app/HelpDlg.h"
#include "platform/base/CString.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/Edit.h"

class CHyICEFlash;

class CHyICEFlashOptions : public CHelpDlg {
public:
    CHyICEFlashOptions(CHyICEFlash* target, CWnd* parent = NULL);
    ~CHyICEFlashOptions() override;

    // Shows the working copy of the options: the two check boxes, the serial number field
    // (filled and enabled with option bit 1, else empty and disabled) and the start-up choice.
    // Sets the controls directly; the members bound by data exchange are not touched.
    virtual void UpdateControls();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Takes bits 0 and 2 from the check boxes and keeps every other bit. With option bit 1 the
    // serial number must have exactly six characters, else the user is told and the dialog
    // stays open with nothing stored; without it the field is disabled and the target's
    // serial number is kept.
    void OnOK() override;

    CButton m_ctlVerify;
    CEdit m_ctlSerial;
    CButton m_ctlDefault;
    CButton m_ctlSegment;
    CString m_strSerialText = "000000";
    BOOL m_bSegment = 0;
    BOOL m_bDefault = 0;
    BOOL m_bVerify = 0;
    WORD m_wOptions = 0;
    CString m_strSerial;
    CHyICEFlash* m_pTarget;

    DECLARE_MESSAGE_MAP()
};
