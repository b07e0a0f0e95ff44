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

class CMenu;
class CTargetBase;

class CMainDialog : public CHelpDlg {
public:
    explicit CMainDialog(CWnd* parent = NULL);

    // For targets while they program: the bar to range, step and position, and the text of
    // the current step. Both are reset by the next SetControlState.
    CProgressCtrl* GetProgressCtrl() { return &m_progress; }
    CStatic* GetProgressText() { return &m_stProgressText; }

    // Applies control level `level` (values from 4 to 254 act as 3); 255 re-applies the
    // stored level. Also puts the progress text back and disables and zeroes the bar.
    void SetControlState(BYTE level);

    // The shared file dialog. `flags` with the sign bit set asks for a save dialog; the rest
    // of `flags` is added to the dialog's usual flags. On confirmation stores the full path in
    // `*path` and returns TRUE; otherwise leaves `*path` alone. FALSE at once for a NULL path
    // or an empty filter.
    BOOL BrowseForFile(CString* path, LPCSTR filter, int flags);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCancel() override;

    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
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
    // Loads every file the search finds for one chosen path. FALSE when nothing matches,
    // which ends the whole Load File command.
    BOOL LoadMatches(const CString& path);
    std::vector<int> SelectedModuleRows() const;

    CButton m_btnOptions;
    CStatic m_stProgressText;
    CButton m_btnView;
    CButton m_btnSave;
    CButton m_btnLoad;
    CButton m_btnClear;
    CComboBox m_cbTargets;      // item data: the target's type id
    CListBox m_lbModules;       // row 0 the header, row r module r - 1
    CProgressCtrl m_progress;
    CButton m_btnProgram;
    CComboBox m_cbResources;
    HICON m_hIcon;
    CTargetBase* m_pTarget = NULL;
    BYTE m_nLevel = 0;
};
