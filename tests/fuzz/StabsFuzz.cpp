// libFuzzer target for the STABS loader and its queries. Each input is read as a .hye file:
// headers, symbol table, line numbers. The tables must then hold together (files in start
// order, lines in strictly ascending address with the right tail, no list without an end),
// the sorted lookups behind the queries must answer as a walk over the lists in order would,
// and every query must keep to its output bounds. A broken promise aborts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "coff/CoffReader.h"
#include "coff/PoolAlloc.h"
#include "coff/StabsQueries.h"
#include "coff/StabsTable.h"
#include "tests/fuzz/FuzzStream.h"

namespace {

// More entries than this in one list can only be a cycle: no input is that large.
constexpr size_t kLongestList = 1 << 22;
// Line tables of more sections than this make an input slow without finding more.
constexpr WORD kSectionsWithLines = 8;

template <typename Node>
size_t Length(const Node* list)
{
    size_t length = 0;
    for (; list; list = list->next)
        Require(++length < kLongestList);
    return length;
}

size_t BlockCount(const StabsBlock* block)
{
    size_t count = 0;
    for (; block; block = block->sibling) {
        Require(++count < kLongestList);
        Length(block->symbols);
        count += BlockCount(block->child);
    }
    return count;
}

void CheckTables()
{
    size_t files = 0;
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        Require(++files < kLongestList);
        Require(!file->next || file->start <= file->next->start);
        Require(file->path != NULL);
        const StabsLine* last = NULL;
        for (const StabsLine* line = file->lines; line; line = line->next) {
            Require(!last || last->address < line->address);
            last = line;
        }
        Require(last == file->lastLine);
        Length(file->codeSymbols);
        Length(file->globals);
        Length(file->functions);
        for (StabsFunction* function = file->functions; function; function = function->next) {
            Length(function->symbols);
            BlockCount(function->blocks);
        }
    }
}

// The queries' answers as the plain walks over the lists give them.
StabsFile* WalkFileHolding(DWORD address)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        if (file->start <= address && address < file->end)
            return file;
    return NULL;
}

const char* WalkNameAt(DWORD address)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        for (StabsSymbol* symbol = file->globals; symbol; symbol = symbol->next)
            if (symbol->name && symbol->name[0] && symbol->value == address)
                return symbol->name;
        for (StabsFunction* function = file->functions; function; function = function->next)
            for (StabsSymbol* symbol = function->symbols; symbol; symbol = symbol->next)
                if (symbol->name && symbol->name[0] && symbol->value == address)
                    return symbol->name;
    }
    return NULL;
}

StabsSymbol* WalkGlobalNamed(const char* name)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        if (StabsSymbol* symbol = FindSymbolInList(name, file->globals))
            return symbol;
    return NULL;
}

WORD WalkLine(const StabsFile* file, DWORD address)
{
    WORD line = 0;
    for (const StabsLine* entry = file->lines; entry; entry = entry->next) {
        if (entry->address >= address)
            return entry->address == address ? entry->line : line;
        line = entry->line;
    }
    return line;
}

const char* ExpectedName(DWORD address)
{
    if (address - theStabsTaskBase < kSysTaskAreaBytes)
        return "SysTask";
    if (const char* name = WalkNameAt(address))
        return name;
    return address < kSysTaskAreaBytes || address - 0x40000000 < kSysTaskAreaBytes ? "SysTask" : NULL;
}

void CheckAddress(DWORD address)
{
    char path[16];
    memset(path, 0x7F, sizeof path);
    WORD line = FileAndLineForAddress(address, path, sizeof path);
    StabsFile* holder = WalkFileHolding(address);
    Require(strncmp(path, holder ? holder->path : "UNKNOWN", sizeof path - 1) == 0);
    Require(memchr(path, 0, sizeof path) != NULL);
    Require(line == (holder ? WalkLine(holder, address) : 0));

    char name[17];
    memset(name, 0x7F, sizeof name);
    const char* found = NameForAddress(name, sizeof name, address);
    const char* expected = ExpectedName(address);
    Require(found ? expected && strcmp(found, expected) == 0 : expected == NULL);
    Require(!found || strncmp(name, found, 16) == 0);

    if (const char* symbolName = WalkNameAt(address)) {
        StabsSymbol* inScope = holder ? FindSymbolInFunctions(symbolName, address, holder->functions) : NULL;
        if (holder && !inScope)
            inScope = FindSymbolInList(symbolName, holder->globals);
        StabsFile* file = NULL;
        Require(FindSymbol(symbolName, address, &file) == (inScope ? inScope : WalkGlobalNamed(symbolName)));
    }
}

void CheckTaskList()
{
    int count = GetTaskCount();
    Require(count >= kFixedTaskCount);
    std::vector<StabsTaskEntry> tasks((size_t)count);
    BuildTaskList(tasks.data(), count);
    for (int i = 1; i < count; ++i)
        Require(tasks[i - 1].id <= tasks[i].id);
    StabsLineRange ranges[4];
    for (const StabsTaskEntry& task : tasks) {
        if (task.id <= kFixedTaskCount)
            continue;
        int listed = ListLinesInRange(task.name, ranges, 4, 0, 0xFFFFFFFF);
        Require(listed <= 4 && listed <= CountLinesInRange(task.name, 0, 0xFFFFFFFF));
        break;
    }
}

void CheckLineQueries()
{
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        if (!file->lines)
            continue;
        AddressForLine(file->path, file->lines->line);
        AddressForLine(file->path, 0);
        AddressForLine(file->path, 0xFFFF);
        FirstAddressOfLine(file->path, file->lines->line);
        if (file->functions && file->functions->symbol)
            GetFunctionAddress(file->functions->symbol->name, file->start);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* stream = FuzzStream(data, size);
    FreeReaderMemory();
    if (ReadCoffHeaders(stream) == kCoffOk) {
        LoadStabs(stream);
        for (WORD i = 0; i < theCoffHeader.sectionCount && i < kSectionsWithLines; ++i)
            ReadLineNumbers(stream, &theCoffSections[i]);
        CheckTables();
        for (StabsFile* file = theStabsFiles; file; file = file->next) {
            CheckAddress(file->start);
            if (file->lines)
                CheckAddress(file->lines->address + 1);
        }
        for (size_t i = 0; i + 4 <= size && i < 64; i += 4)
            CheckAddress((DWORD)data[i] << 24 | data[i + 1] << 16 | data[i + 2] << 8 | data[i + 3]);
        CheckTaskList();
        CheckLineQueries();
    }
    FreeReaderMemory();
    Require(theStabsFiles == NULL && AddressForLine("", 0xFFFF) == 0);
    return 0;
}
