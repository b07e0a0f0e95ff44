// Reader of tessasm listing files, the form in which the Tessar DSP targets load a memory
// area: four header lines, a six-character prefix (the first word's index and ": "), then
// words of four hexadecimal digits, each followed by its separator. No target needs more from a
// listing, so the reader takes the text as plain bytes and nothing of the target with it.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

// Checks `length` bytes of listing text against an area of `words` words and, only on success,
// replaces `digits` with the words' digits (four per word, as written). The text must hold
// exactly that many words and end right after the last one's separator, unless a character
// other than a space followed by '/' ends the data first (the rest is a comment). No listing
// fits an area of 0 words. Never reads outside text[0 .. length).
BOOL ParseAsmListing(const char* text, int length, DWORD words, CString& digits);
