#include "app/MainDialog.h"

#include "app/AboutBox.h"
#include "app/ClearChoice.h"
#include "app/QuilletApp.h"
#include "app/TargetOptions.h"
#include "app/ViewBuffer.h"
#include "platform/wnd/DataExchange.h"
#include "platform/ui/FileDialog.h"
#include "platform/files/FileFind.h"
#include "platform/base/FailureDetail.h"
#include "platform/os/PortOpenFailure.h"
#include "platform/wnd/Menu.h"
#include "platform/base/StringTable.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/WinApp.h"
#include "res/resource.h"
#include "targets/TargetBase.h"

namespace {

const char kHeaderRow[] = "Description\tData";
const char kProgressIdle[] = "Program Action Progress";
const char kSaveFilter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";
// Every file dialog of the shell hides the read-only box and wants paths and files to exist.
const DWORD kFileDialogFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const int kSaveDialogFlag = (int)0x80000000u;
// Save Buffer never replaces a file the user did not agree to lose: the dialog asks first.
const int kSaveBufferFlags = kSaveDialogFlag | OFN_OVERWRITEPROMPT;
const int kFileNameBufferSize = 1300;
const BYTE kFirstTargetId = 1;
const BYTE kLastTargetId = 6;
const BYTE kReapplyLevel = 255;

void ShowFileMessage(const char* format, const CString& path)
{
    CString text;
    text.Format(format, (LPCSTR)path);
    AfxMessageBox(CFailureDetail::AddTo(text), MB_OK);
}

}  // namespace

CMainDialog::CMainDialog(CWnd* parent) : CHelpDlg(IDD_MAIN_DIALOG, parent)
{
    CWinApp* app = AfxGetApp();
    m_hIcon = app ? app->LoadIcon(IDR_MAINFRAME) : NULL;
}

BEGIN_MESSAGE_MAP(CMainDialog, CHelpDlg)
    ON_WM_SYSCOMMAND()
    ON_CBN_SELCHANGE(IDC_TARGET_TYPE, OnSelchangeTargetType)
    ON_BN_CLICKED(IDC_CLEAR_BUFFER, OnClearBuffer)
    ON_BN_CLICKED(IDC_VIEW_BUFFER, OnViewBuffer)
    ON_BN_CLICKED(IDC_SAVE_BUFFER, OnSaveBuffer)
    ON_BN_CLICKED(IDC_LOAD_FILE, OnLoadFile)
    ON_BN_CLICKED(IDC_PROGRAM, OnProgram)
    ON_BN_CLICKED(IDC_OPTIONS, OnOptions)
END_MESSAGE_MAP()

void CMainDialog::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_OPTIONS, m_btnOptions);
    DDX_Control(pDX, IDC_PROGRESS_TEXT, m_stProgressText);
    DDX_Control(pDX, IDC_VIEW_BUFFER, m_btnView);
    DDX_Control(pDX, IDC_SAVE_BUFFER, m_btnSave);
    DDX_Control(pDX, IDC_LOAD_FILE, m_btnLoad);
    DDX_Control(pDX, IDC_CLEAR_BUFFER, m_btnClear);
    DDX_Control(pDX, IDC_TARGET_TYPE, m_cbTargets);
    DDX_Control(pDX, IDC_MODULE_LIST, m_lbModules);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_PROGRAM, m_btnProgram);
    DDX_Control(pDX, IDC_COMMS_RESOURCE, m_cbResources);
}

BOOL CMainDialog::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    m_nLevel = 0;

    if (CMenu* menu = GetSystemMenu(FALSE)) {
        AddSystemMenuItem(menu, IDS_ABOUTBOX, IDM_ABOUTBOX);
        AddSystemMenuItem(menu, IDS_HELPINDEX, ID_HELP);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    FillTargetList();
    SetModuleListTabStop();
    OnClearBuffer();
    m_cbResources.ResetContent();
    SelectStartupTarget();
    SetControlState(kReapplyLevel);
    return TRUE;
}

void CMainDialog::AddSystemMenuItem(CMenu* menu, UINT stringId, UINT commandId)
{
    CString text;
    LoadString(stringId, text);
    if (text.IsEmpty())
        return;
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, commandId, text);
}

void CMainDialog::FillTargetList()
{
    for (BYTE id = kFirstTargetId; id <= kLastTargetId; ++id) {
        CTargetBase* target = CTargetBase::FindById(id);
        if (!target)
            continue;
        int index = m_cbTargets.AddString(target->GetDescription());
        m_cbTargets.SetItemData(index, id);
    }
}

// The single tab stop sits at nine tenths of the list's client width, so "Yes"/"No" line up
// in a column near the right edge.
void CMainDialog::SetModuleListTabStop()
{
    RECT units = {0, 0, 10000, 10000};
    MapDialogRect(&units);
    LONG pixelsPer10000 = units.right - units.left;
    if (pixelsPer10000 <= 0)
        return;
    RECT client = {0, 0, 0, 0};
    m_lbModules.GetClientRect(&client);
    LONG width = (client.right - client.left) * 10000 / pixelsPer10000;
    m_lbModules.SetTabStops((int)(width * 9000 / 10000));
}

