#include "platform/files/FileFilter.h"

namespace {

char Fold(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? (char)(ch - 'A' + 'a') : ch;
}

bool MatchFrom(const char* pattern, const char* name)
{
    // Iterative glob with one backtrack point: linear in practice, no recursion depth.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern && Fold(*pattern) == Fold(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

}  // namespace

std::vector<CFileFilter::Entry> CFileFilter::Parse(const CString& filter)
{
    std::vector<Entry> entries;
    const std::string& text = filter.str();
    std::vector<std::string> fields;
    size_t start = 0;
    while (start <= text.size()) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        // "||" is the end of the list (a double zero in the Win32 form), wherever it falls.
        if (fields[i].empty() || fields[i + 1].empty())
            break;
        Entry entry;
        entry.description = fields[i];
        CString patterns(fields[i + 1]);
        int from = 0;
        while (from <= patterns.GetLength()) {
            int semicolon = patterns.Find(';', from);
            CString one = semicolon < 0 ? patterns.Mid(from) : patterns.Mid(from, semicolon - from);
            one.Trim();
            if (!one.IsEmpty())
                entry.patterns.push_back(one);
            if (semicolon < 0)
                break;
            from = semicolon + 1;
        }
        if (!entry.patterns.empty())
            entries.push_back(entry);
    }
    return entries;
}

BOOL CFileFilter::Matches(const CString& pattern, const CString& name)
{
    if (pattern == "*.*" || pattern == "*")
        return TRUE;
    return MatchFrom(pattern.GetString(), name.GetString());
}

CString CFileFilter::CaseInsensitiveGlob(const CString& pattern)
{
    if (pattern == "*.*")
        return CString("*");
    CString glob;
    for (int i = 0; i < pattern.GetLength(); ++i) {
        char ch = pattern[i];
        char lower = Fold(ch);
        if (lower >= 'a' && lower <= 'z') {
            glob += '[';
            glob += lower;
            glob += (char)(lower - 'a' + 'A');
            glob += ']';
        } else {
            glob += ch;
        }
    }
    return glob;
}
