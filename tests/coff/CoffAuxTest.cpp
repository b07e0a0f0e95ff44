#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include "coff/CoffAux.h"
#include "platform/settings/Registry.h"
#include "platform/settings/SettingsStore.h"
#include "platform/wnd/WinApp.h"
#include "tests/coff/CoffTestSupport.h"

namespace {

class CoffAuxTest : public CoffTest {
protected:
    void SetUp() override
    {
        CoffTest::SetUp();
        m_previous = InstallSettingsStore(&m_store);
    }
    void TearDown() override
    {
        InstallSettingsStore(m_previous);
        CoffTest::TearDown();
    }

    void SetString(const std::string& key, const char* name, const std::string& value)
    {
        HKEY handle = NULL;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyEx(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle, NULL));
        RegSetValueEx(handle, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
        RegCloseKey(handle);
    }
    void AddMount(const std::string& mountPoint, const std::string& native)
    {
        SetString(std::string(kCygwinMountKey) + "\\" + mountPoint, "native", native);
    }

    void LoadSources(const std::vector<std::string>& paths)
    {
        CHyeWriter writer;
        writer.AddSection("code", 0, 0x1000, false);
        DWORD address = 0;
        for (const std::string& path : paths)
            writer.SourceFile(path, address += 0x10);
        ASSERT_EQ(1, Load(writer));
    }

    CSettingsStore m_store{m_folder / "settings.txt"};
    CSettingsStore* m_previous = NULL;
};

TEST_F(CoffAuxTest, WithoutAMountTableOnlyTheDefaultPrefixGoes)
{
    EXPECT_STREQ("/cygdrive/", GetCygdrivePrefix());
    LoadSources({"/cygdrive/c/src/a.c", "/usr/src/x.c", "rel.c"});
    MapCygdrivePaths();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, MapCygwinMounts());
    EXPECT_EQ(std::vector<std::string>({"c:\\src\\a.c", "\\usr\\src\\x.c", "rel.c"}), Paths());
}

TEST_F(CoffAuxTest, TheMountTableMapsPrefixAndMountPoints)
{
    SetString(kCygwinMountKey, "cygdrive prefix", "/mnt");
    AddMount("/", "C:/cygwin");
    AddMount("/usr", "C:/cygwin/usr");
    AddMount(std::string(300, 'n'), "E:/never");      // name too long: passed over
    AddMount("/opt", "F:/" + std::string(300, 'o'));  // folder too long: passed over
    AddMount("/home", "D:/users");
    EXPECT_STREQ("/mnt/", GetCygdrivePrefix());

    LoadSources({"/mnt/d/x.c", "/usr/src/x.c", "/opt/y.c", "/home/me/usr/z.c", "/etc/w.c"});
    MapCygdrivePaths();
    EXPECT_EQ(ERROR_SUCCESS, MapCygwinMounts());
    EXPECT_EQ(std::vector<std::string>(
                  {"d:\\x.c", "C:\\cygwin\\usr\\src\\x.c", "\\opt\\y.c", "D:\\users\\me\\usr\\z.c", "\\etc\\w.c"}),
              Paths());

    SetString(kCygwinMountKey, "cygdrive prefix", std::string(260, 'p'));
    EXPECT_STREQ("/cygdrive/", GetCygdrivePrefix()) << "a prefix that does not fit is refused";
}

TEST_F(CoffAuxTest, TheRecentDirectoryIsTheDriveAndFolderOfTheLastFile)
{
    CWinApp app;  // the profile entries are the application's
    EXPECT_STREQ("", GetRecentDir());
    for (auto [path, folder] :
         {std::pair{"C:\\work\\proj\\file.hye", "C:\\work\\proj\\"}, std::pair{"/home/u/a.hye", "/home/u/"},
          std::pair{"D:name.hye", "D:"}, std::pair{"plain.hye", ""}}) {
        SaveRecentDir(path);
        EXPECT_STREQ(folder, GetRecentDir()) << path;
    }
}

