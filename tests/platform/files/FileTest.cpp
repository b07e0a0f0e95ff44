#include <string>

#include <gtest/gtest.h>

#include "platform/files/File.h"
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

TEST(FileTest, MemoryFileIsReadInPlaceAndCannotBeWritten)
{
    const char bytes[] = {'a', 'b', '\xFF', 'c'};
    CFile file;
    file.OpenMemory(bytes, sizeof bytes);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.ReadChar(), 'a');
    char rest[8];
    EXPECT_EQ(file.Read(rest, 2), 2u);
    EXPECT_EQ(rest[1], '\xFF');
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(file.ReadChar(), 'c');
    EXPECT_EQ(file.ReadChar(), -1) << "the end of the bytes is the end of the file";
    EXPECT_FALSE(file.HasReadError());
    EXPECT_THROW(file.Write("x", 1), CFileException);

    file.OpenMemory(bytes, sizeof bytes);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.ReadChar(), -1) << "nothing is read once the file is closed";
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
    EXPECT_FALSE(file.Open((folder / "SUB").c_str(), CFile::modeRead, &error))
        << "a folder is no file";
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
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
