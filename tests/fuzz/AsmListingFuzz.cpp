// libFuzzer target for the tessasm listing reader. The first byte of an input is the area's
// word count (0 to 255: the real areas' thousands of words would make every accepted listing
// tens of kilobytes long), the rest is the listing text. A refused text leaves the area's
// digits alone; an accepted one gives four hexadecimal digits per word, taken from the text in
// its order, and those words written out again as a plain listing must read back the same. A
// broken promise aborts.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "image/AsmListing.h"
#include "tests/fuzz/FuzzStream.h"

namespace {

// Four header lines, the first word's prefix, then the words one space apart on one line.
std::string PlainListing(const std::string& digits)
{
    std::string text = "tessasm listing\n;\n;\n;\n0000: ";
    for (size_t at = 0; at < digits.size(); at += 4)
        text += digits.substr(at, 4) + (at + 4 < digits.size() ? " " : "\n");
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const DWORD words = data[0];
    // An exact-size copy, so that AddressSanitizer sees any read past the text.
    std::vector<char> text(data + 1, data + size);
    CString digits("stale");
    if (!ParseAsmListing(text.data(), (int)text.size(), words, digits)) {
        Require(strcmp(digits.GetString(), "stale") == 0);
        return 0;
    }
    const std::string read(digits.GetString(), (size_t)digits.GetLength());
    Require(words > 0 && read.size() == 4 * (size_t)words);
    size_t from = 0;
    for (char digit : read) {
        Require(isxdigit((unsigned char)digit));
        const void* found = memchr(text.data() + from, digit, text.size() - from);
        Require(found != NULL);
        from = (size_t)((const char*)found - text.data()) + 1;
    }

    const std::string again = PlainListing(read);
    CString reread;
    Require(ParseAsmListing(again.data(), (int)again.size(), words, reread));
    Require(read == reread.GetString());
    return 0;
}
