#include "coff/StabsTable.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "coff/PoolAlloc.h"
#include "coff/StabsIndex.h"

StabsFile* theStabsFiles = NULL;
StabsFile* theStabsCurrentFile = NULL;
StabsHashEntry* theStabsHash[kStabsHashBuckets];

StabsFunction* theStabsFunction = NULL;
StabsFunction* theStabsPrevFunction = NULL;
StabsBlock* theStabsBlock = NULL;
StabsSymbol* theStabsLastSymbol = NULL;
int theStabsDepth = 0;
StabsBlock* theStabsBlockStack[kStabsBlockDepth];
StabsCodeSymbol* theStabsCodeTail = NULL;
DWORD theStabsLastCodeValue = 0xFFFFFFFF;

namespace {

constexpr size_t kNameBufferBytes = 16385;
constexpr long kSymbolEntryBytes = 18;

// Block starts nested deeper than the block stack; their ends are matched here, so they
// close nothing that was recorded.
int s_unrecordedDepth = 0;
// A pool allocation failed during the load in progress.
bool s_outOfMemory = false;

template <typename T>
T* NewRecord()
{
    T* record = static_cast<T*>(PoolAlloc(1, sizeof(T)));
    if (!record)
        s_outOfMemory = true;
    return record;
}

// A terminated copy of `length` bytes of `text` in the pool.
char* PoolCopy(const char* text, size_t length)
{
    char* copy = static_cast<char*>(PoolAlloc(length + 1, 1));
    if (!copy) {
        s_outOfMemory = true;
        return NULL;
    }
    memcpy(copy, text, length);
    return copy;
}

char* PoolCopy(const char* text)
{
    return PoolCopy(text, strlen(text));
}

template <typename Node>
Node* Tail(Node* list)
{
    if (!list)
        return NULL;
    while (list->next)
        list = list->next;
    return list;
}

StabsBlock* LastSibling(StabsBlock* block)
{
    while (block->sibling)
        block = block->sibling;
    return block;
}

bool CutShort(FILE* stream)
{
    return feof(stream) || ferror(stream);
}

// --- Strings -----------------------------------------------------------------------------

// Stab strings are fetched through a window of the file, refilled only when a string starts
// outside it. A refill covers the offsets up to just behind the window's last NUL, so every
// string that starts inside it also ends inside it.
struct StringWindow {
    char* bytes = NULL;    // kStabsWindowBytes
    uint64_t start = 0;    // file offset of bytes[0]
    uint64_t covered = 0;  // offsets [start, start + covered) are served from the window
    size_t valid = 0;      // bytes actually read
};

void RefillWindow(StringWindow& window, FILE* stream, uint64_t offset, long resumeAt)
{
    window.start = offset;
    window.valid = 0;
    if (offset <= (uint64_t)LONG_MAX && fseek(stream, (long)offset, SEEK_SET) == 0)
        window.valid = fread(window.bytes, 1, kStabsWindowBytes, stream);
    size_t lastNul = window.valid;
    while (lastNul > 0 && window.bytes[lastNul - 1] != 0)
        --lastNul;
    // Without any NUL the string is longer than the window or runs into the end of the file:
    // it is served, cut short, to this one offset only.
    window.covered = lastNul > 0 ? lastNul : (window.valid > 0 ? 1 : 0);
    fseek(stream, resumeAt, SEEK_SET);
    clearerr(stream);
}

// Copies the string at file offset `offset` into `out` (kNameBufferBytes); bytes that
// cannot be read are not there, so an unreadable string is "".
void FetchString(StringWindow& window, FILE* stream, uint64_t offset, long resumeAt, char* out)
{
    if (offset < window.start || offset >= window.start + window.covered)
        RefillWindow(window, stream, offset, resumeAt);
    size_t length = 0;
    if (offset >= window.start && offset < window.start + window.covered) {
        const char* text = window.bytes + (offset - window.start);
        size_t available = window.valid - (size_t)(offset - window.start);
        const char* nul = static_cast<const char*>(memchr(text, 0, available));
        length = nul ? (size_t)(nul - text) : available;
        memcpy(out, text, length);
    }
    out[length] = 0;
}

// --- Source files and code symbols -------------------------------------------------------

StabsFile* NewSourceFile(const CoffSymbol& entry, const char* name, const char* directory)
{
    StabsFile* file = NewRecord<StabsFile>();
    if (!file)
        return NULL;
    if (IsAbsolutePath(name)) {
        file->path = PoolCopy(name);
    } else {
        size_t directoryLength = strlen(directory), nameLength = strlen(name);
        file->path = static_cast<char*>(PoolAlloc(directoryLength + nameLength + 1, 1));
        if (file->path) {
            memcpy(file->path, directory, directoryLength);
            memcpy(file->path + directoryLength, name, nameLength);
        } else {
            s_outOfMemory = true;
        }
    }
    file->start = entry.value;
    file->end = 0xFFFFFFFF;

    // Behind the last file whose start is not above this one. Files mostly come in ascending
    // order, so the walk starts at the file made last when it may.
    StabsFile* before = NULL;
    StabsFile* walk = theStabsFiles;
    if (theStabsCurrentFile && theStabsCurrentFile->start <= file->start) {
        before = theStabsCurrentFile;
        walk = before->next;
    }
    for (; walk && walk->start <= file->start; walk = walk->next)
        before = walk;
    if (before) {
        file->next = before->next;
        before->next = file;
    } else {
        file->next = theStabsFiles;
        theStabsFiles = file;
    }
    return file;
}

void AddCodeSymbol(StabsFile* file, const CoffSymbol& entry, const char* name)
{
    if (!file || entry.value == theStabsLastCodeValue)
        return;
    theStabsLastCodeValue = entry.value;
    StabsCodeSymbol* symbol = NewRecord<StabsCodeSymbol>();
    if (!symbol)
        return;
    symbol->name = PoolCopy(name);
    symbol->value = entry.value;
    if (!file->codeSymbols)
        file->codeSymbols = symbol;
    else
        (theStabsCodeTail ? theStabsCodeTail : Tail(file->codeSymbols))->next = symbol;
    theStabsCodeTail = symbol;
}

// --- Scope stabs -------------------------------------------------------------------------

// The symbol of an "S" stab, its string split into name, descriptor, type number and type
// definition. `hasColon` tells whether the string had a ':' at all.
StabsSymbol* NewSymbol(const CoffSymbol& entry, const char* string, bool& hasColon)
{
    StabsSymbol* symbol = NewRecord<StabsSymbol>();
    if (!symbol)
        return NULL;
    char* text = PoolCopy(string);
    if (!text)
        return NULL;
    symbol->name = text;
    symbol->value = entry.value;
    symbol->stabType = entry.ref.stabType;
    symbol->kind = entry.ref.stabKind;
    char* colon = strchr(text, ':');
    hasColon = colon != NULL;
    if (!colon)
        return symbol;
    *colon = 0;
    char* rest = colon + 1;
    if (isalpha((unsigned char)*rest))
        symbol->descriptor = *rest++;
    while (isdigit((unsigned char)*rest))
        symbol->typeNumber = (WORD)(symbol->typeNumber * 10 + (*rest++ - '0'));
    if (*rest == '=')
        symbol->typeDef = rest + 1;
    return symbol;
}

void StartFunction(StabsFile* file, StabsSymbol* symbol)
{
    StabsFunction* function = NewRecord<StabsFunction>();
    if (!function)
        return;
    theStabsPrevFunction = theStabsFunction;
    function->symbol = symbol;
    function->start = symbol->value;
    function->end = 0xFFFFFFFF;
    theStabsFunction = function;
    theStabsDepth = -1;
    s_unrecordedDepth = 0;
    theStabsBlock = NULL;
    theStabsLastSymbol = NULL;
    if (!file->functions) {
        file->functions = function;
        theStabsPrevFunction = NULL;
    } else {
        if (!theStabsPrevFunction)
            theStabsPrevFunction = Tail(file->functions);
        theStabsPrevFunction->end = function->start;
        theStabsPrevFunction->next = function;
    }
}

void PushGlobal(StabsFile* file, StabsSymbol* symbol)
{
    symbol->next = file->globals;
    file->globals = symbol;
}

// Links `symbol` behind the append point, or makes it the list's first when the list is empty.
void LinkInScope(StabsSymbol*& list, StabsSymbol* symbol)
{
    if (!list)
        list = symbol;
    else
        (theStabsLastSymbol ? theStabsLastSymbol : Tail(list))->next = symbol;
}

void AppendToScope(StabsFile* file, StabsSymbol* symbol)
{
    // The open function holds it even when the source-file record changed since (an included
    // header); with no function open it belongs to the file.
    if (!theStabsFunction) {
        PushGlobal(file, symbol);
        return;
    }
    if (theStabsDepth < 0)
        LinkInScope(theStabsFunction->symbols, symbol);
    else if (!theStabsBlock)
        fputs("Unknown block\n", stderr);
    else
        LinkInScope(theStabsBlock->symbols, symbol);
    theStabsLastSymbol = symbol;
}

void AddScopeStab(StabsFile* file, const CoffSymbol& entry, const char* string)
{
    bool hasColon = false;
    StabsSymbol* symbol = NewSymbol(entry, string, hasColon);
    if (!symbol)
        return;
    WORD type = entry.ref.stabType;
    if (hasColon && type == kStabFunction && (symbol->descriptor == 'F' || symbol->descriptor == 'f'))
        StartFunction(file, symbol);
    else if (hasColon && (type == kStabGlobalSymbol || !file->functions))
        PushGlobal(file, symbol);
    else
        AppendToScope(file, symbol);
}

// Belongs to the open function, also when the source-file record changed inside it.
void StartBlock(DWORD value)
{
    if (!theStabsFunction) {
        fputs("Unknown block\n", stderr);
        return;
    }
    if (theStabsDepth + 1 >= kStabsBlockDepth || s_unrecordedDepth > 0) {
        ++s_unrecordedDepth;
        return;
    }
    StabsBlock* block = NewRecord<StabsBlock>();
    if (!block)
        return;
    if (theStabsDepth < 0) {
        StabsFunction* function = theStabsFunction;
        if (!function->blocks)
            function->blocks = block;
        else
            (theStabsBlockStack[0] ? theStabsBlockStack[0] : LastSibling(function->blocks))->sibling = block;
    } else {
        StabsBlock* enclosing = theStabsBlockStack[theStabsDepth];
        StabsBlock* lastClosed = theStabsBlockStack[theStabsDepth + 1];
        if (!enclosing->child)
            enclosing->child = block;
        else
            (lastClosed ? lastClosed : LastSibling(enclosing->child))->sibling = block;
    }
    ++theStabsDepth;
    theStabsBlockStack[theStabsDepth] = block;
    block->start = value;
    theStabsBlock = block;
    theStabsLastSymbol = NULL;
}

void EndBlock(DWORD value)
{
    if (s_unrecordedDepth > 0) {
        --s_unrecordedDepth;
        return;
    }
    if (theStabsDepth < 0) {
        fputs("unknown index -1\n", stderr);
        return;
    }
    theStabsBlockStack[theStabsDepth]->end = value;
    --theStabsDepth;
    if (theStabsDepth < 0) {
        theStabsBlock = NULL;
        theStabsLastSymbol = theStabsFunction ? Tail(theStabsFunction->symbols) : NULL;
    } else {
        theStabsBlock = theStabsBlockStack[theStabsDepth];
        theStabsLastSymbol = Tail(theStabsBlock->symbols);
    }
}

void AddStab(StabsFile* file, const CoffSymbol& entry, const char* string)
{
    if (!file)
        return;
    switch (entry.ref.stabKind) {
    case 'S': AddScopeStab(file, entry, string); break;
    case 'N':
        if (entry.ref.stabType == kStabBlockStart)
            StartBlock(entry.value);
        else if (entry.ref.stabType == kStabBlockEnd)
            EndBlock(entry.value);
        else
            fputs("unknown stabn type\n", stderr);
        break;
    default: fputs("unknown stab\n", stderr); break;
    }
}

// --- Finishing ---------------------------------------------------------------------------

// Records of one path end up sharing one list: the distinct non-empty lists joined in file
// order. Every record of the path gets it, also one behind the last record that had a list of
// its own, so that each part of a file's address range sees all of the file's symbols.
template <typename Node>
void ShareList(const std::vector<StabsFile*>& records, Node* StabsFile::*list)
{
    Node* head = NULL;
    Node* tail = NULL;
    std::unordered_set<const Node*> joined;
    for (StabsFile* record : records) {
        Node* part = record->*list;
        if (!part || !joined.insert(part).second)
            continue;
        if (tail)
            tail->next = part;
        else
            head = part;
        tail = Tail(part);
    }
    if (head)
        for (StabsFile* record : records)
            record->*list = head;
}

void MergeSamePaths()
{
    std::unordered_map<std::string_view, std::vector<StabsFile*>> byPath;
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        byPath[file->path ? file->path : ""].push_back(file);
    for (auto& [path, records] : byPath) {
        if (records.size() < 2)
            continue;
        ShareList(records, &StabsFile::codeSymbols);
        ShareList(records, &StabsFile::globals);
        ShareList(records, &StabsFile::functions);
    }
}

void ClipToSections()
{
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        CoffSection* section = SectionForAddress(file->start);
        if (!section)
            continue;
        uint64_t sectionEnd = (uint64_t)section->physicalAddress + section->size;
        if (sectionEnd < file->end)
            file->end = (DWORD)sectionEnd;
    }
}

