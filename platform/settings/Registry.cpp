#include "platform/settings/Registry.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/settings/SettingsStore.h"

namespace {

// What an opened key handle stands for: only the path, since the key itself lives in the
// settings file and another copy of the program may have rewritten it meanwhile.
struct KeyHandle {
    SettingsKeyPath path;
};

std::mutex s_handleMutex;
std::set<KeyHandle*> s_liveHandles;

bool IsPredefined(HKEY key)
{
    return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

// The path `key` stands for; false for a handle that is not open.
bool PathOf(HKEY key, SettingsKeyPath& path)
{
    if (key == HKEY_CURRENT_USER) {
        path = SettingsKeyPath{SettingsRoot::CurrentUser, {}};
        return true;
    }
    if (key == HKEY_LOCAL_MACHINE) {
        path = SettingsKeyPath{SettingsRoot::LocalMachine, {}};
        return true;
    }
    std::lock_guard<std::mutex> guard(s_handleMutex);
    auto found = s_liveHandles.find(reinterpret_cast<KeyHandle*>(key));
    if (found == s_liveHandles.end())
        return false;
    path = (*found)->path;
    return true;
}

void AppendSubkeys(SettingsKeyPath& path, LPCSTR subKey)
{
    if (!subKey)
        return;
    std::string rest = subKey;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos)
            end = rest.size();
        if (end > start)
            path.names.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
}

// The path of `subKey` below `key` for an open or create call, which reports into `*result`.
LONG SubkeyPath(HKEY key, LPCSTR subKey, HKEY* result, SettingsKeyPath& path)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = NULL;
    if (!PathOf(key, path))
        return ERROR_INVALID_HANDLE;
    AppendSubkeys(path, subKey);
    return ERROR_SUCCESS;
}

HKEY NewHandle(const SettingsKeyPath& path)
{
    KeyHandle* handle = new KeyHandle{path};
    std::lock_guard<std::mutex> guard(s_handleMutex);
    s_liveHandles.insert(handle);
    return reinterpret_cast<HKEY>(handle);
}

std::string ValueName(LPCSTR name)
{
    return name ? std::string(name) : std::string();
}

}  // namespace

LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD, REGSAM, HKEY* result)
{
    SettingsKeyPath path;
    if (LONG error = SubkeyPath(key, subKey, result, path))
        return error;
    if (!CurrentSettingsStore().KeyExists(path))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, HKEY* result,
                    LPDWORD disposition)
{
    SettingsKeyPath path;
    if (LONG error = SubkeyPath(key, subKey, result, path))
        return error;
    BOOL created = FALSE;
    LONG error = CurrentSettingsStore().CreateKey(path, &created);
    if (error != ERROR_SUCCESS)
        return error;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    SettingsKeyPath path;
    if (!PathOf(key, path))
        return ERROR_INVALID_HANDLE;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    DWORD storedType = REG_NONE;
    std::vector<BYTE> bytes;
    LONG error = CurrentSettingsStore().QueryValue(path, ValueName(name), &storedType, &bytes);
    if (error != ERROR_SUCCESS)
        return error;
    if (storedType == REG_SZ)
        bytes.push_back(0);
    if (type)
        *type = storedType;
    DWORD needed = (DWORD)bytes.size();
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        memcpy(data, bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    SettingsKeyPath path;
    if (!PathOf(key, path))
        return ERROR_INVALID_HANDLE;
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> bytes;
    if (data)
        bytes.assign(data, data + size);
    if (type == REG_SZ) {
        auto zero = std::find(bytes.begin(), bytes.end(), (BYTE)0);
        bytes.erase(zero, bytes.end());
    }
    return CurrentSettingsStore().SetValue(path, ValueName(name), type, bytes);
}

LONG RegDeleteValue(HKEY key, LPCSTR name)
{
    SettingsKeyPath path;
    if (!PathOf(key, path))
        return ERROR_INVALID_HANDLE;
    return CurrentSettingsStore().DeleteValue(path, ValueName(name));
}

LONG RegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPSTR keyClass, LPDWORD classLength,
                  PFILETIME)
{
    SettingsKeyPath path;
    if (!PathOf(key, path))
        return ERROR_INVALID_HANDLE;
    if (!name || !nameLength)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> names = CurrentSettingsStore().SubkeyNames(path);
    if (index >= names.size())
        return ERROR_NO_MORE_ITEMS;
    const std::string& found = names[index];
    if (*nameLength <= found.size())
        return ERROR_MORE_DATA;
    memcpy(name, found.c_str(), found.size() + 1);
    *nameLength = (DWORD)found.size();
    if (keyClass && classLength && *classLength > 0) {
        keyClass[0] = 0;
        *classLength = 0;
    }
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (IsPredefined(key))
        return ERROR_SUCCESS;
    KeyHandle* handle = reinterpret_cast<KeyHandle*>(key);
    {
        std::lock_guard<std::mutex> guard(s_handleMutex);
        if (s_liveHandles.erase(handle) == 0)
            return ERROR_INVALID_HANDLE;
    }
    delete handle;
    return ERROR_SUCCESS;
}
