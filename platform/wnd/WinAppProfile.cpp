// The application's profile entries. They live in the settings store, one key per section
// below HKEY_CURRENT_USER\Software\<program name>, apart from the keys the program itself
// manages, as the entries of a separate profile file would be.
#include <cstdlib>
#include <string>

#include "platform/settings/Registry.h"
#include "platform/settings/SettingsStore.h"
#include "platform/wnd/WinApp.h"

namespace {

std::string ProgramName(const CWinApp& app)
{
    return app.m_pszExeName && app.m_pszExeName[0] ? app.m_pszExeName : "quillet";
}

std::string SectionKey(const CWinApp& app, LPCSTR section)
{
    return "Software\\" + ProgramName(app) + "\\" + (section ? section : "");
}

void EraseSection(const CWinApp& app, LPCSTR section)
{
    SettingsKeyPath path{SettingsRoot::CurrentUser, {"Software", ProgramName(app), section}};
    CSettingsStore& store = CurrentSettingsStore();
    for (const std::string& name : store.ValueNames(path))
        store.DeleteValue(path, name);
}

HKEY OpenSection(const CWinApp& app, LPCSTR section, bool create)
{
    if (!section || !section[0])
        return NULL;
    HKEY key = NULL;
    std::string path = SectionKey(app, section);
    LONG error = create ? RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE,
                                         KEY_ALL_ACCESS, NULL, &key, NULL)
                        : RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    return error == ERROR_SUCCESS ? key : NULL;
}

// The value as text when it is a string; FALSE when it is missing or of another type.
BOOL QueryString(HKEY key, LPCSTR entry, CString& text)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueEx(key, entry, NULL, &type, NULL, &size) != ERROR_SUCCESS || type != REG_SZ)
        return FALSE;
    std::string buffer(size, '\0');
    if (RegQueryValueEx(key, entry, NULL, &type, (LPBYTE)buffer.data(), &size) != ERROR_SUCCESS)
        return FALSE;
    text = CString(buffer.c_str());
    return TRUE;
}

}  // namespace

CString CWinApp::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue)
{
    CString text = defaultValue;
    if (!entry)
        return text;
    if (HKEY key = OpenSection(*this, section, false)) {
        CString stored;
        if (QueryString(key, entry, stored))
            text = stored;
        RegCloseKey(key);
    }
    return text;
}

BOOL CWinApp::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value)
{
    HKEY key = OpenSection(*this, section, true);
    if (!key)
        return FALSE;
    LONG error = ERROR_SUCCESS;
    if (!entry) {
        // No entry: the whole section goes, as with a profile file.
        EraseSection(*this, section);
    } else if (!value) {
        error = RegDeleteValue(key, entry);
        if (error == ERROR_FILE_NOT_FOUND)
            error = ERROR_SUCCESS;
    } else {
        std::string text = value;
        error = RegSetValueEx(key, entry, 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
    }
    RegCloseKey(key);
    return error == ERROR_SUCCESS;
}

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue)
{
    UINT result = (UINT)defaultValue;
    if (!entry)
        return result;
    if (HKEY key = OpenSection(*this, section, false)) {
        DWORD type = 0, value = 0, size = sizeof value;
        CString text;
        if (RegQueryValueEx(key, entry, NULL, &type, (LPBYTE)&value, &size) == ERROR_SUCCESS && type == REG_DWORD &&
            size == sizeof value)
            result = value;
        else if (QueryString(key, entry, text))
            result = (UINT)atoi(text);
        RegCloseKey(key);
    }
    return result;
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value)
{
    if (!entry)
        return FALSE;
    HKEY key = OpenSection(*this, section, true);
    if (!key)
        return FALSE;
    DWORD stored = (DWORD)value;
    LONG error = RegSetValueEx(key, entry, 0, REG_DWORD, (const BYTE*)&stored, sizeof stored);
    RegCloseKey(key);
    return error == ERROR_SUCCESS;
}
