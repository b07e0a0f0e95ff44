#include <memory>

#include "tests/image/ImageTestSupport.h"

namespace {

class ImageBuildTest : public ::testing::Test {
protected:
    // A record whose bytes are `first`, first + 1, ... so that moved pieces can be checked.
    HexRecord* Add(HexRecord** list, BYTE count, WORD address, DWORD base = 0, BYTE first = 0)
    {
        HexRecord* record = m_store.NewRecord(list, count, address, base);
        for (int i = 0; i < count; ++i)
            record->m_pData[i] = (BYTE)(first + i);
        return record;
    }
    int Check() { return CheckInvariants(m_store, {&m_source, &m_other, &m_to}); }
    std::unique_ptr<BYTE[]> Image(BYTE odd = 0xFF, BYTE even = 0xFF)
    {
        return std::unique_ptr<BYTE[]>(m_store.BuildImage(odd, even));
    }

    CIntelHex m_store;
    HexRecord* m_source = NULL;
    HexRecord* m_other = NULL;
    HexRecord* m_to = NULL;
};

TEST_F(ImageBuildTest, EmptyStoreHasNoImage)
{
    EXPECT_EQ(m_store.GetEndAddress(NULL), 0u);
    EXPECT_EQ(Image(), nullptr);
    EXPECT_EQ(m_store.CheckOverlap(), CIntelHex::statusNoData);
    Add(&m_source, 0, 0);
    EXPECT_EQ(m_store.CheckOverlap(), CIntelHex::statusNoData) << "end address 0";
}

TEST_F(ImageBuildTest, GapsTakeTheOddAndEvenFills)
{
    Add(&m_source, 16, 0x10, 0, 0xA0);
    EXPECT_EQ(m_store.GetEndAddress(NULL), 0x20u);
    auto image = Image(0x3F, 0xFF);
    for (int i = 0; i < 0x10; ++i) {
        EXPECT_EQ(image[i], i % 2 ? 0x3F : 0xFF) << i;
        EXPECT_EQ(image[0x10 + i], 0xA0 + i) << i;
    }
}

TEST_F(ImageBuildTest, OverlaidBytesAreFoundAndTheOldestWinsWhileSetByteChangesTheNewest)
{
    Add(&m_source, 4, 0x100, 0, 0x11);
    HexRecord* newer = Add(&m_other, 1, 0x101, 0, 0x99);
    EXPECT_EQ(m_store.CheckOverlap(), CIntelHex::statusOverlaid);
    EXPECT_EQ(Image()[0x101], 0x12);
    EXPECT_TRUE(m_store.SetByte(0x101, 0x77));
    EXPECT_EQ(newer->m_pData[0], 0x77);
    EXPECT_FALSE(m_store.SetByte(0x50, 0x77));
    EXPECT_EQ(Check(), 2);
}

TEST_F(ImageBuildTest, MissingDataAndHugeImagesFailTheWalks)
{
    Add(&m_source, 4, 8)->m_pData = NULL;
    EXPECT_EQ(m_store.CheckOverlap(), CIntelHex::statusBadRecord);
    EXPECT_EQ(Image(), nullptr);
    m_store.DeleteRecords(NULL);

    Add(&m_source, 1, 0, 0x10000000);
    EXPECT_EQ(m_store.GetEndAddress(NULL), 0x10000001u);
    EXPECT_EQ(m_store.CheckOverlap(), CIntelHex::statusNoMemory) << "above 256 MiB";
    EXPECT_EQ(Image(), nullptr);
}

TEST_F(ImageBuildTest, WindowTestCoversEdgesGapsAndTheTopOfTheAddressSpace)
{
    Add(&m_source, 16, 0x0010, 0x10000);
    Add(&m_other, 0, 0x0000, 0x20000);
    EXPECT_TRUE(m_store.FindOverlap(NULL, 0x10000, 0x100));
    EXPECT_TRUE(m_store.FindOverlap(m_source, 0x1001F, 1));
    EXPECT_FALSE(m_store.FindOverlap(NULL, 0x10020, 0x100));
    EXPECT_FALSE(m_store.FindOverlap(NULL, 0x10000, 0x10));
    EXPECT_FALSE(m_store.FindOverlap(NULL, 0x10010, 0)) << "an empty window holds nothing";
    EXPECT_FALSE(m_store.FindOverlap(m_other, 0x20000, 0x10)) << "count 0 covers nothing";
    EXPECT_FALSE(m_store.FindOverlap(NULL, 0xFFFFFF00, 0x200)) << "the window must not wrap";
    EXPECT_EQ(m_store.GetEndAddress(m_source), 0x10020u);
}

TEST_F(ImageBuildTest, WordRecordsAndSplitsKeepEveryByteAtItsAddress)
{
    EXPECT_EQ(Bytes(m_store.AddWordRecord(&m_source, 0x10, 0x100, 0xBEEF)), (std::vector<BYTE>{0xBE, 0xEF}));
    HexRecord* record = Add(&m_source, 16, 0xFFF8, 0x20000, 0);
    EXPECT_EQ(m_store.SplitRecord(record, 0), nullptr);
    EXPECT_EQ(m_store.SplitRecord(record, 16), nullptr);
    HexRecord* tail = m_store.SplitRecord(record, 10);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(tail->m_dwBase, 0x30000u) << "the offset's carry goes into the base";
    EXPECT_EQ(tail->m_wAddress, 0x0002);
    EXPECT_EQ(Bytes(tail), (std::vector<BYTE>{10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(record->m_nCount, 10);
    EXPECT_EQ(tail->m_ppOwner, nullptr);
    EXPECT_EQ(m_store.m_pNewest, tail);
}

TEST_F(ImageBuildTest, ExtractRangeMovesWholeRecordsAndCutsAtBothEdges)
{
    HexRecord* inside = Add(&m_source, 8, 0x100);
    HexRecord* spanning = Add(&m_source, 32, 0x200);
    Add(&m_other, 8, 0x300);
    EXPECT_TRUE(m_store.ExtractRange(&m_to, 0x100, 0x8));
    EXPECT_EQ(m_to, inside);
    EXPECT_TRUE(m_store.ExtractRange(&m_to, 0x208, 8));

    EXPECT_EQ(Check(), 5);
    EXPECT_EQ(CountList(m_to), 2);
    EXPECT_EQ(FirstAddressOf(m_to), 0x208u);
    EXPECT_EQ(Bytes(m_to), (std::vector<BYTE>{8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(spanning->m_nCount, 8);
    EXPECT_EQ(FirstAddressOf(m_source), 0x210u) << "the piece after the window stays in its block";
    EXPECT_EQ(m_store.GetEndAddress(m_source), 0x220u);
    EXPECT_EQ(CountList(m_other), 1);
}

TEST_F(ImageBuildTest, ExtractRangeCutsAPieceAcrossA64KBoundary)
{
    Add(&m_source, 16, 0xFFF8, 0, 0x40);
    EXPECT_TRUE(m_store.ExtractRange(&m_to, 0x10000, 0x10000));
    EXPECT_EQ(FirstAddressOf(m_to), 0x10000u);
    EXPECT_EQ(Bytes(m_to), (std::vector<BYTE>{0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F}));
    EXPECT_EQ(FirstAddressOf(m_source), 0xFFF8u);
    EXPECT_EQ(m_source->m_nCount, 8);
    EXPECT_EQ(Check(), 2);
}

TEST_F(ImageBuildTest, ExtractRangeKeepsEarlierDestinationRecordsAndReportsAnEmptyResult)
{
    EXPECT_FALSE(m_store.ExtractRange(NULL, 0, 0x100));
    EXPECT_FALSE(m_store.ExtractRange(&m_to, 0, 0x100));
    HexRecord* earlier = Add(&m_to, 4, 0x4000);
    Add(&m_to, 4, 0x4004);
    EXPECT_TRUE(m_store.ExtractRange(&m_to, 0, 0x100)) << "the list holds records from before";
    EXPECT_TRUE(m_store.ExtractRange(&m_to, 0x4002, 4));
    EXPECT_EQ(CountList(m_to), 4) << "records already there stay, cut at the edges";
    EXPECT_EQ(earlier->m_nCount, 2);
    EXPECT_EQ(Check(), 4);
}

TEST(ImageBuildAllocation, FailedCutEndsExtractRangeWithEveryRecordInABlock)
{
    CLimitedIntelHex store;
    HexRecord* source = NULL;
    HexRecord* to = NULL;
    HexRecord* record = store.NewRecord(&source, 32, 0, 0);
    for (int i = 0; i < 32; ++i)
        record->m_pData[i] = (BYTE)i;
    store.m_nAllowed = 1;
    EXPECT_FALSE(store.ExtractRange(&to, 8, 8));
    EXPECT_EQ(to, nullptr);
    EXPECT_EQ(CheckInvariants(store, {&source, &to}), 2);
    std::unique_ptr<BYTE[]> image(store.BuildImage(0xFF, 0xFF));
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(image[i], i);
}

TEST(ImageStatusText, EveryStatusHasItsTextAndButtons)
{
    EXPECT_EQ(CIntelHex::GetStatusText(0), nullptr);
    EXPECT_STREQ(CIntelHex::GetStatusText(1), "No data present to program");
    EXPECT_STREQ(CIntelHex::GetStatusText(2), "Internal memory error");
    EXPECT_STREQ(CIntelHex::GetStatusText(3), "Invalid Intel HEX file record");
    EXPECT_STREQ(CIntelHex::GetStatusText(4), "Overlaid data has been detected, continue");
    EXPECT_STREQ(CIntelHex::GetStatusText(5), "Internal error building binary image");
    EXPECT_EQ(CIntelHex::GetStatusMessageType(4), (UINT)MB_YESNO);
    EXPECT_EQ(CIntelHex::GetStatusMessageType(1), (UINT)MB_OK);
}

}  // namespace