int FinishStabs()
{
    for (StabsFile* file = theStabsFiles; file && file->next; file = file->next) {
        file->end = file->next->start;
        if (file->next->start < file->start)
            return 0;
        for (StabsFunction* function = file->functions; function; function = function->next)
            function->end = function->next ? function->next->start : file->end;
    }
    MergeSamePaths();
    ClipToSections();
    return 1;
}

// The three buffers of a load, freed on every path.
struct LoadBuffers {
    char* name = static_cast<char*>(ZeroAlloc(kNameBufferBytes));
    char* directory = static_cast<char*>(ZeroAlloc(kNameBufferBytes));
    StringWindow window;
    LoadBuffers() { window.bytes = static_cast<char*>(ZeroAlloc(kStabsWindowBytes)); }
    ~LoadBuffers()
    {
        free(name);
        free(directory);
        free(window.bytes);
    }
    bool Complete() const { return name && directory && window.bytes; }
};

// Adds one line entry to the file's list, kept in ascending address with one entry per
// address (the larger line number wins). false when memory runs out.
bool AddLineEntry(StabsFile* file, DWORD address, WORD line)
{
    StabsLine* last = file->lastLine;
    if (last && last->address == address) {
        if (line > last->line)
            last->line = line;
        return true;
    }
    StabsLine* before = NULL;
    StabsLine* after = NULL;
    if (last && last->address > address) {
        for (after = file->lines; after && after->address < address; after = after->next)
            before = after;
        if (after && after->address == address) {
            if (line > after->line)
                after->line = line;
            return true;
        }
    } else {
        before = last;
    }
    StabsLine* entry = static_cast<StabsLine*>(PoolAlloc(1, sizeof(StabsLine)));
    if (!entry)
        return false;
    entry->address = address;
    entry->line = line;
    entry->next = after;
    if (before)
        before->next = entry;
    else
        file->lines = entry;
    if (!after)
        file->lastLine = entry;
    return true;
}

