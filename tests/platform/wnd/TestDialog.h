// A dialog of every control kind for the dialog-layer tests, recording what reaches its
// message map.
#pragma once

#include <vector>

#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/DataExchange.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/Edit.h"
#include "platform/wnd/ListBox.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/Static.h"

enum {
    IDD_TEST = 900,
    IDC_T_COMBO = 2001,
    IDC_T_SORTED_COMBO = 2002,
    IDC_T_LIST = 2003,
    IDC_T_MULTI_LIST = 2004,
    IDC_T_EDIT = 2005,
    IDC_T_NUMBER = 2006,
    IDC_T_CHECK = 2007,
    IDC_T_RADIO1 = 2008,
    IDC_T_RADIO2 = 2009,
    IDC_T_RADIO3 = 2010,
    IDC_T_PROGRESS = 2011,
    IDC_T_LABEL = 2012,
    IDC_T_BUTTON = 2013,
    IDC_T_OTHER_RADIO = 2014,
};

// The template: MS Sans Serif 8, 200 x 180 dialog units, with a system menu and context help.
const DialogTemplate& TestTemplate();
// The same without a system menu.
const DialogTemplate& PlainTemplate();

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(const DialogTemplate& tpl = TestTemplate(), CWnd* parent = NULL) : CDialog(tpl, parent) {}

    CComboBox m_combo;
    CComboBox m_sortedCombo;
    CListBox m_list;
    CListBox m_multiList;
    CEdit m_edit;
    CButton m_check;
    CProgressCtrl m_progress;

    CString m_text = "initial";
    int m_number = 42;
    int m_checked = BST_CHECKED;
    int m_radio = 1;
    int m_comboIndex = -1;
    BOOL m_bindControls = TRUE;

    // What reached the map, as "name" or "name:id".
    std::vector<CString> m_log;
    std::vector<UINT> m_sysCommands;
    std::vector<HELPINFO> m_helpInfos;
    std::vector<UINT> m_preTranslated;
    BOOL m_consumeF1 = FALSE;
    int m_initCount = 0;
    int m_destroyCount = 0;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    afx_msg void OnButton();
    afx_msg void OnComboChange();
    afx_msg void OnListChange();
    afx_msg void OnEditChange();
    afx_msg void OnCheckClicked();
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg BOOL OnHelpInfo(HELPINFO* info);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()
};
