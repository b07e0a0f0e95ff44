// Sorted lookups over the STABS tables for the address and name queries, so that a query costs
// a binary search instead of a walk over every symbol. Built on the first query after a load
// and dropped by LoadStabs and FreeReaderMemory; each lookup gives exactly what the walk in
// list order would give.
#pragma once

#include "coff/StabsTable.h"
#include "platform/base/WinTypes.h"

// The first file in list order whose [start, end) holds `address`, or NULL.
StabsFile* IndexedFileHolding(DWORD address);
// The name of the first global, then function-level symbol, file by file, whose value is
// `address` and whose name is not empty; NULL when there is none.
const char* IndexedSymbolNameAt(DWORD address);
// The first global called `name` over all files in order, and the file it was found in;
// NULL when there is none.
StabsSymbol* IndexedGlobalNamed(const char* name, StabsFile** file);

// Forgets the lookups; the next query builds them again from the tables.
void DropStabsIndexes();