bool IsOrdinarySymbol(const CoffSymbol& entry)
{
    return entry.name[0] != 0 || (entry.ref.stabKind == 0 && entry.ref.stabType == 0);
}

// Only the stabs that use their string fetch it, so that block stabs do not pull the window
// away from the string table.
bool NeedsString(const CoffSymbol& entry)
{
    return IsOrdinarySymbol(entry) || entry.ref.stabKind == 'S' || entry.ref.stabType == kStabSourceFile ||
           entry.ref.stabType == kStabIncludedFile;
}

void AddSourceFileStab(const CoffSymbol& entry, char* name, char* directory)
{
    size_t length = strlen(name);
    for (char* ch = name; *ch; ++ch)
        if (*ch == '/')
            *ch = '\\';
    if (length > 0 && name[length - 1] == '\\')
        memcpy(directory, name, length + 1);
    else
        theStabsCurrentFile = NewSourceFile(entry, name, directory);
}

void AddEntry(const CoffSymbol& entry, char* name, char* directory)
{
    if (IsOrdinarySymbol(entry)) {
        if ((entry.storageClass & 1) && (entry.type & 2))
            AddCodeSymbol(theStabsCurrentFile, entry, name);
    } else if (entry.ref.stabType == kStabSourceFile || entry.ref.stabType == kStabIncludedFile) {
        AddSourceFileStab(entry, name, directory);
    } else {
        AddStab(theStabsCurrentFile, entry, name);
    }
}

}  // namespace

