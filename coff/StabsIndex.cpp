#include "coff/StabsIndex.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

struct NamedGlobal {
    std::string_view name;
    StabsSymbol* symbol;
    StabsFile* file;
};

struct Indexes {
    bool built = false;
    // Files in list order; binary search needs ascending, non-overlapping ranges, which the
    // finished tables have. Otherwise the files are walked.
    std::vector<StabsFile*> files;
    bool filesDisjoint = false;
    // Both sorted stably, so that among equal keys the first in search order comes first.
    std::vector<std::pair<DWORD, const char*>> namesByValue;
    std::vector<NamedGlobal> globalsByName;
};

Indexes s_indexes;

bool HoldsAddress(const StabsFile* file, DWORD address)
{
    return file->start <= address && address < file->end;
}

void IndexFiles(Indexes& indexes)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next)
        indexes.files.push_back(file);
    indexes.filesDisjoint = true;
    for (size_t i = 0; i + 1 < indexes.files.size() && indexes.filesDisjoint; ++i)
        indexes.filesDisjoint = indexes.files[i]->start <= indexes.files[i]->end &&
                                indexes.files[i]->end <= indexes.files[i + 1]->start;
}

// Records of one path share their lists; a list already taken in cannot come first again.
void IndexSymbols(Indexes& indexes)
{
    std::unordered_set<const void*> seen;
    auto addValues = [&](StabsSymbol* list) {
        for (StabsSymbol* symbol = list; symbol; symbol = symbol->next)
            if (symbol->name && symbol->name[0])
                indexes.namesByValue.emplace_back(symbol->value, symbol->name);
    };
    for (StabsFile* file : indexes.files) {
        if (file->globals && seen.insert(file->globals).second) {
            addValues(file->globals);
            for (StabsSymbol* symbol = file->globals; symbol; symbol = symbol->next)
                if (symbol->name)
                    indexes.globalsByName.push_back({symbol->name, symbol, file});
        }
        if (file->functions && seen.insert(file->functions).second)
            for (StabsFunction* function = file->functions; function; function = function->next)
                addValues(function->symbols);
    }
    std::stable_sort(indexes.namesByValue.begin(), indexes.namesByValue.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::stable_sort(indexes.globalsByName.begin(), indexes.globalsByName.end(),
                     [](const NamedGlobal& a, const NamedGlobal& b) { return a.name < b.name; });
}

Indexes& Current()
{
    if (!s_indexes.built) {
        IndexFiles(s_indexes);
        IndexSymbols(s_indexes);
        s_indexes.built = true;
    }
    return s_indexes;
}

}  // namespace

StabsFile* IndexedFileHolding(DWORD address)
{
    Indexes& indexes = Current();
    if (!indexes.filesDisjoint) {
        for (StabsFile* file : indexes.files)
            if (HoldsAddress(file, address))
                return file;
        return NULL;
    }
    auto after = std::upper_bound(indexes.files.begin(), indexes.files.end(), address,
                                  [](DWORD value, const StabsFile* file) { return value < file->start; });
    if (after == indexes.files.begin())
        return NULL;
    StabsFile* file = *(after - 1);
    return HoldsAddress(file, address) ? file : NULL;
}

const char* IndexedSymbolNameAt(DWORD address)
{
    const auto& names = Current().namesByValue;
    auto found = std::lower_bound(names.begin(), names.end(), address,
                                  [](const auto& entry, DWORD value) { return entry.first < value; });
    return found != names.end() && found->first == address ? found->second : NULL;
}

StabsSymbol* IndexedGlobalNamed(const char* name, StabsFile** file)
{
    Indexes& indexes = Current();
    if (file)
        *file = indexes.files.empty() ? NULL : indexes.files.back();
    if (!name)
        return NULL;
    std::string_view wanted = name;
    auto found = std::lower_bound(indexes.globalsByName.begin(), indexes.globalsByName.end(), wanted,
                                  [](const NamedGlobal& entry, std::string_view value) { return entry.name < value; });
    if (found == indexes.globalsByName.end() || found->name != wanted)
        return NULL;
    if (file)
        *file = found->file;
    return found->symbol;
}

void DropStabsIndexes()
{
    s_indexes = Indexes();
}
