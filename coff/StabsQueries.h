// Questions of a source-level view of the board program, answered from the tables that
// LoadStabs (coff/StabsTable.h) built: the file and line of an address, the name of an address
// or a symbol, the addresses of a source line or of a task's code, and the task list, which
// always begins with six fixed tasks.
//
// Every text output takes the capacity of the caller's buffer in bytes (terminator included)
// and is always terminated; a capacity of 0 writes nothing.
#pragma once

#include <cstddef>

#include "coff/StabsTable.h"
#include "platform/base/WinTypes.h"

// Addresses from here to here + kSysTaskAreaBytes all belong to the task "SysTask".
extern DWORD theStabsTaskBase;
constexpr DWORD kSysTaskAreaBytes = 0x8000;

// State of AddressForLine, kept from query to query (and across loads).
extern StabsFile* theLineQueryFile;
extern StabsLine* theLineQueryNode;
extern DWORD theLineQueryLine;
extern DWORD theLineQueryAddress;

struct StabsTaskEntry {
    DWORD id;  // 1 to 6 for the fixed tasks, else the code symbol's address
    const char* name;
    DWORD zero;    // always 0
    DWORD unused;  // not written
};
constexpr int kFixedTaskCount = 6;

struct StabsLineRange {
    DWORD address;
    DWORD line;
    DWORD zero;    // always 0
    DWORD unused;  // not written
};

// The line of `address` in the first file whose [start, end) holds it, with that file's path
// copied into `path` (when not NULL): the line of the entry at the address, else of the last
// entry below it (0 when there is none). No file: "UNKNOWN" and 0.
WORD FileAndLineForAddress(DWORD address, char* path, size_t capacity);

// The name of `address`, or NULL: "SysTask" in the task area; else the first global, then
// the first function-level symbol, file by file, whose value is the address; else "SysTask"
// below 0x8000 or within 0x8000 bytes from 0x40000000. When `out` is given the name, at most
// 16 characters of it, is copied there. Function names are not looked at.
const char* NameForAddress(char* out, size_t capacity, DWORD address);

// Code symbols of every file (a list that several records share counts once per record)
// plus the six fixed tasks.
int GetTaskCount();
// Writes at most `count` entries: the fixed tasks, then each file's code symbols in list
// order; then sorts them by ascending id, equal ids keeping their order.
void BuildTaskList(StabsTaskEntry* out, int count);
// qsort-style comparison of two StabsTaskEntry by unsigned id: -1, 0 or 1.
int CompareTaskIds(const void* a, const void* b);

// Line entries with low <= address < high in the records from the first file that has a code
// symbol called `name` up to the last later record of the same path (to the end of the list
// when there is none).
int CountLinesInRange(const char* name, DWORD low, DWORD high);
// The same entries written as records, at most `capacity` of them; returns how many.
int ListLinesInRange(const char* name, StabsLineRange* out, int capacity, DWORD low, DWORD high);

// Stateful: the address of the first entry of `line` in the files whose base name equals
// that of `path` (regardless of case), remembered for the next query. Line 0 repeats the last
// query, passing over the address found last; line 0xFFFF gives the end of the line found
// last (the next entry's address, or its file's end). 0 when nothing is found, and for an
// end query with nothing found before.
DWORD AddressForLine(const char* path, int line);
// The address of the first entry of `line` in the first file whose base name matches as
// above; 0 when there is none. Changes no state.
DWORD FirstAddressOfLine(const char* path, int line);
// Forgets the entry and file found last (their memory is about to go); the line and address
// stay for a repeat after the next load.
void ForgetLineQueryEntry();

// The first symbol of `list` whose name equals `name` exactly.
StabsSymbol* FindSymbolInList(const char* name, StabsSymbol* list);
// `name` in the scopes around `address`: in each function whose [start, end) holds it, its
// own symbols, then the blocks whose [start, end] holds it, the innermost hit winning.
StabsSymbol* FindSymbolInFunctions(const char* name, DWORD address, StabsFunction* list);
// `name` in the scopes and globals of the file that holds `address`, else the first global of
// that name in any file. `*file` (when not NULL) is the file where it was found, or the last
// one examined.
StabsSymbol* FindSymbol(const char* name, DWORD address, StabsFile** file);
// The value of the symbol FindSymbol finds for address 0, or 0.
DWORD GetSymbolValue(const char* name);
// The start of function `name` in the file that holds `address`, else of the first global
// function ('F') of that name in any file, else 0.
DWORD GetFunctionAddress(const char* name, DWORD address);
