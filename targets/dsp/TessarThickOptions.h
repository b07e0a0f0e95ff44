// The options dialog of the Tessar thick-stub target: whether to jump after programming, the
// jump address, and whether the target is selected at start-up.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/Edit.h"

class CTessarThick;

class CTessarThickOptions : public CHelpDlg {
public:
    // Edits `target`'s options; the target is not owned and may be NULL (nothing to edit).
    CTessarThickOptions(CTessarThick* target, CWnd* parent = NULL);
    ~CTessarThickOptions() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Hands the jump flag (and, when jumping, the address) to the target, which stores them;
    // the start-up choice goes to the application.
    void OnOK() override;
    afx_msg void OnJumpEnable();

    CButton m_ctlJump;
    CButton m_ctlDefault;
    CEdit m_ctlAddress;
    BOOL m_bJump;
    CString m_strAddress;
    CTessarThick* m_pTarget;

    DECLARE_MESSAGE_MAP()
};
