// STABS tables of a .hye executable: the debugging entries in its COFF symbol table turned into
// a list of source files with their address ranges and, per file, its global symbols,
// functions with their nested block scopes and local symbols, the code symbols that name
// tasks, and its line-number table. Everything lives in the reader pool (coff/PoolAlloc.h)
// until FreeReaderMemory; the queries are in coff/StabsQueries.h.
//
// Use: ReadCoffHeaders, then LoadStabs, then ReadLineNumbers for each section, on the same
// stream. Malformed entries are reported on the standard error stream and loading goes on.
#pragma once

#include <cstdio>

#include "coff/CoffReader.h"
#include "platform/base/WinTypes.h"

// Stab types that the loader tells apart.
constexpr WORD kStabGlobalSymbol = 0x20;  // N_GSYM
constexpr WORD kStabFunction = 0x24;      // N_FUN
constexpr WORD kStabSourceFile = 0x64;    // N_SO
constexpr WORD kStabIncludedFile = 0x84;  // N_SOL
constexpr WORD kStabBlockStart = 0xC0;    // N_LBRAC
constexpr WORD kStabBlockEnd = 0xE0;      // N_RBRAC

// One "S" stab. Its string is split in place: "name:Xnn=typedef".
struct StabsSymbol {
    StabsSymbol* next;
    char* name;     // up to the first ':', or the whole string
    char* typeDef;  // behind the '=' that follows the type number; NULL when there is none
    DWORD value;
    WORD stabType;
    char kind;        // 'S'
    WORD typeNumber;  // decimal digits behind the descriptor, modulo 2^16
    char descriptor;  // the letter behind ':' (F or f for functions); 0 when there is none
};

struct StabsBlock {
    StabsBlock* child;     // first nested block
    StabsBlock* sibling;   // next block at the same depth
    StabsSymbol* symbols;  // declared in the block, in order
    DWORD start;
    DWORD end;  // value of the block end; 0 while the block is open
};

struct StabsFunction {
    StabsFunction* next;
    StabsSymbol* symbol;   // the function's own stab
    StabsSymbol* symbols;  // at function level, outside every block, in order
    StabsBlock* blocks;    // first top-level block
    DWORD start;           // entry address
    DWORD end;             // start of the next function; 0xFFFFFFFF until known
};

struct StabsCodeSymbol {
    StabsCodeSymbol* next;
    char* name;
    DWORD value;
};

struct StabsLine {
    StabsLine* next;
    DWORD address;
    WORD line;
};

// One source-file stab. Records of the same path share their code symbols, globals and
// functions once loading has finished; each keeps its own range and lines.
struct StabsFile {
    StabsFile* next;               // the list is in ascending start order
    char* path;                    // the full path, with backslashes
    StabsCodeSymbol* codeSymbols;  // in symbol-table order
    StabsLine* lines;              // ascending address, one entry per address
    StabsSymbol* globals;          // newest first
    StabsFunction* functions;      // in symbol-table order
    DWORD start;
    DWORD end;            // first address behind the file; 0xFFFFFFFF until known
    StabsLine* lastLine;  // the last entry of `lines`
};

struct StabsHashEntry {
    StabsHashEntry* next;
    char* name;
    DWORD value;
};

constexpr int kStabsHashBuckets = 1009;
constexpr int kStabsBlockDepth = 64;
// Strings are fetched through a window of this many bytes of the file.
constexpr int kStabsWindowBytes = 4096;

// Emptied by FreeReaderMemory.
extern StabsFile* theStabsFiles;
extern StabsFile* theStabsCurrentFile;
extern StabsHashEntry* theStabsHash[kStabsHashBuckets];

// Parse state of the load in progress; every load starts from ResetStabsParseState.
extern StabsFunction* theStabsFunction;
extern StabsFunction* theStabsPrevFunction;
extern StabsBlock* theStabsBlock;
extern StabsSymbol* theStabsLastSymbol;  // where the next scope symbol is linked
extern int theStabsDepth;                // -1 at function level, 0 and up inside blocks
extern StabsBlock* theStabsBlockStack[kStabsBlockDepth];
extern StabsCodeSymbol* theStabsCodeTail;
extern DWORD theStabsLastCodeValue;  // a code symbol of the same value is not added again

// Builds the tables from the symbol table of the file open on `stream`, whose headers
// ReadCoffHeaders has read. 1 when the finished tables are consistent; 0 when the file has no
// symbol table, memory runs out, or the file list is out of order (what was built stays).
// Entries beyond the end of the file are not there; a string that cannot be read is "".
int LoadStabs(FILE* stream);

// Adds the line-number entries of `section` to the line tables of the files that hold their
// addresses. 1 when entries were read; 0 when the section has none or no file is loaded.
int ReadLineNumbers(FILE* stream, CoffSection* section);

// Adds the symbol's name and value to theStabsHash.
void AddHashedSymbol(CoffSymbol* symbol, const char* name);
// The bucket of `name`: h = (h << 3) ^ c over its characters as signed bytes, modulo 1009.
int HashName(const char* name);

// TRUE when `name` begins with '/' or '\' or holds ':'.
BOOL IsAbsolutePath(const char* name);
// The first section with physical address <= address < physical address + size, or NULL.
CoffSection* SectionForAddress(DWORD address);
// The last file whose start is not above `address`, or NULL.
StabsFile* FileForAddress(DWORD address);

// Back to the state of no load in progress.
void ResetStabsParseState();
