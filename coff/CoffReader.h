// Reader of .hye executables: big-endian COFF files with magic 0x1678 and a 32-byte optional
// header. Records are read field by field from a field-size descriptor, so every multi-byte
// value lands in host order whatever the host's byte order.
//
// The reader keeps process-wide state for one file at a time: theCoffHeader, theCoffOptHeader
// and theCoffSections describe the file whose headers were read last. FreeReaderMemory
// (coff/PoolAlloc.h) returns that state to empty; call it before reading the next file.
//
// Streams are C runtime streams opened for reading raw bytes (mode "rb"); the reader seeks
// them itself and never closes them.
//
// Typical use:
//     FreeReaderMemory();
//     FILE* stream = fopen(path, "rb");
//     if (stream && ReadCoffHeaders(stream) == kCoffOk)
//         ... theCoffHeader.sectionCount entries of theCoffSections ...
//     fclose(stream);
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/base/WinTypes.h"

// Results of ReadCoffHeaders.
constexpr int kCoffOk = 0;
constexpr int kCoffNotThisForm = -8;

constexpr WORD kCoffMagic = 0x1678;
constexpr WORD kCoffOptHeaderSize = 32;

// The file header: the first 20 bytes of the file.
struct CoffFileHeader {
    WORD magic;  // kCoffMagic
    WORD sectionCount;
    DWORD timeStamp;
    DWORD symbolTableOffset;  // file offset of the symbol table; 0 when there is none
    DWORD symbolCount;        // 18-byte entries, auxiliary entries included
    WORD optHeaderSize;       // kCoffOptHeaderSize
    WORD flags;
};

// The optional header: the 32 bytes behind the file header. Four of its words mean something
// to the board: the entry address and the start values of three registers. The others are
// kept as read.
struct CoffOptHeader {
    WORD magic;
    WORD version;
    DWORD word4;
    DWORD word8;
    DWORD register23Start;  // offset 12
    DWORD word16;
    DWORD entryAddress;     // offset 20
    DWORD register22Start;  // offset 24
    DWORD register24Start;  // offset 28
};

// One section header, 48 bytes; the section table follows the optional header.
struct CoffSection {
    char name[16];  // NUL-padded; not terminated when all 16 bytes are used
    DWORD physicalAddress;
    DWORD virtualAddress;
    DWORD size;           // bytes
    DWORD rawDataOffset;  // file offset of the data; 0: the section has no data in the file
    DWORD relocationOffset;
    DWORD lineNumberOffset;  // file offset of its CoffLineEntry table
    WORD relocationCount;
    WORD lineNumberCount;
    DWORD flags;
};

// One 18-byte symbol-table entry as ReadCoffSymbol stores it. Byte 0 decides the form: not 0,
// an ordinary symbol whose 8-byte name (NUL-padded, not necessarily terminated) is in `name`;
// 0, the name or stab string is in the string table at the absolute file offset
// `ref.stringOffset`. In the second form bytes 1-3 are 0 for an ordinary symbol; otherwise the
// entry is a stab, `ref.stabKind` is 'S' (a stab with a string) or 'N' and `ref.stabType` its
// type. Multi-byte fields are in host order.
struct CoffSymbol {
    union {
        char name[8];
        struct {
            BYTE zero;
            char stabKind;
            WORD stabType;
            DWORD stringOffset;
        } ref;
    };
    DWORD value;
    WORD sectionNumber;
    WORD type;
    BYTE storageClass;
    BYTE auxCount;
};

// One 6-byte line-number entry of a section.
struct CoffLineEntry {
    DWORD address;
    WORD line;
};

static_assert(sizeof(CoffFileHeader) == 20 && offsetof(CoffFileHeader, optHeaderSize) == 16);
static_assert(sizeof(CoffOptHeader) == 32 && offsetof(CoffOptHeader, entryAddress) == 20);
static_assert(sizeof(CoffSection) == 48 && offsetof(CoffSection, relocationCount) == 40);
static_assert(offsetof(CoffSymbol, value) == 8 && offsetof(CoffSymbol, auxCount) == 17);

// Field-size descriptors of the records above.
constexpr const char* kCoffFileHeaderFields = "2244422";
constexpr const char* kCoffOptHeaderFields = "224444444";
constexpr const char* kCoffSectionFields = "1111111111111111444444224";
constexpr const char* kCoffLineEntryFields = "42";

// The file described last; all zero after FreeReaderMemory.
extern CoffFileHeader theCoffHeader;
extern CoffOptHeader theCoffOptHeader;
// theCoffHeader.sectionCount section headers in file order, in the reader's pool; NULL when
// no file with sections has been read since FreeReaderMemory.
extern CoffSection* theCoffSections;

// Reads one record at the stream's position into `destination`: per descriptor character '1'
// one byte as read, '2' a big-endian 16-bit and '4' a big-endian 32-bit value stored in host
// order; the destination advances by the field's width. Any other character reads and stores
// nothing. A byte beyond the end of the stream is stored as 0xFF; callers that must know test
// feof(stream).
void ReadFields(FILE* stream, void* destination, const char* descriptor);

// Reads the file header, the optional header and the section table from offset 0 into the
// state above. kCoffOk, or kCoffNotThisForm when the magic or the optional-header size is
// wrong, when any of the three is cut short by the end of the file, or when the section table
// cannot be allocated. A file of zero sections allocates nothing and leaves theCoffSections as
// it was. A wrong magic or size leaves theCoffHeader as read and reads nothing more; a file cut
// short leaves theCoffSections NULL and the section count in theCoffHeader 0, so the state
// never describes sections that were not read.
int ReadCoffHeaders(FILE* stream);

// Reads one 18-byte symbol-table entry at the stream's position (see CoffSymbol).
void ReadCoffSymbol(FILE* stream, CoffSymbol* out);

// Reads bytes into `buffer` up to and including a NUL, or to the end of the stream. Returns
// the position behind the last byte stored, so the text is terminated only when a NUL was
// read; NULL when more than `n` bytes would be stored (`n` bytes have been stored then).
char* ReadBoundedString(char* buffer, int n, FILE* stream);

// The part of `path` behind its last backslash, or `path` itself when it holds none. Forward
// slashes are not separators here.
const char* FileBaseName(const char* path);
