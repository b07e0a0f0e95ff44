// The Tessar targets' areas and listing files: area tables by model, the area a file goes to,
// and what the listing reader accepts and refuses.
#include <gtest/gtest.h>

#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/dsp/DspTestSupport.h"

using namespace dsptest;

TEST(TessarAreas, NamesAndSizesFollowTheModel)
{
    struct Case {
        WORD model;
        int area;
        const char* name;    // the base's and the thick target's
        const char* eeprom;  // the EEPROM target's; "" where it names none
        DWORD words;
    } cases[] = {
        {1, 0, "PRAM: 0x4000 - 0x9FFF", "PRAM: 0x4000 - 0x9FFF", 0x6000},
        {1, 1, "XRAM: 0x2000 - 0x3FFF", "XRAM: 0x2000 - 0x3FFF", 0x2000},
        {1, 2, "DRAM: 0x0000 - 0x17FF", "", 0x1800},
        {2, 0, "PRAM: 0x4000 - 0x7FFF", "PRAM: 0x4000 - 0x7FFF", 0x4000},
        {2, 1, "XRAM: 0x3000 - 0x3FFF", "XRAM: 0x3000 - 0x3FFF", 0x1000},
        {2, 2, "DRAM: 0x0010 - 0x07FF", "", 0x07F0},
        {2, -1, "", "", 0},
        {2, 3, "", "", 0},
        {3, 0, "PRAM: 0x0000 - 0x0000", "PRAM: 0x0 - 0x0", 0},  // an unknown model has no areas
    };
    for (const Case& c : cases) {
        CThickUnderTest thick(c.model);
        CEepromUnderTest eeprom(c.model);
        CString name = "stale";
        EXPECT_EQ(thick.GetModuleName(name, c.area), *c.name != 0) << c.name;
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(eeprom.GetModuleName(name, c.area), *c.eeprom != 0) << c.name;
        EXPECT_EQ(name, c.eeprom);
        if (c.area >= 0 && c.area < 3) {
            EXPECT_EQ(thick.Words(c.area), c.words) << c.name;
        }
    }
}

TEST(TessarAreas, FileNamesChooseTheAreaCaseSensitively)
{
    struct Case {
        const char* path;
        int area;
    } cases[] = {
        {"/work/prog.x", 1},  {"/work/prog.p", 0},
        {"/work/prog.d", 2},  {"/work.proj/data.d", 0},  // ".p" is looked for before ".d"
        {"/a.d/b.x", 1},                                 // ".x" first, wherever it is
        {"/work/prog.D", -1}, {"/work/prog.hex", -1},
    };
    CEepromUnderTest target(1);
    for (const Case& c : cases)
        EXPECT_EQ(target.SelectModuleForFile(c.path), c.area) << c.path;
}

