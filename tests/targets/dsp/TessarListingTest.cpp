// The Tessar targets' areas and their listing files: the area tables by model, which file goes
// to which area, and what the listing reader accepts and refuses.
#include <gtest/gtest.h>

#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/dsp/DspTestSupport.h"

using namespace dsptest;

namespace {

struct AreaName {
    WORD model;
    int area;
    const char* base;    // the target base's name, also the thick-stub target's
    const char* eeprom;  // the EEPROM target's; NULL: it has no such module
};

const AreaName kAreaNames[] = {
    {1, 0, "PRAM: 0x4000 - 0x9FFF", "PRAM: 0x4000 - 0x9FFF"},
    {1, 1, "XRAM: 0x2000 - 0x3FFF", "XRAM: 0x2000 - 0x3FFF"},
    {1, 2, "DRAM: 0x0000 - 0x17FF", NULL},
    {2, 0, "PRAM: 0x4000 - 0x7FFF", "PRAM: 0x4000 - 0x7FFF"},
    {2, 1, "XRAM: 0x3000 - 0x3FFF", "XRAM: 0x3000 - 0x3FFF"},
    {2, 2, "DRAM: 0x0010 - 0x07FF", NULL},
};

}  // namespace

TEST(TessarAreas, NamesAndSizesFollowTheModel)
{
    const DWORD words[2][3] = {{0x6000, 0x2000, 0x1800}, {0x4000, 0x1000, 0x07F0}};
    for (const AreaName& c : kAreaNames) {
        SCOPED_TRACE(c.base);
        CThickUnderTest thick(c.model);
        CEepromUnderTest eeprom(c.model);
        CString name = "stale";
        EXPECT_TRUE(thick.GetModuleName(name, c.area));
        EXPECT_EQ(name, c.base);
        EXPECT_EQ(eeprom.GetModuleName(name, c.area), c.eeprom != NULL);
        EXPECT_EQ(name, c.eeprom ? c.eeprom : "");
        EXPECT_EQ(thick.Words(c.area), words[c.model - 1][c.area]);
    }
    CThickUnderTest thick(1);
    CEepromUnderTest eeprom(1);
    EXPECT_EQ(thick.GetModuleCount(), 3);
    EXPECT_EQ(eeprom.GetModuleCount(), 2);
    for (int area : {-1, 3}) {
        CString name = "stale";
        EXPECT_FALSE(thick.GetModuleName(name, area));
        EXPECT_EQ(name, "");
    }
}

TEST(TessarAreas, FileNamesChooseTheAreaCaseSensitively)
{
    struct Case {
        const char* path;
        int area;
    } cases[] = {
        {"/work/prog.x", 1},
        {"/work/prog.p", 0},
        {"/work/prog.d", 2},
        {"/work.proj/data.d", 0},   // ".p" is looked for before ".d"
        {"/a.d/b.x", 1},            // ".x" first, wherever it is
        {"/work/prog.D", -1},
        {"/work/prog.hex", -1},
    };
    CEepromUnderTest target(1);
    for (const Case& c : cases)
        EXPECT_EQ(target.SelectModuleForFile(c.path), c.area) << c.path;
}

TEST(TessarAreas, FiltersResourcesAndOptionsOfTheBase)
{
    CThickUnderTest thick(2);
    CEepromUnderTest eeprom(2);
    CString filter;
    EXPECT_TRUE(thick.GetFileFilter(filter));
    EXPECT_EQ(filter, "PRAM, XRAM & DRAM Files (*.p; *.x; *.d)|*.p;*.x;*.d|tessasm PRAM Files (*.p)|*.p|"
                      "tessasm XRAM Files (*.x)|*.x|tessasm DRAM Files (*.d)|*.d|");
    EXPECT_TRUE(eeprom.GetFileFilter(filter));
    EXPECT_EQ(filter, "tessasm PRAM and XRAM Files (*.p; *.x)|*.p;*.x|tessasm PRAM Files (*.p)|*.p|"
                      "tessasm XRAM Files (*.x)|*.x|");
    CString name;
    EXPECT_TRUE(eeprom.GetResourceName(3, name));
    EXPECT_EQ(name, "COM4:");
    EXPECT_FALSE(eeprom.GetResourceName(4, name));
    EXPECT_EQ(eeprom.LoadOptions(), 1);
    EXPECT_EQ(eeprom.HasOptions(), 0);
    EXPECT_EQ(thick.HasOptions(), 1);
    EXPECT_FALSE(eeprom.SaveBuffer("/tmp/never-written.hex"));
    DWORD length = 7;
    EXPECT_EQ(eeprom.GetModuleImage(0, &length), (BYTE*)NULL);
}

