// The options dialog of the QB2300 board and the QP0700 kit: the default 'thin' stub file,
// the banked hex file mode and whether the target is selected at start-up.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Edit.h"

class CQB2300Flash;

class CQB2300Options : public CHelpDlg {
public:
    // Edits the QB2300 board's options until SetTarget names another target.
    explicit CQB2300Options(CWnd* parent = NULL);

    void SetTarget(CQB2300Flash* target);
    CQB2300Flash* GetTarget() const { return m_pTarget; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Hands the edited values to the target, which stores them; the start-up choice goes to
    // the application.
    void OnOK() override;
    afx_msg void OnBrowse();

    CComboBox m_ctlMode;
    CEdit m_ctlThinPath;
    CButton m_ctlDefault;
    CQB2300Flash* m_pTarget;

    DECLARE_MESSAGE_MAP()
};
