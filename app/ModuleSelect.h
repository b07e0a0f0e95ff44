// Lets the user say which module of a target a file is loaded into. The combo box lists the
// target's modules in module order, so the chosen combo index is the module index.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Edit.h"

class CTargetBase;

class CModuleSelect : public CHelpDlg {
public:
    // `selection` is the module preselected in the list, -1 for none (OK then starts
    // disabled); `file` is the path shown to the user.
    CModuleSelect(CTargetBase* target, const CString& file, int selection, CWnd* parent = NULL);

    // The module chosen when the dialog ended with IDOK.
    int GetSelection() const { return m_nSelection; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    afx_msg void OnSelchangeModule();

    DECLARE_MESSAGE_MAP()

private:
    CEdit m_ctlFile;
    CButton m_btnCancel;
    CButton m_btnOK;
    CComboBox m_cbModules;
    CTargetBase* m_pTarget;
    int m_nSelection;
    CString m_strFile;
};
