// The program's main window: choose a target and its communications resource, load image
// files into the target's modules, view, save or clear them, open the target's options and
// program the board. Each command runs to its end by calling the current target.
//
// Controls are enabled by level: 0 only the target list (and Options when a target is
// current), 1 also the resource list, Load File and the module list, 2 also Save, View and
// Clear Buffer (some module loaded), 3 also Program (the target can program).
#pragma once

#include <vector>

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/ListBox.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/Static.h"
#include "targets/ITargetHost.h"

class CMenu;
class CTargetBase;

class CMainDialog : public CHelpDlg, public ITargetHost {
public:
    explicit CMainDialog(CWnd* parent = NULL);

    CProgressCtrl* GetProgressCtrl() override { return &m_progress; }
    CStatic* GetProgressText() override { return &m_stProgressText; }
    void SetControlState(BYTE level) override;
    BOOL BrowseForFile(CString* path, LPCSTR filter, int flags) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCancel() override;

    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnSelchangeTargetType();
    afx_msg void OnClearBuffer();
    afx_msg void OnViewBuffer();
    afx_msg void OnSaveBuffer();
    afx_msg void OnLoadFile();
    afx_msg void OnProgram();
    afx_msg void OnOptions();

    DECLARE_MESSAGE_MAP()

private:
    void AddSystemMenuItem(CMenu* menu, UINT stringId, UINT commandId);
    void FillTargetList();
    void SetModuleListTabStop();
    void SelectStartupTarget();
    void FillResourceList();
    void RefreshModuleList();
    // Loads the chosen file, or every file of the pattern `path` that the target's FixFileName
    // made of it. FALSE when nothing matches, which ends the whole Load File command.
    BOOL LoadMatches(const CString& chosen, const CString& path);
    std::vector<int> SelectedModuleRows() const;

    CButton m_btnOptions;
    CStatic m_stProgressText;
    CButton m_btnView;
    CButton m_btnSave;
    CButton m_btnLoad;
    CButton m_btnClear;
    CComboBox m_cbTargets;  // item data: the target's type id
    CListBox m_lbModules;   // row 0 the header, row r module r - 1
    CProgressCtrl m_progress;
    CButton m_btnProgram;
    CComboBox m_cbResources;
    HICON m_hIcon;
    CTargetBase* m_pTarget = NULL;
    BYTE m_nLevel = 0;
};