// Model 2 DRAM (2032 words) keeps the texts small; each case edits a good listing.
TEST(TessarListing, ParseAcceptsAndRefusesByTheListingRules)
{
    const std::vector<std::string> words = Words(0x7F0);
    const std::string good = Listing(words);
    const std::string open = good.substr(0, good.size() - 1);  // without the last line feed
    const size_t firstSpace = good.find(' ', good.find("0000: ") + 6);
    std::vector<std::string> fewer(words.begin(), words.end() - 1);
    std::vector<std::string> more = words;
    more.push_back("ABCD");
    std::string crlf;
    for (char ch : good)
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    std::string notHex = good;
    notHex[good.size() - 4] = 'G';

    struct Case {
        const char* what;
        std::string text;
        bool loads;
    } cases[] = {
        {"exact word count", good, true},
        {"one word fewer", Listing(fewer), false},
        {"one word more", Listing(more), false},
        {"two spaces between words", std::string(good).insert(firstSpace, " "), false},
        {"a fifth digit is skipped with the separator", std::string(good).insert(firstSpace, "E"), true},
        {"last word then end of text", open, true},
        {"last word, space, line feed", open + " \n", false},
        {"a line starting with '/' ends the data", good + "/ end\n0800: FFFF\n", true},
        {"a '/' after a space", open + " /\n", false},
        {"carriage returns", crlf, true},
        {"a character that is not a digit", notHex, false},
        {"binary bytes", good.substr(0, 40) + std::string("\0\xFF\x01", 3) + good.substr(43), false},
        {"ends inside the header lines", "tessasm listing\n;\n;\n", false},
        {"ends inside the line prefix", "h\nh\nh\nh\n0000:", false},
        {"ends after the prefix", "h\nh\nh\nh\n0000: ", false},
        {"ends inside a word", good.substr(0, good.find("0000: ") + 8), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        CThickUnderTest target(2);
        EXPECT_EQ(target.ParseAsmFile(c.text.data(), (int)c.text.size(), 2), c.loads) << c.what;
        EXPECT_EQ(target.AreaText(2), c.loads ? Joined(words) : "") << c.what;
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
    EXPECT_FALSE(target.LoadModule(0, File("fewer.p", Listing(fewer)).c_str()));
    EXPECT_FALSE(target.CanProgram());
    EXPECT_TRUE(target.LoadModule(0, File("prog.p", Listing(words, 16)).c_str()));
    EXPECT_TRUE(target.CanProgram());
    EXPECT_EQ(target.AreaText(0), Joined(words));
}

TEST_F(TessarLoadTest, BadFilesLeaveTheAreaAsItWas)
{
    CThickUnderTest target(2);
    std::vector<std::string> words = Words(0x1000, 3);
    const std::string good = Listing(words);
    static const char kBinary[] = "\x7F"
                                  "ELF\x02\x01\x01\0\0\0\n\n\n\n\0\0\0\0\0\0\xFF\xFF";
    // Padded with what a '/' line makes the reader ignore: only the size is wrong.
    const size_t buffer = CTessarTarget::kListingBufferSize;
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"one byte larger than the load buffer", good + "/" + std::string(buffer - good.size(), ' ')},
        {"cut off in the middle", good.substr(0, good.size() / 2)},
        {"cut off in the header", good.substr(0, 20)},
        {"binary", std::string(kBinary, sizeof kBinary - 1)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(target.LoadModule(1, File("good.x", good).c_str()));
        EXPECT_FALSE(target.LoadModule(1, File("bad.x", c.text).c_str())) << c.what;
        EXPECT_TRUE(target.IsModuleLoaded(1)) << c.what;
        EXPECT_EQ(target.AreaText(1), Joined(words)) << c.what;
    }
    std::string full = good + "/" + std::string(buffer - good.size() - 1, ' ');
    EXPECT_TRUE(target.LoadModule(1, File("full.x", full).c_str()));
}

TEST_F(TessarLoadTest, AFileThatCannotBeReadShowsItsBoxAndKeepsTheFlag)
{
    CThickUnderTest target(2);
    ASSERT_TRUE(target.LoadModule(2, File("data.d", Listing(Words(0x7F0))).c_str()));
    const std::pair<std::string, const char*> unreadable[] = {{folder / "missing.d", "No such file or directory"},
                                                              {folder.Path(), "Is a directory"}};
    for (const auto& [path, reason] : unreadable) {
        ui.ExpectMessage("Unable to open download file\n" + path + ": " + reason, MB_OK, IDOK);
        EXPECT_FALSE(target.LoadModule(2, path.c_str())) << path;
        ui.VerifyAndClear();
        EXPECT_TRUE(target.IsModuleLoaded(2)) << path;
    }
}

TEST_F(TessarLoadTest, AreaNumbersOutsideTheTargetAndUnknownModels)
{
    CThickUnderTest target(2);
    std::string pram = File("a.p", Listing(Words(0x4000)));
    ASSERT_TRUE(target.LoadModule(0, pram.c_str()));
    ASSERT_TRUE(target.LoadModule(2, File("a.d", Listing(Words(0x7F0))).c_str()));
    for (int outside : {3, -2, 1000}) {
        target.ClearModule(outside);
        EXPECT_FALSE(target.IsModuleLoaded(outside));
        EXPECT_FALSE(target.LoadModule(outside, pram.c_str()));
    }
    EXPECT_TRUE(target.IsModuleLoaded(0) && target.IsModuleLoaded(2));
    target.ClearModule(0);
    EXPECT_FALSE(target.IsModuleLoaded(0));
    EXPECT_TRUE(target.CanProgram());
    target.ClearModule(-1);
    EXPECT_FALSE(target.CanProgram());

    CThickUnderTest unknown(3);
    CEepromUnderTest unknownEeprom(0);
    EXPECT_FALSE(unknown.LoadModule(0, pram.c_str()));
    CString message;
    // Refused before any port is opened.
    EXPECT_FALSE(unknown.Program("/no/such/port", &message));
    EXPECT_EQ(message, "Unable to program device");
    EXPECT_FALSE(unknownEeprom.Program("/no/such/port", &message));
    EXPECT_EQ(message, "Unable to program device");
}
