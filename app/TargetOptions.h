// Options of a target that has no options dialog of its own: only whether it is the target
// selected at start-up.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"

class CTargetOptions : public CHelpDlg {
public:
    explicit CTargetOptions(int targetId, CWnd* parent = NULL);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Writes the start-up choice; Cancel writes nothing.
    void OnOK() override;

private:
    CButton m_chkDefault;
    int m_nTargetId;
};
