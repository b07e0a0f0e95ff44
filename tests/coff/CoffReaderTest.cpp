#include <cstring>

#include "tests/coff/CoffTestSupport.h"

namespace {

using CoffReaderTest = CoffTest;

template <typename T>
bool SameBytes(const T& a, const T& b)
{
    return memcmp(&a, &b, sizeof(T)) == 0;
}

CHyeWriter TwoSections()
{
    CHyeWriter writer;
    writer.AddSection("code", 0x8000, 0x14DC);
    int bss = writer.AddSection("far_bss_sixteen!", 0x12345678, 0x88, false);
    writer.AddLine(bss, 0x12345678, 7);
    writer.AddLine(bss, 0x1234567A, 8);
    writer.AddSymbol("main", 0x8000, 2, 0x20);
    return writer;
}

TEST_F(CoffReaderTest, EveryHeaderFieldArrivesInHostOrder)
{
    CHyeWriter writer = TwoSections();
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(writer.Build())));
    EXPECT_TRUE(
        SameBytes(CoffFileHeader{0x1678, 2, 0x5F3759DF, writer.SymbolTableOffset(), 1, 32, 0x0107}, theCoffHeader));
    EXPECT_TRUE(
        SameBytes(CoffOptHeader{0x010B, 2, 0x1000, 0x2000, 0x3000, 0x4000, 0x8000, 0x5000, 0x6000}, theCoffOptHeader));
    ASSERT_NE(theCoffSections, nullptr);
    const DWORD data = 20 + 32 + 2 * 48;
    EXPECT_TRUE(SameBytes(CoffSection{"code", 0x8000, 0x8000, 0x14DC, data, 0, 0, 0, 0, 0x20}, theCoffSections[0]));
    // All 16 name bytes without a terminator; no data in the file (raw-data offset 0).
    CoffSection bss{{}, 0x12345678, 0x12345678, 0x88, 0, 0, data + 0x14DC, 0, 2, 0x20};
    memcpy(bss.name, "far_bss_sixteen!", 16);
    EXPECT_TRUE(SameBytes(bss, theCoffSections[1]));
}

TEST_F(CoffReaderTest, SectionTablesOfAnySizeAreRead)
{
    for (int count : {1, 400, 0}) {
        SCOPED_TRACE(count);
        CoffSection* earlier = theCoffSections;
        CHyeWriter writer;
        for (int i = 0; i < count; ++i)
            writer.AddSection("s" + std::to_string(i), 0x1000u * i, 4, false);
        ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(writer.Build())));
        EXPECT_EQ(count, theCoffHeader.sectionCount);
        if (count == 0) {
            EXPECT_EQ(earlier, theCoffSections) << "zero sections leave the table as it was";
            continue;
        }
        EXPECT_STREQ(("s" + std::to_string(count - 1)).c_str(), theCoffSections[count - 1].name);
        EXPECT_EQ(0x1000u * (count - 1), theCoffSections[count - 1].physicalAddress);
    }
    FreeReaderMemory();
    ASSERT_EQ(kCoffOk, ReadCoffHeaders(Open(CHyeWriter().Build())));
    EXPECT_EQ(nullptr, theCoffSections);
    EXPECT_EQ(nullptr, thePoolFirst) << "nothing is allocated for zero sections";
}

TEST_F(CoffReaderTest, WrongFormsAndEveryTruncationAreRefused)
{
    const std::pair<uint16_t, uint16_t> wrong[] = {{0x7816, 32}, {0x0160, 32}, {0x1678, 28}, {0x1678, 0x2000}};
    for (auto [magic, optSize] : wrong) {
        CHyeWriter writer = TwoSections();
        writer.m_magic = magic;
        writer.m_optHeaderSize = optSize;
        EXPECT_EQ(kCoffNotThisForm, ReadCoffHeaders(Open(writer.Build()))) << std::hex << magic;
        EXPECT_EQ(magic, theCoffHeader.magic) << "the file header keeps what was read";
        EXPECT_EQ(0u, theCoffOptHeader.entryAddress) << "nothing behind it is read";
    }
    const std::string whole = TwoSections().Build();
    const size_t headers = 20 + 32 + 2 * 48;
    for (size_t length = 0; length < headers; ++length) {
        FreeReaderMemory();
        EXPECT_EQ(kCoffNotThisForm, ReadCoffHeaders(Open(whole.substr(0, length)))) << length;
        EXPECT_EQ(nullptr, theCoffSections) << length;
        EXPECT_EQ(0, theCoffHeader.sectionCount) << "no sections described that were not read";
    }
    EXPECT_EQ(kCoffOk, ReadCoffHeaders(Open(whole.substr(0, headers)))) << "data are not read here";
}

TEST_F(CoffReaderTest, DescriptorsAndSymbolEntries)
{
    FILE* stream = Open(std::string("\x11\x22\x33\x44", 4));
    BYTE record[8];
    memset(record, 0xAA, sizeof record);
    ReadFields(stream, record, "1x2");
    WORD word;
    memcpy(&word, record + 1, 2);
    EXPECT_EQ(0x11, record[0]);
    EXPECT_EQ(0x2233, word);
    EXPECT_EQ(0xAA, record[3]) << "x consumes and stores nothing";
    EXPECT_EQ(3, ftell(stream));
    ReadFields(stream, record, "4");
    DWORD value;
    memcpy(&value, record, 4);
    EXPECT_EQ(0x44FFFFFFu, value) << "bytes beyond the end read as FF";

    CHyeWriter writer;
    writer.AddSymbol("longname", 0x1234, 2, 0x20, 1);
    writer.AddStab('S', 0x24, "main:F1", 0x8000);
    stream = Open(writer.Build());
    fseek(stream, (long)writer.SymbolTableOffset(), SEEK_SET);
    CoffSymbol inlineName, stab;
    ReadCoffSymbol(stream, &inlineName);
    ReadCoffSymbol(stream, &stab);
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
}

TEST_F(CoffReaderTest, BoundedStringsAndBaseNames)
{
    char buffer[8];
    FILE* stream = Open(std::string("ab\0cdefgh", 9));
    EXPECT_EQ(buffer + 3, ReadBoundedString(buffer, 8, stream));
    EXPECT_STREQ("ab", buffer);
    EXPECT_EQ(nullptr, ReadBoundedString(buffer, 4, stream)) << "more than 4 bytes";
    EXPECT_EQ(buffer + 1, ReadBoundedString(buffer, 8, stream)) << "h, then the end: unterminated";

    EXPECT_STREQ("b.c", FileBaseName("C:\\a\\b.c"));
    EXPECT_STREQ("a/b.c", FileBaseName("a/b.c"));
    EXPECT_STREQ("", FileBaseName("dir\\"));
}

}  // namespace
