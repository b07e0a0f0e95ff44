#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/files/FileFind.h"
#include "tests/support/TempFolder.h"

namespace {

// Every match's full path, in the search's order, walking the search as callers do.
std::vector<std::string> Search(const std::string& pattern)
{
    std::vector<std::string> paths;
    CFileFind finder;
    BOOL more = finder.FindFile(pattern.c_str());
    while (more) {
        more = finder.FindNextFile();
        paths.push_back(finder.GetFilePath().str());
    }
    return paths;
}

class FileFindTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(FileFindTest, WildcardFindsEverySetMemberSortedAndNothingElse)
{
    std::string banks = m_folder.Path() + "/Banks/";
    for (const char* name : {"prog.h02", "prog.h00", "PROG.H01", "prog.hex", "other.h00", "prog.bin"})
        m_folder.Write(std::string("Banks/") + name);
    mkdir((banks + "prog.hdir").c_str(), 0700);

    // Upper-cased as some targets do with the whole path, folders included.
    std::string pattern = m_folder.Path() + "/BANKS/PROG.H*";
    std::vector<std::string> expected = {banks + "PROG.H01", banks + "prog.h00", banks + "prog.h02",
                                         banks + "prog.hdir", banks + "prog.hex"};
    EXPECT_EQ(expected, Search(pattern));

    EXPECT_EQ(std::vector<std::string>{banks + "prog.h02"}, Search(banks + "PROG.?02"));

    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(pattern.c_str()));
    // Nothing is current before the first FindNextFile.
    EXPECT_EQ("", finder.GetFilePath());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(finder.FindNextFile());
    EXPECT_EQ("prog.hdir", finder.GetFileName());
    EXPECT_TRUE(finder.IsDirectory());
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ("prog.hex", finder.GetFileName());
    EXPECT_FALSE(finder.IsDirectory());
    EXPECT_EQ(banks, finder.GetRoot().str());
}

TEST_F(FileFindTest, StarDotStarMatchesNamesWithoutExtensionButNeverDots)
{
    m_folder.Write("README");
    m_folder.Write("a.hex");
    std::vector<std::string> expected = {m_folder / "README", m_folder / "a.hex"};
    EXPECT_EQ(expected, Search(m_folder / "*.*"));
    EXPECT_EQ(expected, Search(m_folder / "*"));
    EXPECT_EQ(std::vector<std::string>{m_folder / "README"}, Search(m_folder / "readme.*"));
}

TEST_F(FileFindTest, PlainNamePrefersTheExactNameThenAnyCase)
{
    m_folder.Write("Stub.hex", "mixed");
    m_folder.Write("STUB.HEX", "upper");
    m_folder.Write("stub.hex", "lower");
    EXPECT_EQ(std::vector<std::string>{m_folder / "stub.hex"}, Search(m_folder / "stub.hex"));
    EXPECT_EQ(std::vector<std::string>{m_folder / "Stub.hex"}, Search(m_folder / "Stub.hex"));
    // No exact name: the first in byte order that matches regardless of case.
    EXPECT_EQ(std::vector<std::string>{m_folder / "STUB.HEX"}, Search(m_folder / "sTuB.HeX"));
}

TEST_F(FileFindTest, NoMatchAndRelativePatterns)
{
    m_folder.Write("sub/boot2300.hex");
    CFileFind finder;
    EXPECT_FALSE(finder.FindFile((m_folder / "missing.hex").c_str()));
    EXPECT_FALSE(finder.FindFile((m_folder / "NOSUCH/boot2300.hex").c_str()));
    EXPECT_FALSE(finder.FindFile((m_folder / "*.bin").c_str()));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ("", finder.GetFilePath());

    // Relative patterns are reported as absolute paths.
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(m_folder.Path().c_str()));
    std::vector<std::string> found = Search("SUB/BOOT2300.HEX");
    ASSERT_EQ(0, chdir(previous));
    char real[4096];
    ASSERT_TRUE(realpath(m_folder.Path().c_str(), real));
    EXPECT_EQ(std::vector<std::string>{std::string(real) + "/sub/boot2300.hex"}, found);
}

TEST_F(FileFindTest, ResolvePathNoCaseFindsTheOnDiskSpelling)
{
    std::string file = m_folder.Write("Projects/Board/prog.hex");
    EXPECT_EQ(file, ResolvePathNoCase(CString(m_folder / "PROJECTS/BOARD/PROG.HEX")).str());
    EXPECT_EQ(file, ResolvePathNoCase(CString(file)).str());
    // What cannot be found comes back as it was, so opening it fails as usual.
    std::string missing = m_folder / "PROJECTS/NONE/PROG.HEX";
    EXPECT_EQ(missing, ResolvePathNoCase(CString(missing)).str());
}

TEST(WildcardMatch, StarsAndQuestionMarks)
{
    EXPECT_TRUE(MatchWildcardNoCase("*.H*", "prog.h00"));
    EXPECT_TRUE(MatchWildcardNoCase("a*b*c", "aXXbYYbZc"));
    EXPECT_FALSE(MatchWildcardNoCase("a*b*c", "aXXbYYbZ"));
    EXPECT_TRUE(MatchWildcardNoCase("?.hex", "\xC2\xAB.hex"));  // one character, two bytes
    EXPECT_FALSE(MatchWildcardNoCase("??.hex", "a.hex"));
    EXPECT_TRUE(MatchWildcardNoCase("**", ""));
    // A long run of stars against a non-matching name must not take exponential time.
    EXPECT_FALSE(MatchWildcardNoCase("*a*a*a*a*a*a*a*a*a*a*b", std::string(200, 'a').c_str()));
}

}  // namespace
