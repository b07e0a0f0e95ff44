// The application's profile entries (what an INI file held on the original platform), for code
// below the application object. The application object puts itself in the slot while it exists;
// without one there is no profile, and callers leave their entries alone.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/ServiceSlot.h"

class IProfileStrings {
public:
    // The entry's text, or `defaultValue` when it is missing or not a string.
    virtual CString GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue = NULL) = 0;
    // Stores `value`; a NULL value deletes the entry, a NULL entry the whole section.
    virtual BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) = 0;

protected:
    ~IProfileStrings() = default;
};

CServiceSlot<IProfileStrings*>& ProfileStringsSlot();
