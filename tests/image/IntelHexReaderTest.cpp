#include <cstdlib>

#include "tests/image/ImageTestSupport.h"

namespace {

const char kTwoRecords[] = ":0400100001020304E2\r\n:02002000AABB79\r\n:00000001FF\r\n";

class IntelHexReaderTest : public ::testing::Test {
protected:
    HexRecord* Load(const std::string& text, HexRecord** list, DWORD base = 0)
    {
        return m_store.ReadFile(m_folder.Write("in.hex", text).c_str(), list, base);
    }
    // Puts a record into the list, to see whether a rejected file deletes it too.
    void Preload() { m_store.AddWordRecord(&m_list, 0x8000, 0, 0x1234); }

    CTempFolder m_folder;
    CScriptedUi m_ui;  // fails the test on any message box not expected
    CIntelHex m_store;
    HexRecord* m_list = NULL;
    HexRecord* m_other = NULL;
};

TEST_F(IntelHexReaderTest, ReadsDataRecordsAtTheCallersBase)
{
    HexRecord* head = Load(kTwoRecords, &m_list, 0x80000);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head, m_list);
    EXPECT_EQ(CheckInvariants(m_store, {&m_list}), 2);
    EXPECT_EQ(head->m_wAddress, 0x20);
    EXPECT_EQ(head->m_dwBase, 0x80000u);
    EXPECT_EQ(Bytes(head), (std::vector<BYTE>{0xAA, 0xBB}));
    EXPECT_EQ(Bytes(head->m_pNext), (std::vector<BYTE>{1, 2, 3, 4}));

    Load(kTwoRecords, &m_list);
    EXPECT_EQ(CountList(m_list), 4) << "reading a file again adds its records again";
}

TEST_F(IntelHexReaderTest, SkipsAnythingBetweenRecordsAndReadsLowerCase)
{
    ASSERT_NE(Load(":02002000aabb79 junk\t:0400100001020304e2:00000001ff", &m_list), nullptr);
    EXPECT_EQ(Bytes(m_list->m_pNext), (std::vector<BYTE>{0xAA, 0xBB}));
}

TEST_F(IntelHexReaderTest, EndRecordDecidesAloneAndNothingAfterItIsRead)
{
    EXPECT_EQ(Load(":00000001FF\r\n", &m_list), nullptr) << "nothing loaded into an empty list";
    Preload();
    HexRecord* before = m_list;
    EXPECT_EQ(Load(":00000001FF\r\n", &m_list), before);
    // A wrong or missing end checksum is accepted; what follows the end record is not read.
    EXPECT_NE(Load(":0100000055AA\n:00000001EE\n:01000000zz", &m_list), nullptr);
    EXPECT_NE(Load(":0100000055AA\n:00000001", &m_other), nullptr);
    EXPECT_EQ(CheckInvariants(m_store, {&m_list, &m_other}), 3);
}

TEST_F(IntelHexReaderTest, ExtendedAddressesReplaceEachOtherAndAddTo32Bits)
{
    const char text[] = ":020000021000EC\n:0100000011EE\n"  // segment 0x1000 -> 0x10000
                        ":020000040002F8\n:0100000022DD\n"  // linear 2 -> 0x20000, not added to the segment
                        ":020000020000FC\n:0100000033CC\n"  // back to 0
                        ":00000001FF\n";
    ASSERT_NE(Load(text, &m_list, 0x100), nullptr);
    EXPECT_EQ(m_list->m_dwBase, 0x100u);
    EXPECT_EQ(m_list->m_pNext->m_dwBase, 0x20100u);
    EXPECT_EQ(m_list->m_pNext->m_pNext->m_dwBase, 0x10100u);

    ASSERT_NE(Load(":020000048000"
                   "7A\n:0100000011EE\n:00000001FF\n",
                   &m_other, 0x80000000),
              nullptr);
    EXPECT_EQ(m_other->m_dwBase, 0u) << "base plus extended address wraps in 32 bits";
}

TEST_F(IntelHexReaderTest, RecordsMayRunAcrossA64KBoundaryOfTheirBase)
{
    std::string text = ":20FFF000" + std::string(64, '5') + "51\n:00000001FF\n";
    ASSERT_NE(Load(text, &m_list), nullptr);
    EXPECT_EQ(m_store.GetEndAddress(m_list), 0x10010u);
    EXPECT_TRUE(m_store.FindOverlap(NULL, 0x10000, 1));
}

struct RejectedFile {
    const char* name;
    const char* text;
    const char* detail;  // the second line under the caller's message
};

class IntelHexRejectTest : public IntelHexReaderTest, public ::testing::WithParamInterface<RejectedFile> {};

