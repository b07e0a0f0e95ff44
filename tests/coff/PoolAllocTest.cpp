#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/coff/CoffTestSupport.h"

namespace {

using PoolAllocTest = CoffTest;

std::vector<PoolBlock*> Chain(PoolBlock* first)
{
    std::vector<PoolBlock*> blocks;
    for (PoolBlock* block = first; block; block = block->next)
        blocks.push_back(block);
    return blocks;
}

bool AllZero(const void* bytes, size_t count)
{
    const BYTE* p = static_cast<const BYTE*>(bytes);
    for (size_t i = 0; i < count; ++i)
        if (p[i])
            return false;
    return true;
}

TEST_F(PoolAllocTest, RequestsAreRoundedToPointerAlignmentAndZeroFilled)
{
    struct Case {
        size_t count, size, advance;
    };
    const Case cases[] = {{1, 1, kPoolAlignment}, {3, 5, 16}, {2, 8, 16}, {1, 9, 16}, {12, 1, 16}};
    for (const Case& c : cases) {
        BYTE* first = static_cast<BYTE*>(PoolAlloc(c.count, c.size));
        BYTE* second = static_cast<BYTE*>(PoolAlloc(1, 1));
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(c.advance, (size_t)(second - first)) << c.count << " x " << c.size;
        EXPECT_EQ(0u, (uintptr_t)first % alignof(void*));
        EXPECT_TRUE(AllZero(first, c.count * c.size));
    }
    EXPECT_EQ(8u, kPoolAlignment) << "two one-byte requests are a pointer apart on this host";
    EXPECT_EQ(1u, Chain(thePoolFirst).size());
}

TEST_F(PoolAllocTest, AFullBlockIsFollowedByANewOneOnlyForANonEmptyRequest)
{
    BYTE* start = static_cast<BYTE*>(PoolAlloc(1, kPoolBlockSize - 8));
    BYTE* last = static_cast<BYTE*>(PoolAlloc(8, 1));
    EXPECT_EQ(start + kPoolBlockSize - 8, last);
    EXPECT_EQ(0, thePoolLeft);
    PoolAlloc(0, 16);
    EXPECT_EQ(1u, Chain(thePoolFirst).size()) << "a request of 0 bytes opens no block";

    BYTE* next = static_cast<BYTE*>(PoolAlloc(1, 1));
    std::vector<PoolBlock*> blocks = Chain(thePoolFirst);
    ASSERT_EQ(2u, blocks.size());
    EXPECT_EQ(blocks[1], thePoolLast) << "new blocks join the chain at its end";
    EXPECT_EQ(reinterpret_cast<BYTE*>(blocks[1] + 1), next);

    // A request that does not fit the rest abandons it.
    PoolAlloc(1, kPoolBlockSize - 16);
    PoolAlloc(1, 24);
    EXPECT_EQ(3u, Chain(thePoolFirst).size());
}

TEST_F(PoolAllocTest, LargeRequestsGetABlockOfTheirOwn)
{
    PoolAlloc(1, 100);
    BYTE* large = static_cast<BYTE*>(PoolAlloc(400, sizeof(CoffSection)));
    ASSERT_NE(large, nullptr);
    EXPECT_TRUE(AllZero(large, 400 * sizeof(CoffSection)));
    memset(large, 0x5A, 400 * sizeof(CoffSection));  // the whole of it is ours
    std::vector<PoolBlock*> blocks = Chain(thePoolFirst);
    ASSERT_EQ(2u, blocks.size());
    EXPECT_EQ(400 * sizeof(CoffSection), blocks[1]->capacity);
    EXPECT_NE(nullptr, PoolAlloc(1, 1));
    EXPECT_EQ(3u, Chain(thePoolFirst).size());
    // Freed with the rest: the leak checker of the sanitizer build sees to it.
}

TEST_F(PoolAllocTest, OverflowingOrHugeRequestsFailWithoutChangingThePool)
{
    PoolAlloc(1, 8);
    BYTE* next = thePoolNext;
    EXPECT_EQ(nullptr, PoolAlloc(SIZE_MAX / 2, 3));
    EXPECT_EQ(nullptr, PoolAlloc(1, (size_t)INT32_MAX));
    EXPECT_EQ(nullptr, ScratchAlloc(SIZE_MAX, SIZE_MAX));
    EXPECT_EQ(nullptr, ZeroAllocN(SIZE_MAX / 2, 3));
    EXPECT_EQ(next, thePoolNext);
    EXPECT_EQ(1u, Chain(thePoolFirst).size());
}

TEST_F(PoolAllocTest, FreeingEmptiesTheWholeReaderState)
{
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open([] {
        CHyeWriter writer;
        writer.AddSection("code", 0, 4);
        return writer.Build();
    }())));
    ASSERT_NE(theCoffSections, nullptr);
    FreeReaderMemory();
    EXPECT_EQ(nullptr, thePoolFirst);
    EXPECT_EQ(0, thePoolLeft);
    EXPECT_EQ(nullptr, theCoffSections);
    EXPECT_EQ(0, theCoffHeader.magic);
    EXPECT_EQ(0u, theCoffOptHeader.entryAddress);

    BYTE* fresh = static_cast<BYTE*>(PoolAlloc(1, 4));
    EXPECT_EQ(thePoolFirst, thePoolLast);
    EXPECT_EQ(reinterpret_cast<BYTE*>(thePoolFirst + 1), fresh) << "a new first block";
}

TEST_F(PoolAllocTest, ScratchResetReusesTheKeptBlocksInOrderAndZeroed)
{
    ScratchReset();
    EXPECT_EQ(nullptr, theScratchFirst) << "a reset of an empty pool leaves it empty";
    EXPECT_EQ(0, theScratchLeft);

    // Two blocks' worth, every byte written.
    std::vector<BYTE*> handed;
    for (int i = 0; i < 4; ++i) {
        handed.push_back(static_cast<BYTE*>(ScratchAlloc(1, kPoolBlockSize / 2)));
        memset(handed.back(), 0xEE, kPoolBlockSize / 2);
    }
    EXPECT_EQ(handed.back(), theScratchLast);
    std::vector<PoolBlock*> blocks = Chain(theScratchFirst);
    ASSERT_EQ(2u, blocks.size());

    ScratchReset();
    for (int i = 0; i < 4; ++i) {
        BYTE* again = static_cast<BYTE*>(ScratchAlloc(kPoolBlockSize / 2, 1));
        EXPECT_EQ(handed[i], again) << "kept blocks in their order";
        EXPECT_TRUE(AllZero(again, kPoolBlockSize / 2));
    }
    EXPECT_EQ(2u, Chain(theScratchFirst).size());
    ScratchAlloc(1, 1);
    EXPECT_EQ(3u, Chain(theScratchFirst).size()) << "a new block only once the kept ones are used";

    // A large request after a reset passes over kept blocks too small for it.
    ScratchReset();
    ScratchAlloc(1, 8);
    BYTE* large = static_cast<BYTE*>(ScratchAlloc(1, kPoolBlockSize + 1));
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(4u, Chain(theScratchFirst).size());
    EXPECT_TRUE(AllZero(large, kPoolBlockSize + 1));
}

} // namespace