int HashName(const char* name)
{
    uint32_t h = 0;
    for (const char* ch = name; *ch; ++ch)
        h = (h << 3) ^ (uint32_t)(int32_t)(signed char)*ch;
    return (int)(h % kStabsHashBuckets);
}

void AddHashedSymbol(CoffSymbol* symbol, const char* name)
{
    StabsHashEntry* entry = static_cast<StabsHashEntry*>(PoolAlloc(1, sizeof(StabsHashEntry)));
    char* copy = entry ? static_cast<char*>(PoolAlloc(strlen(name) + 1, 1)) : NULL;
    if (!copy)
        return;
    strcpy(copy, name);
    entry->name = copy;
    entry->value = symbol->value;
    int bucket = HashName(name);
    entry->next = theStabsHash[bucket];
    theStabsHash[bucket] = entry;
}

BOOL IsAbsolutePath(const char* name)
{
    return name[0] == '/' || name[0] == '\\' || strchr(name, ':') != NULL;
}

CoffSection* SectionForAddress(DWORD address)
{
    if (!theCoffSections)
        return NULL;
    for (WORD i = 0; i < theCoffHeader.sectionCount; ++i) {
        const CoffSection& section = theCoffSections[i];
        if (section.physicalAddress <= address && address - section.physicalAddress < section.size)
            return &theCoffSections[i];
    }
    return NULL;
}

