#include "platform/base/CString.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char FoldAscii(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? (char)(ch - 'A' + 'a') : ch;
}

bool IsSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

void AppendFormatV(std::string& out, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int needed = vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0)
        return;
    if ((size_t)needed < sizeof small) {
        out.append(small, needed);
        return;
    }
    size_t old = out.size();
    out.resize(old + needed + 1);
    vsnprintf(&out[old], needed + 1, format, args);
    out.resize(old + needed);
}

}  // namespace

int CString::Compare(const char* text) const
{
    return strcmp(m_str.c_str(), text ? text : "");
}

int CString::CompareNoCase(const char* text) const
{
    const char* a = m_str.c_str();
    const char* b = text ? text : "";
    for (;; ++a, ++b) {
        unsigned char ca = (unsigned char)FoldAscii(*a);
        unsigned char cb = (unsigned char)FoldAscii(*b);
        if (ca != cb || ca == 0)
            return (int)ca - (int)cb;
    }
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(m_str.substr(first, count));
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return CString(m_str.substr(m_str.size() - count));
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t at = m_str.find(ch, start);
    return at == std::string::npos ? -1 : (int)at;
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    size_t at = m_str.find(sub, start);
    return at == std::string::npos ? -1 : (int)at;
}

int CString::ReverseFind(char ch) const
{
    size_t at = m_str.rfind(ch);
    return at == std::string::npos ? -1 : (int)at;
}

int CString::FindOneOf(const char* chars) const
{
    size_t at = m_str.find_first_of(chars ? chars : "");
    return at == std::string::npos ? -1 : (int)at;
}

CString& CString::MakeUpper()
{
    for (char& ch : m_str)
        if (ch >= 'a' && ch <= 'z')
            ch = (char)(ch - 'a' + 'A');
    return *this;
}

CString& CString::MakeLower()
{
    for (char& ch : m_str)
        ch = FoldAscii(ch);
    return *this;
}

CString& CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_str.size() && IsSpace(m_str[n]))
        ++n;
    m_str.erase(0, n);
    return *this;
}

CString& CString::TrimRight()
{
    while (!m_str.empty() && IsSpace(m_str.back()))
        m_str.pop_back();
    return *this;
}

int CString::Replace(char from, char to)
{
    int count = 0;
    for (char& ch : m_str)
        if (ch == from) {
            ch = to;
            ++count;
        }
    return count;
}

int CString::Replace(const char* from, const char* to)
{
    if (!from || !*from)
        return 0;
    std::string replacement = to ? to : "";
    size_t fromLength = strlen(from);
    int count = 0;
    for (size_t at = m_str.find(from); at != std::string::npos; at = m_str.find(from, at + replacement.size())) {
        m_str.replace(at, fromLength, replacement);
        ++count;
    }
    return count;
}

int CString::Insert(int index, const char* text)
{
    index = std::clamp(index, 0, GetLength());
    m_str.insert(index, text ? text : "");
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0)
        m_str.erase(index, count);
    return GetLength();
}

void CString::Format(const char* format, ...)
{
    std::string out;
    va_list args;
    va_start(args, format);
    AppendFormatV(out, format, args);
    va_end(args);
    m_str = std::move(out);
}

void CString::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(m_str, format, args);
    va_end(args);
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_str.resize(minLength);
    return m_str.data();
}

char* CString::GetBufferSetLength(int length)
{
    m_str.resize(length > 0 ? length : 0);
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        m_str.resize(strlen(m_str.c_str()));
    else
        m_str.resize(std::min<size_t>(newLength, m_str.size()));
}
