// The options dialog of the USB flash boards: whether the FLASH is verified after programming
// and whether the board is the target selected at start-up.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"

class CHyUSBFlash;

class CHyUSBFlashOptions : public CHelpDlg {
public:
    CHyUSBFlashOptions(CHyUSBFlash* target, CWnd* parent = NULL);

    // Shows the working copy of the options and the start-up choice in the check boxes.
    virtual void UpdateControls();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Changes bit 0 of the target's options only (the others are written back as read),
    // stores them, and hands the start-up choice to the application.
    void OnOK() override;

    CButton m_btnVerify;
    CButton m_btnDefault;
    BOOL m_bDefault = FALSE;
    BOOL m_bVerify = FALSE;
    DWORD m_dwOptions = 0;
    CHyUSBFlash* m_pTarget;

    DECLARE_MESSAGE_MAP()
};
