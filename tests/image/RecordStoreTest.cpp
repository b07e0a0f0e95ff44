#include <memory>

#include "tests/image/ImageTestSupport.h"

namespace {

class RecordStoreTest : public ::testing::Test {
protected:
    HexRecord* Add(HexRecord** list, BYTE count = 1) { return m_store.NewRecord(list, count, 0, 0); }
    int Check() { return CheckInvariants(m_store, {&m_a, &m_b}); }

    CIntelHex m_store;
    HexRecord* m_a = NULL;
    HexRecord* m_b = NULL;
};

TEST_F(RecordStoreTest, ListsRunNewestFirstAndRecordsMoveBetweenThem)
{
    HexRecord* oldest = Add(&m_a, 4);
    HexRecord* other = Add(&m_b, 0);
    HexRecord* head = Add(&m_a);
    HexRecord* loose = Add(NULL);
    EXPECT_EQ(Check(), 4);
    EXPECT_EQ(m_a, head);
    EXPECT_EQ(head->m_pNext, oldest);
    EXPECT_EQ(m_store.m_pNewest, loose);

    m_store.Unlink(head);
    EXPECT_EQ(m_a, oldest) << "the head variable takes the next record";
    m_store.LinkAtHead(&m_b, head);
    m_store.LinkAtHead(&m_b, oldest);
    m_store.LinkAtHead(NULL, other);
    EXPECT_EQ(m_a, nullptr);
    EXPECT_EQ(m_b, oldest);
    EXPECT_EQ(oldest->m_pNext, head);
    EXPECT_EQ(Check(), 4);
}

TEST_F(RecordStoreTest, DeletingRecordsKeepsEveryHeadValid)
{
    HexRecord* a1 = Add(&m_a);
    Add(&m_b);
    HexRecord* a2 = Add(&m_a);
    HexRecord* newest = Add(&m_b);

    EXPECT_FALSE(m_store.DeleteRecord(NULL));
    EXPECT_TRUE(m_store.DeleteRecord(a2));
    EXPECT_EQ(m_a, a1);
    EXPECT_TRUE(m_store.DeleteRecord(newest));
    EXPECT_EQ(Check(), 2);
    m_store.DeleteRecords(&m_a);
    EXPECT_EQ(m_a, nullptr);
    EXPECT_EQ(Check(), 1);

    Add(&m_a);
    Add(NULL);
    m_store.DeleteRecords(NULL);
    EXPECT_EQ(m_a, nullptr);
    EXPECT_EQ(m_b, nullptr);
    EXPECT_EQ(m_store.m_pNewest, nullptr);
}

TEST(RecordStoreLifetime, DestructionFreesRecordsWithoutTouchingTheHeadsOfTargets)
{
    // The heads live in an object destroyed first, as the targets are at exit; a write through
    // the owner links would land in freed memory (caught under AddressSanitizer).
    auto store = std::make_unique<CIntelHex>();
    auto heads = std::make_unique<HexRecord*[]>(2);
    heads[0] = heads[1] = NULL;
    for (int i = 0; i < 100; ++i)
        store->NewRecord(&heads[i % 2], 16, (WORD)(i * 16), 0);
    heads.reset();
    store.reset();
}

TEST(RecordStoreAllocation, FailedAllocationReturnsNullAndChangesNothing)
{
    CLimitedIntelHex store;
    HexRecord* list = NULL;
    store.m_nAllowed = 1;
    HexRecord* kept = store.NewRecord(&list, 8, 0, 0);
    EXPECT_EQ(store.NewRecord(&list, 8, 8, 0), nullptr);
    EXPECT_EQ(store.AddWordRecord(&list, 16, 0, 0x1234), nullptr);
    EXPECT_EQ(list, kept);
    EXPECT_EQ(CheckInvariants(store, {&list}), 1);
}

} // namespace