void CMainDialog::SelectStartupTarget()
{
    BYTE id = (BYTE)(theApp.m_dwOptions & 0xFF);
    if (id == 0)
        return;
    CTargetBase* target = CTargetBase::FindById(id);
    if (!target)
        return;
    int index = m_cbTargets.FindString(-1, target->GetDescription());
    if (index == CB_ERR)
        return;
    m_cbTargets.SetCurSel(index);
    OnSelchangeTargetType();
}

void CMainDialog::OnCancel()
{
    CDialog::OnCancel();
}

void CMainDialog::SetControlState(BYTE level)
{
    if (level == kReapplyLevel)
        level = m_nLevel;
    else
        m_nLevel = level;

    m_cbResources.EnableWindow(level != 0);
    m_btnLoad.EnableWindow(level != 0);
    m_lbModules.EnableWindow(level != 0);
    m_btnSave.EnableWindow(level >= 2);
    m_btnView.EnableWindow(level >= 2);
    m_btnClear.EnableWindow(level >= 2);
    m_btnProgram.EnableWindow(level >= 3);

    m_stProgressText.SetWindowText(kProgressIdle);
    m_progress.EnableWindow(FALSE);
    m_progress.SetPos(0);
    m_btnOptions.EnableWindow(m_pTarget != NULL);
}

void CMainDialog::OnSelchangeTargetType()
{
    CWaitCursor wait;
    CTargetBase::CalibrateDelay();

    m_pTarget = NULL;
    m_nLevel = 0;
    int selection = m_cbTargets.GetCurSel();
    if (selection != CB_ERR)
        m_pTarget = CTargetBase::FindById((DWORD)m_cbTargets.GetItemData(selection));
    if (!m_pTarget)
        m_cbTargets.SetCurSel(-1);

    if (m_pTarget)
        m_nLevel = m_pTarget->LoadOptions() >= 1 ? 1 : 0;
    FillResourceList();
    if (m_pTarget)
        m_pTarget->ClearModule(-1);
    RefreshModuleList();
    SetControlState(kReapplyLevel);
}

void CMainDialog::FillResourceList()
{
    m_cbResources.ResetContent();
    if (!m_pTarget)
        return;
    CString name;
    for (int index = 0; m_pTarget->GetResourceName(index, name); ++index)
        m_cbResources.AddString(name);
    m_cbResources.SetCurSel(0);
}

void CMainDialog::RefreshModuleList()
{
    CWaitCursor wait;
    m_lbModules.ResetContent();
    m_lbModules.AddString(kHeaderRow);
    if (!m_pTarget)
        return;

    BOOL someLoaded = FALSE;
    CString name;
    for (int block = 0; m_pTarget->GetModuleName(name, block) == TRUE; ++block) {
        if (m_pTarget->IsModuleLoaded(block) == TRUE) {
            name += "\tYes";
            someLoaded = TRUE;
        } else {
            name += "\tNo";
        }
        m_lbModules.AddString(name);
    }

    if (someLoaded && m_nLevel < 2)
        m_nLevel = 2;
    if (m_pTarget->CanProgram() == TRUE)
        m_nLevel = 3;
    else if (m_nLevel == 3)
        m_nLevel = 2;
    if (!someLoaded && m_nLevel > 1)
        m_nLevel = 1;
    SetControlState(kReapplyLevel);
}

void CMainDialog::OnLoadFile()
{
    if (!m_pTarget || m_pTarget->GetModuleCount() == 0) {
        AfxMessageBox("Invalid Target Selected", MB_OK);
        return;
    }
    CString filter;
    BOOL multi = m_pTarget->GetFileFilter(filter);
    if (filter.IsEmpty())
        return;

    DWORD flags = kFileDialogFlags | (multi ? OFN_ALLOWMULTISELECT : 0);
    CFileDialog dialog(TRUE, NULL, NULL, flags, filter, this);
    dialog.SetFileNameBufferSize(kFileNameBufferSize);
    if (dialog.DoModal() != IDOK)
        return;

    CWaitCursor wait;
    POSITION position = dialog.GetStartPosition();
    while (position) {
        CString chosen = dialog.GetNextPathName(position);
        CString path = chosen;
        m_pTarget->FixFileName(path);
        if (!LoadMatches(chosen, path))
            break;
    }
    // Also after a path that matched nothing: files loaded earlier in this command are in
    // the target, and the list should say so at once.
    RefreshModuleList();
}

