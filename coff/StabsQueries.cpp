#include "coff/StabsQueries.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "coff/CoffReader.h"
#include "coff/StabsIndex.h"

DWORD theStabsTaskBase = 0;

StabsFile* theLineQueryFile = NULL;
StabsLine* theLineQueryNode = NULL;
DWORD theLineQueryLine = 0;
DWORD theLineQueryAddress = 0;

namespace {

const char kSysTask[] = "SysTask";
constexpr size_t kLongestShownName = 16;

struct FixedTask {
    DWORD id;
    const char* name;
};
const FixedTask kFixedTasks[kFixedTaskCount] = {
    {1, "Realtime Kernel"}, {2, "Idle"}, {3, "Floatingpoint Instr"}, {4, "Malloc"}, {5, "Free"}, {6, kSysTask},
};

void CopyBounded(char* out, size_t capacity, const char* text, size_t longest)
{
    if (!out || capacity == 0)
        return;
    size_t length = std::min({strlen(text), longest, capacity - 1});
    memcpy(out, text, length);
    out[length] = 0;
}

StabsFile* FirstFileHolding(DWORD address)
{
    return IndexedFileHolding(address);
}

bool InTaskArea(DWORD address, DWORD base)
{
    return address >= base && address - base < kSysTaskAreaBytes;
}

bool SameName(const char* a, const char* b)
{
    return a && b && strcmp(a, b) == 0;
}

// ASCII letters folded; the base names of Windows paths.
bool SameBaseNameNoCase(const char* a, const char* b)
{
    const char* x = FileBaseName(a ? a : "");
    const char* y = FileBaseName(b ? b : "");
    for (; *x && *y; ++x, ++y) {
        char cx = (*x >= 'A' && *x <= 'Z') ? (char)(*x - 'A' + 'a') : *x;
        char cy = (*y >= 'A' && *y <= 'Z') ? (char)(*y - 'A' + 'a') : *y;
        if (cx != cy)
            return false;
    }
    return *x == *y;
}

bool HasCodeSymbol(const StabsFile* file, const char* name)
{
    for (StabsCodeSymbol* symbol = file->codeSymbols; symbol; symbol = symbol->next)
        if (SameName(symbol->name, name))
            return true;
    return false;
}

// Calls visit(entry) for the line entries in [low, high) of the records that belong to the
// task `name` (see CountLinesInRange).
template <typename Visit>
void VisitTaskLines(const char* name, DWORD low, DWORD high, Visit visit)
{
    StabsFile* first = theStabsFiles;
    while (first && !HasCodeSymbol(first, name))
        first = first->next;
    if (!first)
        return;
    StabsFile* stop = NULL;
    for (StabsFile* file = first->next; file; file = file->next)
        if (SameName(file->path, first->path))
            stop = file->next;
    for (StabsFile* file = first; file && file != stop; file = file->next)
        for (StabsLine* entry = file->lines; entry; entry = entry->next)
            if (low <= entry->address && entry->address < high)
                visit(entry);
}

// The first entry of `line` in a file of that base name (past `skipAddress` when `repeat`).
bool FindLine(const char* path, DWORD line, bool repeat, DWORD skipAddress, StabsFile*& foundFile,
              StabsLine*& foundEntry)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        if (!SameBaseNameNoCase(file->path, path))
            continue;
        for (StabsLine* entry = file->lines; entry; entry = entry->next) {
            if (entry->line == line && !(repeat && entry->address == skipAddress)) {
                foundFile = file;
                foundEntry = entry;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

WORD FileAndLineForAddress(DWORD address, char* path, size_t capacity)
{
    StabsFile* file = FirstFileHolding(address);
    if (!file) {
        CopyBounded(path, capacity, "UNKNOWN", SIZE_MAX);
        return 0;
    }
    CopyBounded(path, capacity, file->path ? file->path : "", SIZE_MAX);
    WORD line = 0;
    for (StabsLine* entry = file->lines; entry; entry = entry->next) {
        if (entry->address == address)
            return entry->line;
        if (entry->address > address)
            return line;
        line = entry->line;
    }
    return line;
}

const char* NameForAddress(char* out, size_t capacity, DWORD address)
{
    const char* name = NULL;
    if (InTaskArea(address, theStabsTaskBase))
        name = kSysTask;
    else if (!(name = IndexedSymbolNameAt(address)) && (address < kSysTaskAreaBytes || InTaskArea(address, 0x40000000)))
        name = kSysTask;
    if (name)
        CopyBounded(out, capacity, name, kLongestShownName);
    return name;
}

int GetTaskCount()
{
    int count = kFixedTaskCount;
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        for (StabsCodeSymbol* symbol = file->codeSymbols; symbol; symbol = symbol->next)
            ++count;
    return count;
}

void BuildTaskList(StabsTaskEntry* out, int count)
{
    if (!out || count <= 0)
        return;
    int written = 0;
    auto add = [&](DWORD id, const char* name) {
        if (written < count) {
            out[written].id = id;
            out[written].name = name;
            out[written].zero = 0;
            ++written;
        }
    };
    for (const FixedTask& task : kFixedTasks)
        add(task.id, task.name);
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        for (StabsCodeSymbol* symbol = file->codeSymbols; symbol; symbol = symbol->next)
            add(symbol->value, symbol->name);
    std::stable_sort(out, out + written,
                     [](const StabsTaskEntry& a, const StabsTaskEntry& b) { return CompareTaskIds(&a, &b) < 0; });
}

int CompareTaskIds(const void* a, const void* b)
{
    DWORD first = static_cast<const StabsTaskEntry*>(a)->id;
    DWORD second = static_cast<const StabsTaskEntry*>(b)->id;
    return first == second ? 0 : (first < second ? -1 : 1);
}

int CountLinesInRange(const char* name, DWORD low, DWORD high)
{
    int count = 0;
    VisitTaskLines(name, low, high, [&](StabsLine*) { ++count; });
    return count;
}

int ListLinesInRange(const char* name, StabsLineRange* out, int capacity, DWORD low, DWORD high)
{
    int written = 0;
    VisitTaskLines(name, low, high, [&](StabsLine* entry) {
        if (out && written < capacity) {
            out[written].address = entry->address;
            out[written].line = entry->line;
            out[written].zero = 0;
            ++written;
        }
    });
    return written;
}

DWORD AddressForLine(const char* path, int line)
{
    if (line == 0xFFFF) {
        if (!theLineQueryNode)
            return 0;
        if (theLineQueryNode->next)
            return theLineQueryNode->next->address;
        return theLineQueryFile ? theLineQueryFile->end : 0;
    }
    // A repeat with no line remembered looks for the line-0 entries.
    bool repeat = line == 0;
    if (!repeat)
        theLineQueryLine = (DWORD)line;
    StabsFile* file = NULL;
    StabsLine* entry = NULL;
    if (!FindLine(path, theLineQueryLine, repeat, theLineQueryAddress, file, entry)) {
        theLineQueryLine = 0;
        theLineQueryAddress = 0;
        return 0;
    }
    theLineQueryFile = file;
    theLineQueryNode = entry;
    theLineQueryAddress = entry->address;
    return entry->address;
}

DWORD FirstAddressOfLine(const char* path, int line)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        if (!SameBaseNameNoCase(file->path, path))
            continue;
        for (StabsLine* entry = file->lines; entry; entry = entry->next)
            if (entry->line == (DWORD)line)
                return entry->address;
        return 0;
    }
    return 0;
}

void ForgetLineQueryEntry()
{
    theLineQueryFile = NULL;
    theLineQueryNode = NULL;
}

StabsSymbol* FindSymbolInList(const char* name, StabsSymbol* list)
{
    for (StabsSymbol* symbol = list; symbol; symbol = symbol->next)
        if (SameName(symbol->name, name))
            return symbol;
    return NULL;
}

StabsSymbol* FindSymbolInFunctions(const char* name, DWORD address, StabsFunction* list)
{
    for (StabsFunction* function = list; function; function = function->next) {
        if (address < function->start || address >= function->end)
            continue;
        StabsSymbol* hit = FindSymbolInList(name, function->symbols);
        for (StabsBlock* block = function->blocks; block;) {
            if (block->start <= address && address <= block->end) {
                if (StabsSymbol* inner = FindSymbolInList(name, block->symbols))
                    hit = inner;
                block = block->child;
            } else {
                block = block->sibling;
            }
        }
        if (hit)
            return hit;
    }
    return NULL;
}

StabsSymbol* FindSymbol(const char* name, DWORD address, StabsFile** file)
{
    if (StabsFile* holder = FirstFileHolding(address)) {
        StabsSymbol* hit = FindSymbolInFunctions(name, address, holder->functions);
        if (!hit)
            hit = FindSymbolInList(name, holder->globals);
        if (hit) {
            if (file)
                *file = holder;
            return hit;
        }
    }
    return IndexedGlobalNamed(name, file);
}

DWORD GetSymbolValue(const char* name)
{
    StabsSymbol* symbol = FindSymbol(name, 0, NULL);
    return symbol ? symbol->value : 0;
}

DWORD GetFunctionAddress(const char* name, DWORD address)
{
    if (StabsFile* holder = FirstFileHolding(address))
        for (StabsFunction* function = holder->functions; function; function = function->next)
            if (function->symbol && SameName(function->symbol->name, name))
                return function->start;
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        for (StabsFunction* function = file->functions; function; function = function->next)
            if (function->symbol && function->symbol->descriptor == 'F' && SameName(function->symbol->name, name))
                return function->start;
    return 0;
}
