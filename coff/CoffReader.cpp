#include "coff/CoffReader.h"

#include <cstring>

#include "coff/PoolAlloc.h"

CoffFileHeader theCoffHeader;
CoffOptHeader theCoffOptHeader;
CoffSection* theCoffSections = NULL;

namespace {

// A byte of the stream; the end of the stream reads as 0xFF, the truncated end-of-file value.
BYTE ReadByte(FILE* stream)
{
    return (BYTE)getc(stream);
}

DWORD ReadBigEndian(FILE* stream, int width)
{
    DWORD value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | ReadByte(stream);
    return value;
}

bool CutShort(FILE* stream)
{
    return feof(stream) || ferror(stream);
}

// TRUE when at least `bytes` follow the stream's position (also when the stream cannot tell).
bool HasBytesLeft(FILE* stream, long bytes)
{
    long here = ftell(stream);
    if (here < 0 || fseek(stream, 0, SEEK_END) != 0)
        return true;
    long end = ftell(stream);
    fseek(stream, here, SEEK_SET);
    return end < 0 || end - here >= bytes;
}

// A file whose headers end early describes no sections at all.
int RefuseCutShort()
{
    theCoffSections = NULL;
    theCoffHeader.sectionCount = 0;
    return kCoffNotThisForm;
}

}  // namespace

void ReadFields(FILE* stream, void* destination, const char* descriptor)
{
    BYTE* out = static_cast<BYTE*>(destination);
    for (const char* field = descriptor; *field; ++field) {
        switch (*field) {
        case '1': *out++ = ReadByte(stream); break;
        case '2': {
            WORD value = (WORD)ReadBigEndian(stream, 2);
            memcpy(out, &value, 2);
            out += 2;
            break;
        }
        case '4': {
            DWORD value = ReadBigEndian(stream, 4);
            memcpy(out, &value, 4);
            out += 4;
            break;
        }
        default: break;
        }
    }
}

int ReadCoffHeaders(FILE* stream)
{
    if (fseek(stream, 0, SEEK_SET) != 0)
        return RefuseCutShort();
    clearerr(stream);
    ReadFields(stream, &theCoffHeader, kCoffFileHeaderFields);
    if (CutShort(stream))
        return RefuseCutShort();
    if (theCoffHeader.magic != kCoffMagic || theCoffHeader.optHeaderSize != kCoffOptHeaderSize)
        return kCoffNotThisForm;
    ReadFields(stream, &theCoffOptHeader, kCoffOptHeaderFields);
    if (CutShort(stream))
        return RefuseCutShort();
    WORD count = theCoffHeader.sectionCount;
    if (count == 0)
        return kCoffOk;

    // A table that the file cannot hold is refused before memory is taken for it.
    if (!HasBytesLeft(stream, (long)count * (long)sizeof(CoffSection)))
        return RefuseCutShort();
    CoffSection* sections = static_cast<CoffSection*>(PoolAlloc(count, sizeof(CoffSection)));
    if (!sections)
        return RefuseCutShort();
    for (WORD i = 0; i < count; ++i)
        ReadFields(stream, &sections[i], kCoffSectionFields);
    if (CutShort(stream))
        return RefuseCutShort();
    theCoffSections = sections;
    return kCoffOk;
}

void ReadCoffSymbol(FILE* stream, CoffSymbol* out)
{
    BYTE* bytes = reinterpret_cast<BYTE*>(out);
    bytes[0] = ReadByte(stream);
    ReadFields(stream, bytes + 1, bytes[0] != 0 ? "111111142211" : "12442211");
}

char* ReadBoundedString(char* buffer, int n, FILE* stream)
{
    char* out = buffer;
    int stored = 0;
    for (;;) {
        int ch = getc(stream);
        if (ch == EOF)
            return out;
        if (++stored > n)
            return NULL;
        *out++ = (char)ch;
        if (ch == 0)
            return out;
    }
}

const char* FileBaseName(const char* path)
{
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}
