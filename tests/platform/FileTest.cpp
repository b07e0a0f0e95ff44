#include <string>

#include <gtest/gtest.h>

#include "platform/File.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(FileTest, CharactersReadBackAcrossBufferBoundariesAfterMixedWrites)
{
    CTempFolder folder;
    CFile file;
    ASSERT_TRUE(file.Open((folder / "data").c_str(), CFile::modeCreate | CFile::modeReadWrite));
    std::string block(100000, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = (char)(i % 251);
    file.Write(block.data(), (UINT)block.size());
    file.Write("xyz", 3);
    EXPECT_EQ(file.GetLength(), 100003u);
    EXPECT_EQ(file.Seek(0, CFile::begin), 0u);

    for (size_t i = 0; i < block.size(); ++i)
        ASSERT_EQ(file.ReadChar(), (int)(i % 251)) << i;
    char tail[8];
    EXPECT_EQ(file.Read(tail, sizeof tail), 3u);
    EXPECT_EQ(file.ReadChar(), -1);
    EXPECT_FALSE(file.HasReadError());
    EXPECT_EQ(file.GetPosition(), 100003u);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

TEST(FileTest, MissingNamesAreFoundIgnoringCaseButCreatedAsGiven)
{
    CTempFolder folder;
    folder.Write("Sub/Image.Hex", "abc");
    CFile file;
    ASSERT_TRUE(file.Open((folder / "SUB/IMAGE.HEX").c_str(), CFile::modeRead));
    EXPECT_EQ(file.GetFilePath(), (folder / "Sub/Image.Hex").c_str());
    EXPECT_EQ(file.ReadChar(), 'a');

    CFileException error;
    EXPECT_FALSE(file.Open((folder / "SUB/OTHER.HEX").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    ASSERT_TRUE(file.Open((folder / "Sub/NEW.HEX").c_str(), CFile::modeCreate | CFile::modeWrite));
    file.Close();
    EXPECT_TRUE(file.Open((folder / "Sub/NEW.HEX").c_str(), CFile::modeRead));
}

TEST(FileTest, ExclusiveOpenShutsOutASecondOne)
{
    CTempFolder folder;
    std::string path = folder.Write("locked", "x");
    CFile first, second;
    ASSERT_TRUE(first.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive));
    CFileException error;
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    first.Close();
    EXPECT_TRUE(second.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
}

} // namespace
