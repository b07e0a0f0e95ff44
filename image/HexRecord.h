// One data record of the record store: a run of bytes at one address, hung on one module list
// (a HexRecord* head variable that a target owns) and on the store's list of all records.
#pragma once

#include "platform/base/WinTypes.h"

struct HexRecord {
    BYTE m_nCount;          // number of data bytes
    WORD m_wAddress;        // 16-bit load offset from the file; never wraps, so a record may
                            // run on past a 64 KB boundary of its base
    DWORD m_dwBase;         // reader's base plus the extended address in force
    BYTE* m_pData;          // m_nCount bytes; the store allocates them with the record
    HexRecord* m_pPrev;     // towards the head of the module list; NULL for the head
    HexRecord* m_pNext;     // NULL for the last record of the module list
    HexRecord** m_ppOwner;  // head variable of the module list; NULL while in none
    HexRecord* m_pNewer;    // store-wide list: NULL for the newest record
    HexRecord* m_pOlder;    // store-wide list: NULL for the oldest record
};