StabsFile* FileForAddress(DWORD address)
{
    StabsFile* found = NULL;
    for (StabsFile* file = theStabsFiles; file && file->start <= address; file = file->next)
        found = file;
    return found;
}

void ResetStabsParseState()
{
    theStabsCurrentFile = NULL;
    theStabsFunction = NULL;
    theStabsPrevFunction = NULL;
    theStabsBlock = NULL;
    theStabsLastSymbol = NULL;
    theStabsDepth = -1;
    memset(theStabsBlockStack, 0, sizeof theStabsBlockStack);
    theStabsCodeTail = NULL;
    theStabsLastCodeValue = 0xFFFFFFFF;
    s_unrecordedDepth = 0;
    s_outOfMemory = false;
}

int LoadStabs(FILE* stream)
{
    ResetStabsParseState();
    DropStabsIndexes();
    if (theCoffHeader.symbolTableOffset == 0 || theCoffHeader.symbolCount == 0)
        return 0;
    LoadBuffers buffers;
    if (!buffers.Complete())
        return 0;

    long position = (long)theCoffHeader.symbolTableOffset;
    if (fseek(stream, position, SEEK_SET) != 0)
        return 0;
    clearerr(stream);
    for (DWORD i = 0; i < theCoffHeader.symbolCount && !s_outOfMemory; ++i) {
        CoffSymbol entry;
        ReadCoffSymbol(stream, &entry);
        if (CutShort(stream))
            break;
        position += kSymbolEntryBytes;
        if (entry.name[0] != 0) {
            memcpy(buffers.name, entry.name, sizeof entry.name);
            buffers.name[sizeof entry.name] = 0;
        } else if (NeedsString(entry)) {
            FetchString(buffers.window, stream, entry.ref.stringOffset, position, buffers.name);
        } else {
            buffers.name[0] = 0;
        }
        AddEntry(entry, buffers.name, buffers.directory);
    }
    int finished = s_outOfMemory ? 0 : FinishStabs();
    DropStabsIndexes();
    return finished;
}

int ReadLineNumbers(FILE* stream, CoffSection* section)
{
    if (!section || section->lineNumberOffset == 0 || section->lineNumberCount == 0 || !theStabsFiles)
        return 0;
    if (fseek(stream, (long)section->lineNumberOffset, SEEK_SET) != 0)
        return 0;
    clearerr(stream);
    StabsFile* current = NULL;
    for (WORD i = 0; i < section->lineNumberCount; ++i) {
        CoffLineEntry entry;
        ReadFields(stream, &entry, kCoffLineEntryFields);
        if (CutShort(stream))
            break;
        if (!current || entry.address < current->start || entry.address >= current->end)
            current = FileForAddress(entry.address);
        if (current && !AddLineEntry(current, entry.address, entry.line))
            return 0;
    }
    return 1;
}
