// Memory that a refused large load took goes back to the system, not only to the heap.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "image/IntelHex.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace {

// Resident size of the process in bytes, from /proc/self/statm.
long ResidentBytes()
{
    long size = 0, resident = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%ld %ld", &size, &resident) != 2)
        resident = -1;
    if (statm)
        fclose(statm);
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace

TEST(ReleaseFreedMemory, ARefusedLargeLoadGivesItsRecordsBack)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocator keeps freed memory by design";
#endif
    // 300,000 records of 16 bytes (about 25 MB of small blocks), then a bad line.
    const int kRecords = 300000;
    CTempFolder folder;
    std::string path;
    {
        std::string text;
        const std::string line = ":10000000000102030405060708090A0B0C0D0E0F78\n";
        text.reserve(line.size() * kRecords + 16);
        for (int i = 0; i < kRecords; ++i)
            text += line;
        path = folder.Write("large.hex", text + ":0100000000FE\n");
    }
    CScriptedUi ui;
    CIntelHex store;
    HexRecord* list = NULL;
    const long before = ResidentBytes();
    ASSERT_GT(before, 0);
    EXPECT_EQ(store.ReadFile(path.c_str(), &list, 0), nullptr);
    EXPECT_EQ(store.m_pNewest, nullptr);
    EXPECT_LT(ResidentBytes() - before, 8L << 20);
}