BOOL CMainDialog::LoadMatches(const CString& chosen, const CString& path)
{
    // '*' and '?' are legal in names here: a chosen name is opened as it is, and only wildcards
    // that the target put in (the set of banked files) are searched for. Where the chosen name
    // has some of its own, the two cannot be told apart, and the chosen file alone is loaded.
    // Folders are never searched for, whatever their names hold.
    auto hasWildcards = [](const CString& text) { return text.Mid(text.ReverseFind('/') + 1).FindOneOf("*?") >= 0; };
    BOOL pattern = hasWildcards(path) && !hasWildcards(chosen);
    CFileFind finder;
    CFailureDetail::Clear();
    if (!(pattern ? finder.FindFileSpelledLike(path, chosen) : finder.FindFile(chosen, CFileFind::findLiteral))) {
        ShowFileMessage("Unable to find specified file \xC2\xAB%s\xC2\xBB", path);
        return FALSE;
    }
    BOOL more = TRUE;
    while (more) {
        more = finder.FindNextFile();
        CString file = finder.GetFilePath();
        int block = m_pTarget->GetModuleCount() < 2 ? 0 : m_pTarget->SelectModuleForFile(file);
        if (block == -1)
            break;
        CFailureDetail::Clear();
        if (!m_pTarget->LoadModule(block, file)) {
            ShowFileMessage("Unable to load specified file \xC2\xAB%s\xC2\xBB", file);
            break;
        }
    }
    finder.Close();
    return TRUE;
}

void CMainDialog::OnSaveBuffer()
{
    if (!m_pTarget)
        return;
    CString path;
    if (!BrowseForFile(&path, kSaveFilter, kSaveBufferFlags))
        return;
    CWaitCursor wait;
    if (!m_pTarget->SaveBuffer(path))
        AfxMessageBox("Error - Unable to save the buffer", MB_OK);
}

BOOL CMainDialog::BrowseForFile(CString* path, LPCSTR filter, int flags)
{
    if (!path || !filter || !*filter)
        return FALSE;
    BOOL open = flags >= 0;
    DWORD dialogFlags = ((DWORD)flags & 0x7FFFFFFFu) | kFileDialogFlags;
    CFileDialog dialog(open, "HEX", NULL, dialogFlags, filter, this);
    if (dialog.DoModal() != IDOK)
        return FALSE;
    *path = dialog.GetPathName();
    return TRUE;
}

std::vector<int> CMainDialog::SelectedModuleRows() const
{
    int count = m_lbModules.GetSelCount();
    if (count <= 0)
        return {};
    std::vector<int> rows(count);
    rows.resize(m_lbModules.GetSelItems(count, rows.data()));
    return rows;
}

void CMainDialog::OnViewBuffer()
{
    BYTE level = m_nLevel;
    SetControlState(0);
    std::vector<int> rows = SelectedModuleRows();
    CViewBuffer viewer(m_pTarget, rows.empty() ? 0 : rows.front());
    viewer.DoModal();
    SetControlState(level);
}

void CMainDialog::OnClearBuffer()
{
    if (!m_pTarget) {
        RefreshModuleList();
        return;
    }
    std::vector<int> rows = SelectedModuleRows();
    if (!rows.empty() && m_pTarget->GetModuleCount() > 1) {
        CClearChoice choice(this);
        if (choice.DoModal() != IDOK)
            return;
        if (choice.GetChoice() == CClearChoice::choiceWholeBuffer)
            rows.clear();
    }

    CWaitCursor wait;
    if (rows.empty()) {
        m_pTarget->ClearModule(-1);
    } else {
        for (int row : rows)
            if (row > 0)
                m_pTarget->ClearModule(row - 1);
    }
    RefreshModuleList();
}

void CMainDialog::OnOptions()
{
    if (!m_pTarget)
        return;
    if (m_pTarget->HasOptions() == 1) {
        m_pTarget->ShowOptions();
        return;
    }
    CTargetOptions options(m_pTarget->GetId(), this);
    options.DoModal();
}

void CMainDialog::OnProgram()
{
    if (!m_pTarget)
        return;
    SetControlState(0);
    m_progress.EnableWindow(TRUE);

    CString resource;
    int selection = m_cbResources.GetCurSel();
    if (selection != CB_ERR)
        m_cbResources.GetLBText(selection, resource);
    CString message;
    CPortOpenFailure::ClearLast();
    CFailureDetail::Clear();
    BOOL ok = m_pTarget->Program(resource, &message);
    // The target's text stays as it is; a port that would not open adds which device it was
    // and why, which the target cannot know, and any other cause the run recorded comes the
    // same way.
    const CPortOpenFailure& reason = CPortOpenFailure::GetLast();
    if (!ok && reason.IsSet())
        message += "\n" + reason.Describe();
    else if (!ok)
        message = CFailureDetail::AddTo(message);
    AfxMessageBox(message, ok ? MB_ICONINFORMATION : MB_ICONEXCLAMATION);
    SetControlState(3);
}

void CMainDialog::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutBox about;
        about.DoModal();
    } else if (id == ID_HELP) {
        // The help index item opens the contents of the whole file; F1 still opens this
        // dialog's own topic.
        WinHelp(0, HELP_FINDER);
    } else {
        CHelpDlg::OnSysCommand(id, lParam);
    }
}
