// Closes an opened key when the scope that opened it ends, on every return path.
#pragma once

#include "platform/settings/Registry.h"

class CRegKeyGuard {
public:
    // Takes over `key`; NULL (a key that could not be opened) is allowed and closes nothing.
    explicit CRegKeyGuard(HKEY key) : m_hKey(key) {}
    ~CRegKeyGuard()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }

    // The key, for the Reg* calls and for testing whether it opened.
    operator HKEY() const { return m_hKey; }

    CRegKeyGuard(const CRegKeyGuard&) = delete;
    CRegKeyGuard& operator=(const CRegKeyGuard&) = delete;

private:
    HKEY m_hKey;
};
