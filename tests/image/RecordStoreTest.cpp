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
    // At exit the targets that hold the heads are destroyed first, so a write through the
    // owner links would land in freed memory. Here the heads stay alive and must read as the
    // store left them: any write through the links shows.
    auto store = std::make_unique<CIntelHex>();
    HexRecord* heads[2] = {NULL, NULL};
    for (int i = 0; i < 100; ++i)
        store->NewRecord(&heads[i % 2], 16, (WORD)(i * 16), 0);
    HexRecord* before[2] = {heads[0], heads[1]};
    ASSERT_NE(before[0], nullptr);
    store.reset();
    EXPECT_EQ(heads[0], before[0]);
    EXPECT_EQ(heads[1], before[1]);
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

}  // namespace
