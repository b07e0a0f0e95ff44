// File search with the semantics the system was written for: `*` and `?` in the last
// component, names that match regardless of case (some targets upper-case whole paths), and
// full paths reported with the names as they are on disk.
#pragma once

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

class CFileFind {
public:
    // Flags of FindFile (the class library reserves the parameter; these are this system's).
    enum : DWORD {
        // The last component is a name, not a pattern: '*' and '?' are characters like any
        // other, as they may be in names here.
        findLiteral = 0x1,
    };

    CFileFind() = default;
    virtual ~CFileFind() = default;

    // Starts a search for `pattern` (NULL: every file of the current directory). Folders in
    // the path and a last component without wildcards take the exact name when it exists, else
    // the first name (in byte order) that equals it regardless of ASCII case; a last component
    // with wildcards matches regardless of case, and a trailing ".*" also matches names
    // without an extension. "." and ".." are never reported. TRUE when something matches.
    BOOL FindFile(LPCSTR pattern = NULL, DWORD flags = 0);
    // As FindFile, for a pattern that the program made from the file the user chose (`chosen`,
    // a path), which may have lost the name's case: of matches whose names differ only in
    // case, only the one spelled most like the chosen name is reported, so a set of files is
    // the chosen file's own set even where another set differs from it only in case.
    BOOL FindFileSpelledLike(LPCSTR pattern, const CString& chosen);
    // Makes the next match current; nonzero while more matches remain after it, so the last
    // match is current once this returns 0. Matches come sorted by name.
    BOOL FindNextFile();

    // Absolute path of the current match, with every component as it is on disk.
    CString GetFilePath() const;
    CString GetFileName() const;
    // Folder of the matches, absolute, with its trailing slash.
    CString GetRoot() const { return m_root; }
    BOOL IsDirectory() const;
    // Always FALSE: "." and ".." are skipped. Kept for callers written against the class library.
    BOOL IsDots() const { return FALSE; }
    void Close();

    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

private:
    struct Match {
        CString name;
        BOOL directory = FALSE;
    };

    CString m_root;
    std::vector<Match> m_matches;
    int m_nCurrent = -1;
};

// `path` with each component replaced by the name that exists on disk: the exact name when it
// exists, else the first name in byte order that equals it regardless of ASCII case. Returns
// `path` unchanged when some component cannot be found, so that opening it fails as usual.
CString ResolvePathNoCase(const CString& path);

// TRUE when `name` matches `pattern` (`*` any run, `?` one character) regardless of ASCII case.
BOOL MatchWildcardNoCase(const CString& pattern, const CString& name);
