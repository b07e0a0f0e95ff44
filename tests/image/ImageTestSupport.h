// Helpers shared by the record store tests.
#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "image/IntelHex.h"
#include "platform/base/FailureDetail.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

// A store whose record allocations fail once `m_nAllowed` more have succeeded.
class CLimitedIntelHex : public CIntelHex {
public:
    int m_nAllowed = 1 << 30;

protected:
    void* AllocateRecordBlock(size_t bytes) override
    {
        return m_nAllowed-- > 0 ? CIntelHex::AllocateRecordBlock(bytes) : NULL;
    }
};

// Checks both lists in both directions and that each record of `heads` points back at its
// head variable; the module lists plus the records in no list must make up the whole store.
// Returns the number of records.
inline int CheckInvariants(CIntelHex& store, const std::vector<HexRecord**>& heads)
{
    int total = 0, unowned = 0, owned = 0;
    HexRecord* newer = NULL;
    for (HexRecord* record = store.m_pNewest; record; newer = record, record = record->m_pOlder) {
        EXPECT_EQ(record->m_pNewer, newer);
        ++total;
        unowned += record->m_ppOwner == NULL;
    }
    for (HexRecord** head : heads) {
        HexRecord* previous = NULL;
        for (HexRecord* record = *head; record; previous = record, record = record->m_pNext) {
            EXPECT_EQ(record->m_ppOwner, head);
            EXPECT_EQ(record->m_pPrev, previous);
            ++owned;
        }
    }
    EXPECT_EQ(owned + unowned, total) << "a record hangs on a list that the test does not know";
    return total;
}

inline std::vector<BYTE> Bytes(const HexRecord* record)
{
    return std::vector<BYTE>(record->m_pData, record->m_pData + record->m_nCount);
}

inline DWORD FirstAddressOf(const HexRecord* record)
{
    return record->m_dwBase + record->m_wAddress;
}

inline int CountList(HexRecord* head)
{
    int count = 0;
    for (; head; head = head->m_pNext)
        ++count;
    return count;
}