// Model 2 DRAM (2032 words) keeps the texts small; each case edits a good listing.
TEST(TessarListing, ParseAcceptsAndRefusesByTheListingRules)
{
    const std::vector<std::string> words = Words(0x7F0);
    const std::string good = Listing(words);
    const size_t lastWord = good.size() - 5;  // the last word, before its line feed
    std::vector<std::string> fewer(words.begin(), words.end() - 1);
    std::vector<std::string> more = words;
    more.push_back("ABCD");
    std::string twoSpaces = good;
    twoSpaces.insert(twoSpaces.find(' ', good.find("0000: ") + 6), " ");
    std::string fiveDigits = good;
    fiveDigits.insert(fiveDigits.find(' ', good.find("0000: ") + 6), "E");
    std::string bad = good;
    bad[lastWord + 1] = 'G';
    std::string binary = good.substr(0, 40) + std::string("\0\xFF\x01", 3) + good.substr(43);

    struct Case {
        const char* what;
        std::string text;
        bool loads;
    } cases[] = {
        {"exact word count", good, true},
        {"one word fewer", Listing(fewer), false},
        {"one word more", Listing(more), false},
        {"two spaces between words", twoSpaces, false},
        {"a fifth digit is skipped with the separator", fiveDigits, true},
        {"last word then end of text", good.substr(0, good.size() - 1), true},
        {"last word, space, line feed", good.substr(0, good.size() - 1) + " \n", false},
        {"a line starting with '/' ends the data", good + "/ end of listing\n0800: FFFF\n", true},
        {"a '/' after a space", good.substr(0, good.size() - 1) + " /\n", false},
        {"carriage returns before the line feeds", [&] {
             std::string crlf;
             for (char ch : good)
                 crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
             return crlf;
         }(), true},
        {"a character that is not a digit", bad, false},
        {"binary bytes in the data", binary, false},
        {"ends inside the header lines", "tessasm listing\n;\n;\n", false},
        {"ends inside the line prefix", "h\nh\nh\nh\n0000:", false},
        {"ends after the prefix", "h\nh\nh\nh\n0000: ", false},
        {"ends inside a word", good.substr(0, good.find("0000: ") + 8), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        CThickUnderTest target(2);
        EXPECT_EQ(target.ParseAsmFile(c.text.data(), (int)c.text.size(), 2), c.loads) << c.what;
        if (c.loads)
            EXPECT_EQ(target.AreaText(2), Joined(words)) << c.what;
        else
            EXPECT_EQ(target.AreaText(2), "") << c.what;
    }
}

class TessarLoadTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, const std::string& text) { return folder.Write(name, text); }

    CTempFolder folder;
    CScriptedUi ui;
};

TEST_F(TessarLoadTest, LargestAreaLoadsOnlyWithItsExactWordCount)
{
    CEepromUnderTest target(1);
    std::vector<std::string> words = Words(0x6000, 7);
    std::vector<std::string> fewer(words.begin(), words.end() - 1);
    std::vector<std::string> more = words;
    more.push_back("0000");
    EXPECT_FALSE(target.LoadModule(0, File("fewer.p", Listing(fewer)).c_str()));
    EXPECT_FALSE(target.LoadModule(0, File("more.p", Listing(more)).c_str()));
    EXPECT_FALSE(target.CanProgram());
    EXPECT_TRUE(target.LoadModule(0, File("prog.p", Listing(words, 16)).c_str()));
    EXPECT_TRUE(target.IsModuleLoaded(0));
    EXPECT_TRUE(target.CanProgram());
    EXPECT_EQ(target.AreaText(0), Joined(words));
}

