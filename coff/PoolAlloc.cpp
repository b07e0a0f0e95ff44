#include "coff/PoolAlloc.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "coff/CoffReader.h"
#include "coff/StabsIndex.h"
#include "coff/StabsQueries.h"
#include "coff/StabsTable.h"

int thePoolLeft = 0;
PoolBlock* thePoolFirst = NULL;
PoolBlock* thePoolLast = NULL;
BYTE* thePoolNext = NULL;

int theScratchLeft = 0;
PoolBlock* theScratchFirst = NULL;
PoolBlock* theScratchCurrent = NULL;
BYTE* theScratchNext = NULL;
BYTE* theScratchLast = NULL;

namespace {

// The bytes left in a block are kept in an int, so no request may come near INT_MAX.
constexpr size_t kLargestRequest = (size_t)INT_MAX - kPoolBlockSize;

static_assert(sizeof(PoolBlock) % kPoolAlignment == 0, "usable bytes start aligned");

BYTE* UsableBytes(PoolBlock* block)
{
    return reinterpret_cast<BYTE*>(block + 1);
}

// count * size rounded up to the alignment; false when that cannot be served.
bool RoundedSize(size_t count, size_t size, size_t& rounded)
{
    size_t bytes;
    if (__builtin_mul_overflow(count, size, &bytes) || bytes > kLargestRequest)
        return false;
    rounded = (bytes + kPoolAlignment - 1) & ~(kPoolAlignment - 1);
    return true;
}

// A zero-filled block with room for at least `bytes`.
PoolBlock* NewBlock(size_t bytes)
{
    size_t capacity = bytes > kPoolBlockSize ? bytes : kPoolBlockSize;
    PoolBlock* block = static_cast<PoolBlock*>(ZeroAlloc(sizeof(PoolBlock) + capacity));
    if (block)
        block->capacity = capacity;
    return block;
}

// Makes `block` the one being carved.
void Enter(PoolBlock* block, BYTE*& next, int& left)
{
    next = UsableBytes(block);
    left = (int)block->capacity;
}

BYTE* HandOut(size_t bytes, BYTE*& next, int& left)
{
    BYTE* result = next;
    next += bytes;
    left -= (int)bytes;
    return result;
}

}  // namespace

void* PoolAlloc(size_t count, size_t size)
{
    size_t bytes;
    if (!RoundedSize(count, size, bytes))
        return NULL;
    if ((size_t)thePoolLeft < bytes) {
        PoolBlock* block = NewBlock(bytes);
        if (!block)
            return NULL;
        if (thePoolFirst)
            thePoolLast->next = block;
        else
            thePoolFirst = block;
        thePoolLast = block;
        Enter(block, thePoolNext, thePoolLeft);
    }
    return HandOut(bytes, thePoolNext, thePoolLeft);
}

void FreeReaderMemory()
{
    for (PoolBlock* block = thePoolFirst; block;) {
        PoolBlock* next = block->next;
        free(block);
        block = next;
    }
    thePoolLeft = 0;
    thePoolFirst = NULL;
    thePoolLast = NULL;
    thePoolNext = NULL;

    theCoffSections = NULL;
    theStabsCurrentFile = NULL;
    theStabsFiles = NULL;
    memset(&theCoffHeader, 0, sizeof theCoffHeader);
    memset(&theCoffOptHeader, 0, sizeof theCoffOptHeader);
    memset(theStabsHash, 0, sizeof theStabsHash);
    // Nothing else may keep pointing into the blocks just freed.
    ResetStabsParseState();
    ForgetLineQueryEntry();
    DropStabsIndexes();
}

void* ScratchAlloc(size_t count, size_t size)
{
    size_t bytes;
    if (!RoundedSize(count, size, bytes))
        return NULL;
    while ((size_t)theScratchLeft < bytes) {
        PoolBlock* block = theScratchCurrent ? theScratchCurrent->next : theScratchFirst;
        if (!block) {
            block = NewBlock(bytes);
            if (!block)
                return NULL;
            if (theScratchCurrent)
                theScratchCurrent->next = block;
            else
                theScratchFirst = block;
        }
        // A kept block too small for a large request is passed over for this round.
        theScratchCurrent = block;
        Enter(block, theScratchNext, theScratchLeft);
    }
    theScratchLast = HandOut(bytes, theScratchNext, theScratchLeft);
    return theScratchLast;
}

void ScratchReset()
{
    if (!theScratchFirst)
        return;
    for (PoolBlock* block = theScratchFirst; block; block = block->next)
        memset(UsableBytes(block), 0, block->capacity);
    theScratchCurrent = theScratchFirst;
    Enter(theScratchFirst, theScratchNext, theScratchLeft);
}

void* ZeroAlloc(size_t n)
{
    return calloc(1, n ? n : 1);
}

void* ZeroAllocN(size_t count, size_t size)
{
    size_t bytes;
    if (__builtin_mul_overflow(count, size, &bytes))
        return NULL;
    return ZeroAlloc(bytes);
}
