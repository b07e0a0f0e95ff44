#include "platform/files/FileFind.h"

#include <algorithm>
#include <map>
#include <string>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char Folded(char ch)
{
    return (ch >= 'a' && ch <= 'z') ? (char)(ch - 32) : ch;
}

std::string FoldedName(std::string name)
{
    for (char& ch : name)
        ch = Folded(ch);
    return name;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return true;
}

// Length of the UTF-8 sequence that starts at `text[at]`, so that `?` stands for one character.
size_t CharLength(const std::string& text, size_t at)
{
    size_t length = 1;
    while (at + length < text.size() && ((unsigned char)text[at + length] & 0xC0) == 0x80)
        ++length;
    return length;
}

bool Match(const std::string& pattern, size_t p, const std::string& name, size_t n)
{
    // Iterative with one back-tracking point per star: linear in practice, never exponential.
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharLength(name, n);
        } else if (p < pattern.size() && Folded(pattern[p]) == Folded(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP;
            starN += CharLength(name, starN);
            n = starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool HasWildcards(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

bool Exists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Names in `folder` ("" is the current directory), without "." and "..", sorted.
std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// `folder` is "" or ends with '/'. The on-disk name for `name` in it, or "" when none.
std::string OnDiskName(const std::string& folder, const std::string& name)
{
    if (name == "." || name == ".." || Exists(folder + name))
        return name;
    for (const std::string& candidate : NamesIn(folder))
        if (EqualNoCase(candidate, name))
            return candidate;
    return std::string();
}

// Resolves the folders of `path` into `resolved` ("", "/" or ending with '/') and leaves the
// last component in `rest`; false when a folder is missing.
bool ResolveFolders(const std::string& path, std::string& resolved, std::string& rest)
{
    size_t slash = path.rfind('/');
    std::string folderPart = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    rest = slash == std::string::npos ? path : path.substr(slash + 1);
    resolved = folderPart.empty() || folderPart[0] != '/' ? std::string() : std::string("/");
    size_t start = 0;
    while (start < folderPart.size()) {
        size_t end = folderPart.find('/', start);
        std::string component = folderPart.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        std::string onDisk = OnDiskName(resolved, component);
        if (onDisk.empty() || !IsFolder(resolved + onDisk))
            return false;
        resolved += onDisk + "/";
    }
    return true;
}

std::string CurrentFolder()
{
    std::string folder(4096, '\0');
    if (!getcwd(&folder[0], folder.size()))
        return std::string();
    folder.resize(folder.find('\0'));
    return folder == "/" ? folder : folder + "/";
}

}  // namespace

BOOL MatchWildcardNoCase(const CString& pattern, const CString& name)
{
    const std::string& p = pattern.str();
    const std::string& n = name.str();
    if (Match(p, 0, n, 0))
        return TRUE;
    // As on the system the programs were written for, "NAME.*" also finds "NAME".
    if (p.size() >= 2 && p.compare(p.size() - 2, 2, ".*") == 0)
        return Match(p.substr(0, p.size() - 2), 0, n, 0);
    return FALSE;
}

CString ResolvePathNoCase(const CString& path)
{
    std::string folder, last;
    if (!ResolveFolders(path.str(), folder, last))
        return path;
    if (last.empty())
        return CString(folder);
    std::string onDisk = OnDiskName(folder, last);
    return onDisk.empty() ? path : CString(folder + onDisk);
}

BOOL CFileFind::FindFile(LPCSTR pattern, DWORD flags)
{
    Close();
    std::string wanted = pattern && pattern[0] ? pattern : "*.*";
    std::string folder, last;
    if (!ResolveFolders(wanted, folder, last) || last.empty())
        return FALSE;
    if (folder.empty() || folder[0] != '/')
        folder = CurrentFolder() + folder;

    if (HasWildcards(last) && !(flags & findLiteral)) {
        for (const std::string& name : NamesIn(folder))
            if (MatchWildcardNoCase(CString(last), CString(name)))
                m_matches.push_back(Match{CString(name), IsFolder(folder + name)});
    } else {
        std::string onDisk = OnDiskName(folder, last);
        if (!onDisk.empty() && onDisk != "." && onDisk != "..")
            m_matches.push_back(Match{CString(onDisk), IsFolder(folder + onDisk)});
    }
    if (m_matches.empty())
        return FALSE;
    m_root = CString(folder);
    return TRUE;
}

BOOL CFileFind::FindFileSpelledLike(LPCSTR pattern, const CString& chosen)
{
    if (!FindFile(pattern))
        return FALSE;
    const std::string& path = chosen.str();
    std::string name = path.substr(path.rfind('/') + 1);
    auto likeness = [&](const CString& candidate) {
        const std::string& text = candidate.str();
        size_t same = 0;
        for (size_t i = 0; i < text.size() && i < name.size(); ++i)
            same += text[i] == name[i];
        return same;
    };
    // Folded name -> the match spelled most like the chosen name; on a tie the first in byte order.
    std::map<std::string, size_t> best;
    for (size_t i = 0; i < m_matches.size(); ++i) {
        auto [at, fresh] = best.emplace(FoldedName(m_matches[i].name.str()), i);
        if (!fresh && likeness(m_matches[i].name) > likeness(m_matches[at->second].name))
            at->second = i;
    }
    std::vector<Match> kept;
    for (size_t i = 0; i < m_matches.size(); ++i)
        if (best[FoldedName(m_matches[i].name.str())] == i)
            kept.push_back(m_matches[i]);
    m_matches.swap(kept);
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (m_nCurrent + 1 >= (int)m_matches.size())
        return FALSE;
    ++m_nCurrent;
    return m_nCurrent + 1 < (int)m_matches.size();
}

CString CFileFind::GetFilePath() const
{
    if (m_nCurrent < 0)
        return CString();
    return m_root + m_matches[m_nCurrent].name;
}

CString CFileFind::GetFileName() const
{
    if (m_nCurrent < 0)
        return CString();
    return m_matches[m_nCurrent].name;
}

BOOL CFileFind::IsDirectory() const
{
    return m_nCurrent >= 0 && m_matches[m_nCurrent].directory;
}

void CFileFind::Close()
{
    m_root.Empty();
    m_matches.clear();
    m_nCurrent = -1;
}
