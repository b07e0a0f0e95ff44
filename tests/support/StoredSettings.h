// Values under the program's settings key, as a test puts them there and reads them back.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "platform/settings/Registry.h"

// Stores `size` bytes of `type` as value `name`; NULL `data` removes the value.
inline void StoreSetting(const std::string& name, DWORD type, const void* data, DWORD size)
{
    HKEY key = theApp.OpenSettingsKey();
    ASSERT_NE(key, (HKEY)NULL);
    if (data)
        RegSetValueEx(key, name.c_str(), 0, type, (const BYTE*)data, size);
    else
        RegDeleteValue(key, name.c_str());
    RegCloseKey(key);
}

inline void StoreDword(const std::string& name, DWORD value)
{
    StoreSetting(name, REG_DWORD, &value, sizeof value);
}

inline void StoreString(const std::string& name, const std::string& text)
{
    StoreSetting(name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

inline void DeleteSetting(const std::string& name)
{
    StoreSetting(name, REG_NONE, NULL, 0);
}

// The stored DWORD, or 0xDEADBEEF when there is none.
inline DWORD StoredDword(const std::string& name)
{
    HKEY key = theApp.OpenSettingsKey();
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof value;
    RegQueryValueEx(key, name.c_str(), NULL, NULL, (LPBYTE)&value, &size);
    RegCloseKey(key);
    return value;
}

// The stored text, or "<absent>" when there is none.
inline std::string StoredString(const std::string& name)
{
    HKEY key = theApp.OpenSettingsKey();
    char buffer[2048] = {};
    DWORD size = sizeof buffer - 1;
    LONG result = RegQueryValueEx(key, name.c_str(), NULL, NULL, (LPBYTE)buffer, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(buffer) : std::string("<absent>");
}
