// The memory of the COFF and STABS reader. Everything built for one file (section table,
// symbol tables, copied names) is carved from one pool of large zero-filled blocks and given
// back all at once by FreeReaderMemory. A second pool of the same kind (the scratch pool) is
// rewound and reused instead of freed.
//
// Requests are rounded up to a multiple of kPoolAlignment, so every address handed out is
// aligned for a pointer; memory handed out is zero-filled and never freed one at a time. A
// request larger than kPoolBlockSize gets a block of its own in the same chain. Every function
// that hands out memory returns NULL when count * size overflows or the heap is exhausted.
#pragma once

#include <cstddef>

#include "platform/base/WinTypes.h"

constexpr size_t kPoolBlockSize = 16384;
constexpr size_t kPoolAlignment = alignof(void*);

// One block of a pool: the header, then `capacity` usable bytes.
struct PoolBlock {
    PoolBlock* next;  // next block of the same pool, in creation order
    size_t capacity;  // kPoolBlockSize, or the size of the one large request it holds
};

// The reader pool. thePoolLast is the block being carved, thePoolNext its next free byte and
// thePoolLeft the bytes still free in it (0 when there is no block).
extern int thePoolLeft;
extern PoolBlock* thePoolFirst;
extern PoolBlock* thePoolLast;
extern BYTE* thePoolNext;

// count * size bytes, rounded up, from the reader pool. A request that does not fit the rest
// of the current block opens a new one and abandons that rest; a request of 0 bytes opens
// none and returns the next free byte (NULL while the pool has no block).
void* PoolAlloc(size_t count, size_t size);

// Frees every block of the reader pool and empties the reader's whole state: the headers and
// section table of coff/CoffReader.h, the file list, hash and parse state of
// coff/StabsTable.h, and the current entry of the line query (coff/StabsQueries.h). Every
// pointer handed out before is invalid afterwards.
void FreeReaderMemory();

// The scratch pool: theScratchCurrent is the block being carved, theScratchLast the address
// handed out last.
extern int theScratchLeft;
extern PoolBlock* theScratchFirst;
extern PoolBlock* theScratchCurrent;
extern BYTE* theScratchNext;
extern BYTE* theScratchLast;

// count * size bytes, rounded up, from the scratch pool; after ScratchReset the kept blocks
// are used again in their order before a new one is made.
void* ScratchAlloc(size_t count, size_t size);
// Zero-fills every block of the scratch pool and rewinds it to its first block; no block is
// freed. On a pool without blocks it does nothing.
void ScratchReset();

// n zero-filled bytes from the general heap, released with free(); NULL when the heap cannot
// supply them.
void* ZeroAlloc(size_t n);
// ZeroAlloc(count * size); NULL when the product overflows.
void* ZeroAllocN(size_t count, size_t size);
