// The "desc|pattern|desc|pattern||" filter strings of file dialogs.
#pragma once

#include <vector>

#include "platform/base/CString.h"

class CFileFilter {
public:
    struct Entry {
        CString description;
        std::vector<CString> patterns;  // from the ';'-separated list, trimmed
    };

    // Pairs up to the first empty field ("||" ends the list, as the double zero of the Win32
    // form does). Empty patterns in a ';' list are skipped.
    static std::vector<Entry> Parse(const CString& filter);
    // TRUE when `name` matches `pattern` the Win32 way: case-insensitive, '*' and '?', and
    // "*.*" matching every name, with or without a dot.
    static BOOL Matches(const CString& pattern, const CString& name);
    // A glob that a case-sensitive matcher treats as the case-insensitive original: letters
    // become [xX] pairs, "*.*" becomes "*".
    static CString CaseInsensitiveGlob(const CString& pattern);
};
