#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/File.h"
#include "tests/support/FileSizeLimit.h"
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
    EXPECT_FALSE(file.Open((folder / "SUB").c_str(), CFile::modeRead, &error)) << "a folder is no file";
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

int s_lockError = 0;

TEST(FileTest, OnlyALockHeldElsewhereRefusesTheOpen)
{
    CTempFolder folder;
    std::string path = folder.Write("remote.hex", "x");
    // NFSv4 refuses an exclusive lock on a read-only descriptor; without a lock manager every lock.
    for (int error : {EBADF, ENOLCK, EWOULDBLOCK}) {
        SCOPED_TRACE(error);
        s_lockError = error;
        CScopedService<CFile::LockCall> failing(CFile::LockSlot(), [](int, int) {
            errno = s_lockError;
            return -1;
        });
        CFile file;
        CFileException refused;
        EXPECT_EQ(error != EWOULDBLOCK, file.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive, &refused));
        if (error == EWOULDBLOCK) {
            EXPECT_EQ(refused.m_cause, CFileException::sharingViolation);
        } else {
            EXPECT_EQ(file.ReadChar(), 'x');
        }
    }
}

std::vector<std::string> NamesIn(const CTempFolder& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.Path().c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(".") != entry->d_name && std::string("..") != entry->d_name)
                names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t PermissionsOf(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

const UINT kReplace = CFile::modeReplaceAtomically | CFile::modeReadWrite;

TEST(FileReplaceTest, NewContentTakesTheNameOnlyAtCloseKeepingPermissionsAndLinks)
{
    CTempFolder folder;
    // As long as a name may be: the temporary file cannot be named after it.
    const std::string longest = std::string(251, 'i');
    std::string path = folder.Write(longest, "old content");
    chmod(path.c_str(), 0640);
    // Only root may give a file away; the group's bits mean nothing with another group.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(0, chown(path.c_str(), 4321, 4321));
    }
    ASSERT_EQ(0, symlink(longest.c_str(), (folder / "link.hex").c_str()));
    CFile file;
    ASSERT_TRUE(file.Open((folder / "link.hex").c_str(), kReplace));
    EXPECT_EQ(file.GetFilePath(), path.c_str()) << "a link names the file it points at";
    file.Write("new", 3);
    file.Flush();
    EXPECT_EQ("old content", CTempFolder::Read(path)) << "nothing is replaced before Close";
    file.Close();
    EXPECT_EQ("new", CTempFolder::Read(path));
    EXPECT_EQ(0640u, PermissionsOf(path));
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    if (root) {
        EXPECT_EQ(std::make_pair(4321u, 4321u), std::make_pair((unsigned)info.st_uid, (unsigned)info.st_gid));
    }
    ASSERT_EQ(0, lstat((folder / "link.hex").c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ((std::vector<std::string>{longest, "link.hex"}), NamesIn(folder));

    // A new name is simply created; a folder is no file to replace.
    ASSERT_TRUE(file.Open((folder / "fresh.bin").c_str(), kReplace));
    file.Write("\x01\x02", 2);
    file.Close();
    EXPECT_EQ("\x01\x02", CTempFolder::Read(folder / "fresh.bin"));
    mkdir((folder / "sub").c_str(), 0700);
    CFileException error;
    EXPECT_FALSE(file.Open((folder / "sub").c_str(), kReplace, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_EQ(4u, NamesIn(folder).size()) << "no temporary file is left behind";
}

TEST(FileReplaceTest, AFailureOrAbortLeavesTheOldFileAsItWasAndNothingBeside)
{
    struct Case {
        const char* what;
        size_t bytes;  // written before the end
        bool abort;    // given up instead of closed
    };
    const Case cases[] = {
        {"disk full while writing", 200000, false},
        {"disk full at close", 100, false},
        {"given up by the caller", 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTempFolder folder;
        std::string old(5000, 'o');
        std::string path = folder.Write("image.hex", old);
        std::string data(c.bytes, 'n');
        bool threw = false;
        {
            CFileSizeLimit full(c.abort ? RLIM_INFINITY : 50);
            CFile file;
            ASSERT_TRUE(file.Open(path.c_str(), kReplace));
            try {
                file.Write(data.data(), (UINT)data.size());
                if (c.abort)
                    file.Abort();
                else
                    file.Close();
            } catch (const CFileException& e) {
                threw = true;
                EXPECT_EQ(e.m_cause, CFileException::diskFull);
                file.Abort();
            }
        }
        EXPECT_EQ(threw, !c.abort);
        EXPECT_EQ(old, CTempFolder::Read(path));
        EXPECT_EQ(std::vector<std::string>{"image.hex"}, NamesIn(folder));
    }
}

}  // namespace