TEST_F(TessarLoadTest, BadFilesLeaveTheAreaNotLoadedAndTheOldTextInPlace)
{
    CThickUnderTest target(2);
    std::vector<std::string> words = Words(0x1000, 3);
    const std::string good = Listing(words);
    // Padded past the load buffer with what would otherwise be ignored after a '/' line.
    std::string oversized = good + "/" + std::string(CTessarTarget::kListingBufferSize, ' ');
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"larger than the load buffer", oversized},
        {"cut off in the middle", good.substr(0, good.size() / 2)},
        {"cut off in the header", good.substr(0, 20)},
        {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\n\n\n\n\0\0\0\0\0\0\xFF\xFF", 24)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(target.LoadModule(1, File("good.x", good).c_str()));
        EXPECT_FALSE(target.LoadModule(1, File("bad.x", c.text).c_str())) << c.what;
        EXPECT_FALSE(target.IsModuleLoaded(1)) << c.what;
        EXPECT_EQ(target.AreaText(1), Joined(words)) << c.what;
    }
    // Exactly the buffer's size is still read.
    std::string full = good + "/" + std::string(CTessarTarget::kListingBufferSize - good.size() - 1, ' ');
    EXPECT_TRUE(target.LoadModule(1, File("full.x", full).c_str()));
}

TEST_F(TessarLoadTest, AFileThatCannotBeReadShowsItsBoxAndKeepsTheFlag)
{
    CThickUnderTest target(2);
    ASSERT_TRUE(target.LoadModule(2, File("data.d", Listing(Words(0x7F0))).c_str()));
    for (const std::string& path : {folder / "missing.d", folder.Path()}) {
        ui.ExpectMessage("Unable to open download file", MB_OK, IDOK);
        EXPECT_FALSE(target.LoadModule(2, path.c_str())) << path;
        ui.VerifyAndClear();
        EXPECT_TRUE(target.IsModuleLoaded(2)) << path;
    }
}

TEST_F(TessarLoadTest, ClearingTakesOnlyTheFlagsAndIgnoresOtherNumbers)
{
    CThickUnderTest target(2);
    ASSERT_TRUE(target.LoadModule(0, File("a.p", Listing(Words(0x4000))).c_str()));
    ASSERT_TRUE(target.LoadModule(1, File("a.x", Listing(Words(0x1000))).c_str()));
    ASSERT_TRUE(target.LoadModule(2, File("a.d", Listing(Words(0x7F0))).c_str()));
    for (int outside : {3, -2, 1000})
        target.ClearModule(outside);
    EXPECT_TRUE(target.IsModuleLoaded(0) && target.IsModuleLoaded(1) && target.IsModuleLoaded(2));
    EXPECT_FALSE(target.IsModuleLoaded(3));
    EXPECT_FALSE(target.LoadModule(3, (folder / "a.d").c_str()));
    target.ClearModule(1);
    EXPECT_FALSE(target.IsModuleLoaded(1));
    EXPECT_TRUE(target.CanProgram());
    target.ClearModule(-1);
    EXPECT_FALSE(target.CanProgram());
    EXPECT_EQ(target.AreaText(0), Joined(Words(0x4000)));
}

TEST_F(TessarLoadTest, AnUnknownModelLoadsAndProgramsNothing)
{
    for (WORD model : {0, 3}) {
        CThickUnderTest thick(model);
        CEepromUnderTest eeprom(model);
        CString name;
        EXPECT_TRUE(thick.GetModuleName(name, 0));
        EXPECT_EQ(name, "PRAM: 0x0000 - 0x0000");
        EXPECT_FALSE(thick.LoadModule(2, File("a.d", Listing(Words(0x7F0))).c_str()));
        EXPECT_FALSE(thick.CanProgram());
        CString message;
        // Refused before any port is opened, so no port name is needed.
        EXPECT_FALSE(thick.Program("/no/such/port", &message));
        EXPECT_EQ(message, "Unable to program device");
        EXPECT_FALSE(eeprom.Program("/no/such/port", &message));
        EXPECT_EQ(message, "Unable to program device");
    }
}
