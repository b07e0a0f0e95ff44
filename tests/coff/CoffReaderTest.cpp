#include <cstring>

#include "tests/coff/CoffTestSupport.h"

namespace {

using CoffReaderTest = CoffTest;

CHyeWriter TwoSections()
{
    CHyeWriter writer;
    writer.AddSection("code", 0x8000, 0x14DC);
    int text = writer.AddSection("far_bss_sixteen!", 0x12345678, 0x88, false);
    writer.AddLine(text, 0x12345678, 7);
    writer.AddLine(text, 0x1234567A, 8);
    writer.AddSymbol("main", 0x8000, 2, 0x20);
    return writer;
}

TEST_F(CoffReaderTest, EveryHeaderFieldArrivesInHostOrder)
{
    CHyeWriter writer = TwoSections();
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(writer.Build())));

    EXPECT_EQ(0x1678, theCoffHeader.magic);
    EXPECT_EQ(2, theCoffHeader.sectionCount);
    EXPECT_EQ(0x5F3759DFu, theCoffHeader.timeStamp);
    EXPECT_EQ(writer.SymbolTableOffset(), theCoffHeader.symbolTableOffset);
    EXPECT_EQ(1u, theCoffHeader.symbolCount);
    EXPECT_EQ(32, theCoffHeader.optHeaderSize);
    EXPECT_EQ(0x0107, theCoffHeader.flags);

    EXPECT_EQ(0x010B, theCoffOptHeader.magic);
    EXPECT_EQ(0x0002, theCoffOptHeader.version);
    EXPECT_EQ(0x1000u, theCoffOptHeader.word4);
    EXPECT_EQ(0x2000u, theCoffOptHeader.word8);
    EXPECT_EQ(0x3000u, theCoffOptHeader.register23Start);
    EXPECT_EQ(0x4000u, theCoffOptHeader.word16);
    EXPECT_EQ(0x8000u, theCoffOptHeader.entryAddress);
    EXPECT_EQ(0x5000u, theCoffOptHeader.register22Start);
    EXPECT_EQ(0x6000u, theCoffOptHeader.register24Start);

    ASSERT_NE(theCoffSections, nullptr);
    const CoffSection& code = theCoffSections[0];
    EXPECT_STREQ("code", code.name);
    EXPECT_EQ(0x8000u, code.physicalAddress);
    EXPECT_EQ(0x8000u, code.virtualAddress);
    EXPECT_EQ(0x14DCu, code.size);
    EXPECT_EQ(20u + 32 + 2 * 48, code.rawDataOffset);
    EXPECT_EQ(0u, code.lineNumberOffset);
    EXPECT_EQ(0, code.lineNumberCount);
    EXPECT_EQ(0x20u, code.flags);
    const CoffSection& bss = theCoffSections[1];
    EXPECT_EQ(0, memcmp("far_bss_sixteen!", bss.name, 16)) << "all 16 name bytes, no terminator";
    EXPECT_EQ(0x12345678u, bss.physicalAddress);
    EXPECT_EQ(0u, bss.rawDataOffset) << "no data in the file";
    EXPECT_EQ(code.rawDataOffset + 0x14DC, bss.lineNumberOffset);
    EXPECT_EQ(2, bss.lineNumberCount);
}

TEST_F(CoffReaderTest, SectionTablesOfAnySizeAreRead)
{
    for (int count : {0, 1, 400}) {
        SCOPED_TRACE(count);
        FreeReaderMemory();
        CHyeWriter writer;
        for (int i = 0; i < count; ++i)
            writer.AddSection("s" + std::to_string(i), 0x1000u * i, 4, false);
        ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(writer.Build())));
        EXPECT_EQ(count, theCoffHeader.sectionCount);
        if (count == 0) {
            EXPECT_EQ(theCoffSections, nullptr);
            EXPECT_EQ(thePoolFirst, nullptr) << "nothing is allocated";
            continue;
        }
        ASSERT_NE(theCoffSections, nullptr);
        EXPECT_STREQ(("s" + std::to_string(count - 1)).c_str(), theCoffSections[count - 1].name);
        EXPECT_EQ(0x1000u * (count - 1), theCoffSections[count - 1].physicalAddress);
    }
}

TEST_F(CoffReaderTest, ZeroSectionsLeaveAnEarlierTableInPlace)
{
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(TwoSections().Build())));
    CoffSection* earlier = theCoffSections;
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(CHyeWriter().Build())));
    EXPECT_EQ(earlier, theCoffSections);
}

struct WrongHeader {
    const char* name;
    uint16_t magic;
    uint16_t optHeaderSize;
};

class CoffWrongHeaderTest : public CoffTest, public ::testing::WithParamInterface<WrongHeader> {};

