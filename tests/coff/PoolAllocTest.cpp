#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/coff/CoffTestSupport.h"

namespace {

using PoolAllocTest = CoffTest;

size_t ChainLength(PoolBlock* block)
{
    size_t length = 0;
    for (; block; block = block->next)
        ++length;
    return length;
}

bool AllZero(const void* bytes, size_t count)
{
    const BYTE* p = static_cast<const BYTE*>(bytes);
    return count == 0 || (p[0] == 0 && memcmp(p, p + 1, count - 1) == 0);
}

TEST_F(PoolAllocTest, RequestsAreRoundedToPointerAlignmentAndZeroFilled)
{
    const size_t cases[][3] = {{1, 1, 8}, {3, 5, 16}, {2, 8, 16}, {1, 9, 16}};  // count, size, step
    for (const auto& c : cases) {
        BYTE* first = static_cast<BYTE*>(PoolAlloc(c[0], c[1]));
        BYTE* second = static_cast<BYTE*>(PoolAlloc(1, 1));
        EXPECT_EQ(c[2], (size_t)(second - first)) << c[0] << " x " << c[1];
        EXPECT_EQ(0u, (uintptr_t)first % alignof(void*));
        EXPECT_TRUE(AllZero(first, c[0] * c[1]));
    }
    EXPECT_EQ(nullptr, PoolAlloc(SIZE_MAX / 2, 3)) << "overflow";
    EXPECT_EQ(nullptr, PoolAlloc(1, (size_t)INT32_MAX));
    EXPECT_EQ(nullptr, ZeroAllocN(SIZE_MAX / 2, 3));
    EXPECT_EQ(1u, ChainLength(thePoolFirst));
}

TEST_F(PoolAllocTest, BlocksFillUpLargeRequestsStandAloneAndFreeingEmptiesAll)
{
    BYTE* start = static_cast<BYTE*>(PoolAlloc(1, kPoolBlockSize - 8));
    EXPECT_EQ(start + kPoolBlockSize - 8, PoolAlloc(8, 1)) << "the block's last bytes";
    PoolAlloc(0, 16);
    EXPECT_EQ(1u, ChainLength(thePoolFirst)) << "a request of 0 bytes opens no block";
    BYTE* next = static_cast<BYTE*>(PoolAlloc(1, 1));
    EXPECT_EQ(2u, ChainLength(thePoolFirst));
    EXPECT_EQ(reinterpret_cast<BYTE*>(thePoolLast + 1), next) << "new blocks join at the end";

    BYTE* large = static_cast<BYTE*>(PoolAlloc(400, sizeof(CoffSection)));
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(400 * sizeof(CoffSection), thePoolLast->capacity) << "a block of its own";
    EXPECT_TRUE(AllZero(large, 400 * sizeof(CoffSection)));
    memset(large, 0x5A, 400 * sizeof(CoffSection));  // all of it is ours
    PoolAlloc(1, 1);
    EXPECT_EQ(4u, ChainLength(thePoolFirst));

    theCoffHeader.magic = kCoffMagic;
    theCoffSections = reinterpret_cast<CoffSection*>(large);
    FreeReaderMemory();  // every block, the large one too (the leak checker watches)
    EXPECT_EQ(nullptr, thePoolFirst);
    EXPECT_EQ(0, thePoolLeft);
    EXPECT_EQ(nullptr, theCoffSections);
    EXPECT_EQ(0, theCoffHeader.magic);
    EXPECT_EQ(reinterpret_cast<BYTE*>(thePoolFirst + 1), PoolAlloc(1, 4)) << "a new first block";
}

TEST_F(PoolAllocTest, ScratchResetReusesTheKeptBlocksInOrderAndZeroed)
{
    ScratchReset();
    EXPECT_EQ(nullptr, theScratchFirst) << "a reset of an empty pool leaves it empty";
    std::vector<BYTE*> handed;
    for (int i = 0; i < 4; ++i) {
        handed.push_back(static_cast<BYTE*>(ScratchAlloc(1, kPoolBlockSize / 2)));
        memset(handed.back(), 0xEE, kPoolBlockSize / 2);
    }
    EXPECT_EQ(handed.back(), theScratchLast);
    ASSERT_EQ(2u, ChainLength(theScratchFirst));

    ScratchReset();
    for (int i = 0; i < 4; ++i) {
        BYTE* again = static_cast<BYTE*>(ScratchAlloc(kPoolBlockSize / 2, 1));
        EXPECT_EQ(handed[i], again) << "kept blocks in their order";
        EXPECT_TRUE(AllZero(again, kPoolBlockSize / 2));
    }
    ScratchAlloc(1, 1);
    EXPECT_EQ(3u, ChainLength(theScratchFirst)) << "a new block once the kept ones are used";

    ScratchReset();
    ScratchAlloc(1, 8);
    ASSERT_NE(nullptr, ScratchAlloc(1, kPoolBlockSize + 1)) << "passes over kept blocks too small";
    EXPECT_EQ(4u, ChainLength(theScratchFirst));
}

}  // namespace