TEST_P(IntelHexRejectTest, RejectedFileTakesBackOnlyItsOwnRecordsAndSaysWhere)
{
    Preload();
    m_store.AddWordRecord(&m_other, 0, 0, 0x5555);
    CFailureDetail::Clear();
    EXPECT_EQ(Load(GetParam().text, &m_list), nullptr);
    ASSERT_EQ(CountList(m_list), 1) << "the records of earlier files stay";
    EXPECT_EQ(Bytes(m_list), (std::vector<BYTE>{0x12, 0x34}));
    EXPECT_EQ(CheckInvariants(m_store, {&m_list, &m_other}), 2);
    EXPECT_EQ(CFailureDetail::Get(), GetParam().detail);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, IntelHexRejectTest,
    ::testing::Values(
        RejectedFile{"Empty", "", "Line 1: no end record"},
        RejectedFile{"LeadingBlankLine", "\r\n:00000001FF\r\n", "Line 1: the file does not start with ':'"},
        RejectedFile{"ByteOrderMark", "\xEF\xBB\xBF:00000001FF\r\n", "Line 1: the file does not start with ':'"},
        RejectedFile{"StartSegmentAddress", ":0400000300001000E9\n:00000001FF\n",
                     "Line 1: start address records (type 03 and 05) are not read"},
        RejectedFile{"StartLinearAddress", ":0100100001EE\n:0400000500001000E7\n:00000001FF\n",
                     "Line 2: start address records (type 03 and 05) are not read"},
        RejectedFile{"UnknownType", ":0000000AF6\n:00000001FF\n", "Line 1: unknown record type"},
        RejectedFile{"DataChecksum", ":0100100001EE\n\n:0400100001020304E3\n:00000001FF\n", "Line 3: bad checksum"},
        RejectedFile{"BadCharacter", ":0100100001EE\n:04001000010G0304E3\n:00000001FF\n", "Line 2: bad character"},
        RejectedFile{"AddressChecksum", ":020000040001FA\n:00000001FF\n", "Line 1: bad checksum"},
        RejectedFile{"TruncatedInData", ":04001000010203", "Line 1: the record is cut short"},
        RejectedFile{"TruncatedInChecksum", ":0400100001020304E", "Line 1: the record is cut short"},
        RejectedFile{"MissingEndRecord", ":0400100001020304E2\r\n", "Line 2: no end record"},
        RejectedFile{"CountLongerThanAddressRecord", ":0400000400010000F7\n:00000001FF\n", "Line 1: bad checksum"},
        RejectedFile{"BeyondAddressSpace", ":02000004FFFFFC\n:02FFFF000102FD\n:00000001FF\n",
                     "Line 2: the record reaches past the 32-bit address range"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(IntelHexReaderTest, RecordEndingAtTheTopOfTheAddressSpaceIsAccepted)
{
    ASSERT_NE(Load(":02000004FFFFFC\n:01FFFF0042BF\n:00000001FF\n", &m_list), nullptr);
    EXPECT_EQ(m_store.GetEndAddress(NULL), 0xFFFFFFFFu) << "an end of 2^32 is reported saturated";
    EXPECT_EQ(m_store.BuildImage(0xFF, 0xFF), nullptr);
    EXPECT_EQ(m_store.CheckOverlap(), CIntelHex::statusNoMemory);
}

TEST_F(IntelHexReaderTest, BadHexDigitsAreJudgedByTheChecksumAlone)
{
    EXPECT_EQ(CIntelHex::HexDigitValue('f'), 15);
    EXPECT_EQ(CIntelHex::HexDigitValue('G'), 0xFF);
    // "G1" reads as 0xF1 and "1G" as 0xFF; the checksum is right for those values.
    ASSERT_NE(Load(":02000000G11G0E\n:00000001FF\n", &m_list), nullptr);
    EXPECT_EQ(Bytes(m_list), (std::vector<BYTE>{0xF1, 0xFF}));
}

TEST_F(IntelHexReaderTest, UnopenableFileIsReportedAndLeavesTheListAlone)
{
    Preload();
    std::string path = m_folder / "missing.hex";
    m_ui.ExpectMessage("Unable to open download file\n" + path + ": No such file or directory", MB_OK, IDOK);
    setenv("QUILLET_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    HexRecord* head = m_store.ReadFile(path.c_str(), &m_list, 0);
    std::string debug = testing::internal::GetCapturedStderr();
    unsetenv("QUILLET_DEBUG");

    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(CountList(m_list), 1);
    EXPECT_EQ(debug, "File could not be opened 2\n");
    EXPECT_FALSE(CFailureDetail::IsSet()) << "shown once, not again under the caller's text";
}

TEST_F(IntelHexReaderTest, NoListOrNoMemoryMeansNoRecords)
{
    Preload();
    EXPECT_EQ(Load("not a hex file", NULL), nullptr);
    EXPECT_EQ(CountList(m_list), 1) << "a NULL list must not empty the store";

    CLimitedIntelHex store;
    store.m_nAllowed = 1;
    HexRecord* list = NULL;
    EXPECT_EQ(store.ReadFile(m_folder.Write("a.hex", kTwoRecords).c_str(), &list, 0), nullptr);
    EXPECT_EQ(store.m_pNewest, nullptr);
}

}  // namespace