TEST_F(CoffAuxTest, SourcesNewerThanAFileAreNoticed)
{
    std::string target = m_folder.Write("prog.hye", "x");
    std::string source = m_folder.Write("a.c", "y");
    auto setTime = [](const std::string& path, time_t seconds) {
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    };
    LoadSources({"a.c"});
    // The tables hold Windows-style paths; point the record at the file on disk.
    theStabsFiles->path = static_cast<char*>(PoolAlloc(source.size() + 1, 1));
    strcpy(theStabsFiles->path, source.c_str());

    setTime(target, 2000000000);
    setTime(source, 1999999999);
    EXPECT_FALSE(IsAnySourceNewer(target.c_str()));
    setTime(source, 2000000001);
    EXPECT_TRUE(IsAnySourceNewer(target.c_str()));
    EXPECT_FALSE(IsAnySourceNewer((m_folder / "missing.hye").c_str()));
}

std::string Record(BYTE id, DWORD word12)
{
    std::string record(32, '\0');
    record[0] = 0x55;
    record[1] = (char)id;
    for (int i = 0; i < 4; ++i)
        record[12 + i] = (char)(word12 >> (24 - 8 * i));
    return record;
}

TEST_F(CoffAuxTest, TargetRecordsAreFoundByIdAndSetTheTaskBase)
{
    std::string noMatch;
    for (int i = 0; i < 256; ++i)
        noMatch += Record(1, 0);
    const DWORD unset = 0x12345678;
    const struct {
        const char* name;
        std::string file;
        int result;
        DWORD base;
    } cases[] = {
        {"second record, low area", Record(1, 0x1000) + Record(7, 0xFFFF0FFF), kTargetRecordOk, 0},
        {"high area", Record(7, 0x00001000), kTargetRecordOk, 0x40000000},
        {"other area value", Record(7, 0x00002000), kTargetRecordNotFound, unset},
        {"none of 256", noMatch, kTargetRecordNotFound, unset},
        {"beyond 256", noMatch + Record(7, 0), kTargetRecordNotFound, unset},
        {"cut short", Record(1, 0) + Record(7, 0).substr(0, 31), kTargetRecordNotFound, unset},
    };
    for (const auto& c : cases) {
        theStabsTaskBase = unset;
        BYTE record[32] = {};
        EXPECT_EQ(c.result, ReadTargetRecord(m_folder.Write("board.bin", c.file).c_str(), 7, record)) << c.name;
        EXPECT_EQ(c.base, theStabsTaskBase) << c.name;
        if (c.result == kTargetRecordOk) {
            EXPECT_EQ(7, record[1]) << c.name;
        }
    }
    BYTE record[32];
    EXPECT_EQ(kTargetRecordNoPath, ReadTargetRecord("", 7, record));
    EXPECT_EQ(kTargetRecordNoPath, ReadTargetRecord(NULL, 7, record));
    EXPECT_EQ(kTargetRecordCannotOpen, ReadTargetRecord((m_folder / "none.bin").c_str(), 7, record));
}

TEST_F(CoffAuxTest, ArithmeticAndByteOrder)
{
    for (auto [a, b] :
         {std::pair<DWORD, DWORD>{0xFFFFFFFF, 0xFFFFFFFF}, {0x12345678, 0x9ABCDEF0}, {0x0001FFFF, 0x0001FFFF}}) {
        DWORD high = 0, low = 0;
        MulU32x32(a, b, &high, &low);
        EXPECT_EQ((uint64_t)a * b, (uint64_t)high << 32 | low) << std::hex << a << " * " << b;
    }
    DWORD high = 0, low = 0;
    uint64_t before = (uint64_t)time(NULL) * 1000000;
    GetTimeMicroseconds(&high, &low);
    EXPECT_NEAR((double)before, (double)((uint64_t)high << 32 | low), 2e6);

    BYTE pair[9];
    memset(pair, 0xCC, sizeof pair);
    PutBigEndianPair(pair, 0x40001000, 1);
    const BYTE expected[9] = {0x40, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x01, 0xCC};
    EXPECT_EQ(0, memcmp(expected, pair, sizeof pair));

    SetRangeEntry(1023, 1, 2, 3, 4);
    EXPECT_EQ(4u, theRangeTable[1023][3]);
    EXPECT_EQ(0u, theRangeTable[1023][4]) << "the fifth word is not set";
    SetRangeEntry(1024, 9, 9, 9, 9);  // outside the table: ignored
    SetRangeEntry(-1, 9, 9, 9, 9);
    EXPECT_EQ(0u, theRangeTable[0][0]);
}

}  // namespace
