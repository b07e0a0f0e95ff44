#include "app/QuilletApp.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/MainDialog.h"
#include "platform/settings/ISettingsReporter.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/Application.h"

namespace {

// Clears the application's pointers to the main dialog on every way out of its scope, before
// the dialog object itself is destroyed, so nothing can reach a dead dialog through them.
class CMainDialogPointers {
public:
    CMainDialogPointers(CQuilletApp& app, CMainDialog& dialog) : m_app(app)
    {
        m_app.m_pMainWnd = &dialog;
        m_app.m_pMainDialog = &dialog;
    }
    ~CMainDialogPointers()
    {
        m_app.m_pMainDialog = NULL;
        m_app.m_pMainWnd = NULL;
    }
    CMainDialogPointers(const CMainDialogPointers&) = delete;
    CMainDialogPointers& operator=(const CMainDialogPointers&) = delete;

private:
    CQuilletApp& m_app;
};

// While the program runs, a settings file kept aside or a change that could not be saved is
// told to the user in a message box, not only on stderr where a desktop user never looks.
class CSettingsMessages : public ISettingsReporter {
public:
    CSettingsMessages() : m_pPrevious(InstallSettingsReporter(this)) {}
    ~CSettingsMessages() override { InstallSettingsReporter(m_pPrevious); }
    CSettingsMessages(const CSettingsMessages&) = delete;
    CSettingsMessages& operator=(const CSettingsMessages&) = delete;

    void ReportSettingsProblem(const std::string& text) override
    {
        AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }

private:
    ISettingsReporter* m_pPrevious;
};

const char s_optionsValue[] = "Options";

}  // namespace

BEGIN_MESSAGE_MAP(CQuilletApp, CWinApp)
    ON_COMMAND(ID_CONTEXT_HELP, OnContextHelp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CQuilletApp::CQuilletApp() = default;

void CQuilletApp::OnContextHelp()
{
    CWinApp::OnContextHelp();
}

BOOL CQuilletApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    // The default help path names a file in the program's folder; ours lies beside it.
    CString helpPath = FolderOf(m_pszHelpFilePath ? m_pszHelpFilePath : "") + "Kelvane.hlp";
    free(m_pszHelpFilePath);
    m_pszHelpFilePath = strdup(helpPath);

    CSettingsMessages settingsMessages;
    if (CRegKeyGuard key{OpenSettingsKey()}) {
        DWORD options = 0;
        DWORD size = sizeof options;
        // A value that does not fit in four bytes is no start-up target at all.
        if (RegQueryValueEx(key, s_optionsValue, NULL, NULL, (LPBYTE)&options, &size) == ERROR_SUCCESS)
            m_dwOptions = options;
        else
            m_dwOptions = 0;
    }

    {
        CMainDialog dialog;
        CMainDialogPointers pointers(*this, dialog);
        dialog.DoModal();
    }
    return FALSE;
}

HKEY CQuilletApp::OpenSettingsKey()
{
    HKEY software = NULL, company = NULL, product = NULL;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &software) != ERROR_SUCCESS)
        return NULL;
    if (RegCreateKeyEx(software, "Brenlow", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &company, NULL) ==
        ERROR_SUCCESS) {
        if (RegCreateKeyEx(company, "Marrowind", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &product,
                           NULL) != ERROR_SUCCESS)
            product = NULL;
    } else {
        company = NULL;
    }
    if (company)
        RegCloseKey(company);
    RegCloseKey(software);
    return product;
}

void CQuilletApp::SaveAppOptions(int id)
{
    if (id > 0) {
        m_dwOptions = (m_dwOptions & ~0xFFu) | ((DWORD)id & 0xFFu);
    } else if (id < 0) {
        // Unticking the box of a target that is not the start-up target leaves the start-up
        // target alone. Negated unsigned: the most negative int has no int negation.
        if ((m_dwOptions & 0xFFu) == ((0u - (DWORD)id) & 0xFFu))
            m_dwOptions &= ~0xFFu;
    }
    CRegKeyGuard key(OpenSettingsKey());
    if (!key)
        return;
    DWORD options = m_dwOptions;
    RegSetValueEx(key, s_optionsValue, 0, REG_DWORD, (const BYTE*)&options, sizeof options);
}
