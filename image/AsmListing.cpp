#include "image/AsmListing.h"

#include <string>
#include <utility>

namespace {

const int kHeaderLines = 4;
const int kFirstLinePrefix = 6;

BOOL IsHexDigit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// Moves `pos` past the `lines`-th line feed; FALSE when the text ends first.
BOOL SkipLines(const char* text, int length, int& pos, int lines)
{
    while (lines > 0) {
        if (pos >= length)
            return FALSE;
        if (text[pos++] == '\n')
            --lines;
    }
    return TRUE;
}

// The separator after a word: everything up to and including the next space. A character
// other than a space that is followed by '/' ends the data: the rest is a comment.
void SkipSeparator(const char* text, int length, int& pos)
{
    while (pos < length) {
        char taken = text[pos++];
        if (taken == ' ')
            return;
        if (pos < length && text[pos] == '/') {
            pos = length;
            return;
        }
    }
}

}  // namespace

BOOL ParseAsmListing(const char* text, int length, DWORD words, CString& digits)
{
    if (!text || length <= 0)
        return FALSE;

    int pos = 0;
    if (!SkipLines(text, length, pos, kHeaderLines) || length - pos < kFirstLinePrefix)
        return FALSE;
    pos += kFirstLinePrefix;

    const size_t wanted = 4 * (size_t)words;
    std::string collected;
    // The text bounds what can be collected, whatever word count the caller names.
    collected.reserve(wanted < (size_t)length ? wanted : (size_t)length);
    for (;;) {
        for (int digit = 0; digit < 4; ++digit) {
            if (pos >= length || !IsHexDigit(text[pos]))
                return FALSE;
            collected += text[pos++];
        }
        SkipSeparator(text, length, pos);
        if (collected.size() == wanted || pos >= length)
            break;
    }
    if (collected.size() != wanted || pos != length)
        return FALSE;
    digits = CString(std::move(collected));
    return TRUE;
}