TEST_P(CoffWrongHeaderTest, IsNotOfThisForm)
{
    CHyeWriter writer = TwoSections();
    writer.m_magic = GetParam().magic;
    writer.m_optHeaderSize = GetParam().optHeaderSize;
    EXPECT_EQ(kCoffNotThisForm, ReadCoffHeaders(Open(writer.Build())));
    EXPECT_EQ(GetParam().magic, theCoffHeader.magic) << "the file header keeps what was read";
    EXPECT_EQ(theCoffSections, nullptr);
    EXPECT_EQ(0u, theCoffOptHeader.entryAddress) << "nothing behind the file header is read";
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CoffWrongHeaderTest,
    ::testing::Values(WrongHeader{"LittleEndianMagic", 0x7816, 32},
                      WrongHeader{"OtherMagic", 0x0160, 32},
                      WrongHeader{"OptionalHeaderOf28", 0x1678, 28},
                      WrongHeader{"OptionalHeaderByteSwapped", 0x1678, 0x2000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoffReaderTest, EveryTruncationOfTheHeadersIsRefused)
{
    const std::string whole = TwoSections().Build();
    const size_t headers = 20 + 32 + 2 * 48;
    for (size_t length = 0; length < headers; ++length) {
        SCOPED_TRACE(length);
        FreeReaderMemory();
        EXPECT_EQ(kCoffNotThisForm, ReadCoffHeaders(Open(whole.substr(0, length))));
        EXPECT_EQ(theCoffSections, nullptr);
        EXPECT_EQ(0, theCoffHeader.sectionCount) << "no sections described that were not read";
    }
    FreeReaderMemory();
    EXPECT_EQ(kCoffOk, ReadCoffHeaders(Open(whole.substr(0, headers))))
        << "section data are not the header reader's business";
}

TEST_F(CoffReaderTest, DescriptorsReadOnlyTheirDigitsAndEndOfFileReadsAsFF)
{
    FILE* stream = Open(std::string("\x11\x22\x33\x44", 4));
    BYTE record[8];
    memset(record, 0xAA, sizeof record);
    ReadFields(stream, record, "1x2");
    EXPECT_EQ(0x11, record[0]);
    WORD word;
    memcpy(&word, record + 1, 2);
    EXPECT_EQ(0x2233, word) << "x consumes nothing and stores nothing";
    EXPECT_EQ(0xAA, record[3]);
    EXPECT_EQ(3, ftell(stream));

    ReadFields(stream, record, "4");
    DWORD value;
    memcpy(&value, record, 4);
    EXPECT_EQ(0x44FFFFFFu, value);
    EXPECT_TRUE(feof(stream));
}

TEST_F(CoffReaderTest, SymbolEntriesOfBothForms)
{
    CHyeWriter writer;
    writer.AddSymbol("longname", 0x1234, 2, 0x20, 1);
    writer.AddStab('S', 0x24, "main:F1", 0x8000);
    writer.AddSymbol("a_name_from_the_string_table", 7, 3, 2);
    FILE* stream = Open(writer.Build());
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(stream));
    fseek(stream, (long)theCoffHeader.symbolTableOffset, SEEK_SET);

    CoffSymbol inlineName, stab, stringTable;
    ReadCoffSymbol(stream, &inlineName);
    ReadCoffSymbol(stream, &stab);
    ReadCoffSymbol(stream, &stringTable);
    EXPECT_EQ(0, memcmp("longname", inlineName.name, 8)) << "all eight bytes, unterminated";
    EXPECT_EQ(0x1234u, inlineName.value);
    EXPECT_EQ(1, inlineName.sectionNumber);
    EXPECT_EQ(0x20, inlineName.type);
    EXPECT_EQ(2, inlineName.storageClass);
    EXPECT_EQ(1, inlineName.auxCount);

    EXPECT_EQ(0, stab.ref.zero);
    EXPECT_EQ('S', stab.ref.stabKind);
    EXPECT_EQ(0x24, stab.ref.stabType);
    EXPECT_EQ(writer.StringTableOffset() + 4, stab.ref.stringOffset);
    EXPECT_EQ(0x8000u, stab.value);

    EXPECT_EQ(0, stringTable.ref.stabKind);
    EXPECT_EQ(0, stringTable.ref.stabType);
    EXPECT_EQ(writer.StringTableOffset() + 4 + 8, stringTable.ref.stringOffset);
    EXPECT_EQ(3, stringTable.storageClass);
}

TEST_F(CoffReaderTest, BoundedStringsStopAtTheirNulTheirBoundOrTheEnd)
{
    char buffer[8];
    FILE* stream = Open(std::string("ab\0cdefgh", 9));
    EXPECT_EQ(buffer + 3, ReadBoundedString(buffer, 8, stream));
    EXPECT_STREQ("ab", buffer);
    EXPECT_EQ(nullptr, ReadBoundedString(buffer, 4, stream)) << "more than 4 bytes";
    EXPECT_EQ(0, memcmp("cdef", buffer, 4));
    EXPECT_EQ(buffer + 1, ReadBoundedString(buffer, 8, stream)) << "h, then the end: unterminated";
    EXPECT_EQ('h', buffer[0]);
}

TEST_F(CoffReaderTest, BaseNamesFollowBackslashesOnly)
{
    EXPECT_STREQ("b.c", FileBaseName("C:\\a\\b.c"));
    EXPECT_STREQ("a/b.c", FileBaseName("a/b.c"));
    EXPECT_STREQ("", FileBaseName("dir\\"));
}

} // namespace
