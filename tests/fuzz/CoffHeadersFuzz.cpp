// libFuzzer target for the .hye header reader: whatever the bytes, ReadCoffHeaders accepts
// exactly the files whose headers are complete and of this form, and the state it leaves
// describes no section that was not read.
#include <cstddef>
#include <cstdint>

#include "coff/CoffReader.h"
#include "coff/PoolAlloc.h"
#include "tests/fuzz/FuzzStream.h"

namespace {

volatile DWORD g_sink;

unsigned BigEndian16(const uint8_t* bytes)
{
    return (unsigned)bytes[0] << 8 | bytes[1];
}

bool ShouldAccept(const uint8_t* data, size_t size)
{
    if (size < 52)
        return false;
    unsigned sections = BigEndian16(data + 2);
    return BigEndian16(data) == kCoffMagic && BigEndian16(data + 16) == kCoffOptHeaderSize &&
           size >= 52 + 48 * (size_t)sections;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* stream = FuzzStream(data, size);
    FreeReaderMemory();
    int result = ReadCoffHeaders(stream);
    Require(result == kCoffOk || result == kCoffNotThisForm);
    Require((result == kCoffOk) == ShouldAccept(data, size));
    if (result == kCoffOk) {
        Require((theCoffSections != NULL) == (theCoffHeader.sectionCount > 0));
        // Every section header must be readable memory (the sanitizer watches).
        for (WORD i = 0; i < theCoffHeader.sectionCount; ++i)
            g_sink = theCoffSections[i].size + theCoffSections[i].flags;

        // The symbol reader and the string reader on whatever follows the headers.
        fseek(stream, (long)(theCoffHeader.symbolTableOffset % (size + 1)), SEEK_SET);
        CoffSymbol symbol;
        ReadCoffSymbol(stream, &symbol);
        char text[64];
        char* end = ReadBoundedString(text, sizeof text, stream);
        Require(end == NULL || (end >= text && end <= text + sizeof text));
    } else {
        Require(theCoffSections == NULL);
    }
    FreeReaderMemory();
    Require(thePoolFirst == NULL && theCoffSections == NULL);
    return 0;
}
