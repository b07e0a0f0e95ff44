#include <string>
#include <vector>

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/settings/ISettingsReporter.h"
#include "platform/settings/Registry.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace {

SettingsKeyPath UserKey(std::vector<std::string> names)
{
    return SettingsKeyPath{SettingsRoot::CurrentUser, std::move(names)};
}

std::vector<BYTE> Bytes(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

std::vector<BYTE> DwordBytes(DWORD value)
{
    return {(BYTE)value, (BYTE)(value >> 8), (BYTE)(value >> 16), (BYTE)(value >> 24)};
}

std::vector<std::string> DamagedCopies(const CTempFolder& folder)
{
    std::vector<std::string> found;
    if (DIR* dir = opendir(folder.Path().c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name).rfind("settings.damaged-", 0) == 0)
                found.push_back(folder / entry->d_name);
        closedir(dir);
    }
    return found;
}

class CRecordingReporter : public ISettingsReporter {
public:
    CRecordingReporter() : m_pPrevious(InstallSettingsReporter(this)) {}
    ~CRecordingReporter() override { InstallSettingsReporter(m_pPrevious); }
    void ReportSettingsProblem(const std::string& text) override { reports.push_back(text); }

    std::vector<std::string> reports;

private:
    ISettingsReporter* m_pPrevious;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    CTempFolder m_folder;
    std::string m_path = m_folder / "settings.txt";
};

const std::string s_fileStart = "quillet-settings 1\nkey \"HKEY_CURRENT_USER\" \"Software\"\n"
                                "key \"HKEY_CURRENT_USER\" \"Software\" \"Brenlow\" \"Marrowind\"\n"
                                "value \"Options\" dword 00000001\n";
const SettingsKeyPath s_productKey = SettingsKeyPath{SettingsRoot::CurrentUser, {"Software", "Brenlow", "Marrowind"}};

TEST_F(SettingsStoreTest, DamagedFileKeepsEveryValueItCanRead)
{
    struct Case {
        const char* what;
        std::string content;
        bool damaged;
        std::vector<std::string> kept;  // DWORD values 1, 2, ... in this order
        std::vector<std::string> lost;
    };
    const Case cases[] = {
        {"no newline after the end line",
         s_fileStart + "value \"Board\" dword 00000002\nend",
         false,
         {"Options", "Board"},
         {}},
        {"one malformed value among good ones",
         s_fileStart + "value \"Bad\" dword 0000\nvalue \"Board\" dword 00000002\nend\n",
         true,
         {"Options", "Board"},
         {"Bad"}},
        {"a key that cannot be read takes only its own values",
         s_fileStart + "key \"HKEY_CURRENT_USER\" \"Soft\\\\ware\"\nvalue \"Lost\" dword 00000009\n"
                       "key \"HKEY_CURRENT_USER\" \"Software\" \"Brenlow\" \"Marrowind\"\n"
                       "value \"Board\" dword 00000002\nend\n",
         true,
         {"Options", "Board"},
         {"Lost"}},
        {"cut short: the unfinished last line is not trusted",
         s_fileStart + "value \"Board\" dword 00000002\nvalue \"Blob\" data 3 0A0B",
         true,
         {"Options", "Board"},
         {"Blob"}},
        {"a value named twice keeps the first",
         s_fileStart + "value \"OPTIONS\" dword 00000007\nend\n",
         true,
         {"Options"},
         {}},
        {"text after the end", s_fileStart + "end\nvalue \"Late\" dword 00000002\n", true, {"Options"}, {"Late"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTempFolder folder;
        std::string path = folder.Write("settings.txt", c.content);
        CRecordingReporter reporter;
        ::testing::internal::CaptureStderr();
        for (int session = 0; session < 2; ++session) {
            // The second store sees what the first one wrote anew.
            CSettingsStore store(path);
            for (size_t i = 0; i < c.kept.size(); ++i) {
                std::vector<BYTE> data;
                EXPECT_EQ(ERROR_SUCCESS, store.QueryValue(s_productKey, c.kept[i], NULL, &data)) << c.kept[i];
                EXPECT_EQ(DwordBytes((DWORD)i + 1), data) << c.kept[i];
            }
            for (const std::string& name : c.lost)
                EXPECT_EQ(ERROR_FILE_NOT_FOUND, store.QueryValue(s_productKey, name, NULL, NULL)) << name;
        }
        ::testing::internal::GetCapturedStderr();
        std::vector<std::string> copies = DamagedCopies(folder);
        ASSERT_EQ(c.damaged ? 1u : 0u, copies.size());
        ASSERT_EQ(c.damaged ? 1u : 0u, reporter.reports.size());
        if (c.damaged) {
            EXPECT_EQ(c.content, CTempFolder::Read(copies[0]));
            EXPECT_TRUE(Contains(reporter.reports[0], copies[0])) << reporter.reports[0];
            EXPECT_TRUE(Contains(reporter.reports[0], "could be read")) << reporter.reports[0];
        } else {
            EXPECT_EQ(c.content, CTempFolder::Read(path)) << "a sound file is not rewritten by reading";
        }
    }
}

TEST_F(SettingsStoreTest, StringsWithZeroBytesReadBackExactly)
{
    const std::string withZeros("C:\\a\0b\0", 6);
    {
        CSettingsStore store(m_path);
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(s_productKey, "Path", REG_SZ, Bytes(withZeros)));
    }
    CSettingsStore reopened(m_path);
    std::vector<BYTE> data;
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(s_productKey, "Path", &type, &data));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(Bytes(withZeros), data);
    EXPECT_TRUE(DamagedCopies(m_folder).empty());
}

TEST_F(SettingsStoreTest, ChangesThatCannotBeWrittenAreReportedOncePerSpell)
{
    struct Case {
        const char* what;
        std::string file;  // relative to the test's folder
        rlim_t sizeLimit;
        const char* reason;
    };
    const Case cases[] = {
        {"the settings folder is full", "settings.txt", 10, "File too large"},
        {"the settings folder cannot be made", "blocker/settings.txt", RLIM_INFINITY, "Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTempFolder folder;
        folder.Write("blocker");
        std::string path = folder / c.file;
        CSettingsStore store(path);
        CRecordingReporter reporter;
        ::testing::internal::CaptureStderr();
        {
            CFileSizeLimit limit(c.sizeLimit);
            for (int attempt = 0; attempt < 3; ++attempt)
                EXPECT_EQ(ERROR_ACCESS_DENIED, store.SetValue(s_productKey, "Options", REG_DWORD, DwordBytes(5)));
            BOOL created = FALSE;
            EXPECT_EQ(ERROR_ACCESS_DENIED, store.CreateKey(UserKey({"Software", "Other"}), &created));
        }
        ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(1u, reporter.reports.size());
        EXPECT_TRUE(Contains(reporter.reports[0], path)) << reporter.reports[0];
        EXPECT_TRUE(Contains(reporter.reports[0], c.reason)) << reporter.reports[0];
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, store.QueryValue(s_productKey, "Options", NULL, NULL));
    }

    // Once a change is written again, the next failure is news again.
    CSettingsStore store(m_path);
    CRecordingReporter reporter;
    ::testing::internal::CaptureStderr();
    for (int spell = 0; spell < 2; ++spell) {
        EXPECT_EQ(ERROR_SUCCESS, store.SetValue(s_productKey, "Options", REG_DWORD, DwordBytes(1)));
        CFileSizeLimit limit(10);
        EXPECT_EQ(ERROR_ACCESS_DENIED, store.SetValue(s_productKey, "Options", REG_DWORD, DwordBytes(2)));
        EXPECT_EQ(ERROR_ACCESS_DENIED, store.SetValue(s_productKey, "Options", REG_DWORD, DwordBytes(3)));
    }
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(2u, reporter.reports.size());
    std::vector<BYTE> data;
    ASSERT_EQ(ERROR_SUCCESS, store.QueryValue(s_productKey, "Options", NULL, &data));
    EXPECT_EQ(DwordBytes(1), data) << "the old file stays as it was";
}

TEST_F(SettingsStoreTest, FreshStoreHasOnlyTheSoftwareKey)
{
    CSettingsStore store(m_path);
    EXPECT_TRUE(store.KeyExists(UserKey({"Software"})));
    EXPECT_TRUE(store.KeyExists(UserKey({"SOFTWARE"})));
    EXPECT_FALSE(store.KeyExists(UserKey({"Software", "Brenlow"})));
    EXPECT_FALSE(store.KeyExists(SettingsKeyPath{SettingsRoot::LocalMachine, {"Software"}}));
    // Reading creates nothing on disk.
    EXPECT_TRUE(CTempFolder::Read(m_path).empty());
}

TEST_F(SettingsStoreTest, ValuesOfEveryTypeSurviveARestart)
{
    const std::string awkward = "C:\\Tools \"quoted\"\n\t\xC2\xAB"
                                "end\xC2\xBB";
    const std::vector<BYTE> binary{0x00, 0xFF, 0x0A, 0x22, 0x5C};
    {
        CSettingsStore store(m_path);
        SettingsKeyPath key = UserKey({"Software", "Brenlow", "Marrowind"});
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "Options", REG_DWORD, DwordBytes(0x12345605)));
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "Path", REG_SZ, Bytes(awkward)));
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "Blob", REG_BINARY, binary));
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "Empty", REG_BINARY, {}));
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "", REG_SZ, Bytes("default")));
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "Long", REG_DWORD, Bytes("12345678")));
    }
    CSettingsStore reopened(m_path);
    SettingsKeyPath key = UserKey({"software", "BRENLOW", "marrowind"});
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(key, "OPTIONS", &type, &data));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(DwordBytes(0x12345605), data);
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(key, "path", &type, &data));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(Bytes(awkward), data);
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(key, "Blob", &type, &data));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(binary, data);
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(key, "Empty", &type, &data));
    EXPECT_TRUE(data.empty());
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(key, "", &type, &data));
    EXPECT_EQ(Bytes("default"), data);
    // A DWORD-typed value of the wrong length keeps its length and type.
    ASSERT_EQ(ERROR_SUCCESS, reopened.QueryValue(key, "Long", &type, &data));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(8u, data.size());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reopened.QueryValue(key, "Missing", &type, &data));
}

TEST_F(SettingsStoreTest, NamesMatchRegardlessOfCaseAndKeepTheirFirstSpelling)
{
    CSettingsStore store(m_path);
    SettingsKeyPath key = UserKey({"Software", "Brenlow"});
    ASSERT_EQ(ERROR_SUCCESS, store.SetValue(key, "QB2300_Options", REG_DWORD, DwordBytes(1)));
    ASSERT_EQ(ERROR_SUCCESS,
              store.SetValue(UserKey({"SOFTWARE", "brenlow"}), "qb2300_options", REG_DWORD, DwordBytes(2)));
    EXPECT_EQ(std::vector<std::string>{"QB2300_Options"}, store.ValueNames(key));
    EXPECT_EQ(std::vector<std::string>{"Brenlow"}, store.SubkeyNames(UserKey({"Software"})));
    std::vector<BYTE> data;
    ASSERT_EQ(ERROR_SUCCESS, store.QueryValue(key, "Qb2300_OPTIONS", NULL, &data));
    EXPECT_EQ(DwordBytes(2), data);

    ASSERT_EQ(ERROR_SUCCESS, store.DeleteValue(key, "QB2300_OPTIONS"));
    EXPECT_TRUE(store.ValueNames(key).empty());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, store.DeleteValue(key, "QB2300_OPTIONS"));
}

TEST_F(SettingsStoreTest, CreatedKeysPersistAndReportWhetherTheyAreNew)
{
    CSettingsStore store(m_path);
    BOOL created = FALSE;
    ASSERT_EQ(ERROR_SUCCESS, store.CreateKey(UserKey({"Software", "Brenlow", "Marrowind"}), &created));
    EXPECT_TRUE(created);
    ASSERT_EQ(ERROR_SUCCESS, store.CreateKey(UserKey({"software", "brenlow"}), &created));
    EXPECT_FALSE(created);
    CSettingsStore reopened(m_path);
    EXPECT_TRUE(reopened.KeyExists(UserKey({"Software", "Brenlow", "Marrowind"})));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, store.CreateKey(UserKey({"Software", "a\\b"}), &created));
}

TEST_F(SettingsStoreTest, DamagedFileIsKeptAsideReportedAndNeverOverwritten)
{
    const std::string goodStart = "quillet-settings 1\nkey \"HKEY_CURRENT_USER\" \"Software\"\n";
    const std::vector<std::string> damaged = {
        "garbage\x01\x02 that is not ours",
        goodStart,                                          // truncated: no end line
        goodStart + "value \"Options\" dword 0000\nend\n",  // short DWORD
        goodStart + "value \"Options\" sz \"open\nend\n",   // unterminated string
        goodStart + "end\nkey \"HKEY_CURRENT_USER\"\n",     // text after the end
        "",                                                 // empty
    };
    for (const std::string& content : damaged) {
        SCOPED_TRACE(content);
        CTempFolder folder;
        std::string path = folder / "settings.txt";
        folder.Write("settings.txt", content);
        CSettingsStore store(path);

        ::testing::internal::CaptureStderr();
        std::vector<BYTE> data;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, store.QueryValue(UserKey({"Software"}), "Options", NULL, &data));
        std::string report = ::testing::internal::GetCapturedStderr();

        std::vector<std::string> copies = DamagedCopies(folder);
        ASSERT_EQ(1u, copies.size());
        EXPECT_EQ(content, CTempFolder::Read(copies[0]));
        EXPECT_NE(std::string::npos, report.find("damaged"));
        EXPECT_NE(std::string::npos, report.find(copies[0]));

        // The next write starts a new file; the kept copy stays as it was.
        ASSERT_EQ(ERROR_SUCCESS, store.SetValue(UserKey({"Software"}), "Options", REG_DWORD, DwordBytes(7)));
        EXPECT_EQ(content, CTempFolder::Read(copies[0]));
        EXPECT_EQ(ERROR_SUCCESS, store.QueryValue(UserKey({"Software"}), "Options", NULL, &data));
    }
}

TEST_F(SettingsStoreTest, TwoProcessesWritingAtOnceLoseNothing)
{
    const int perWriter = 60;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < 2; ++writer) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            CSettingsStore store(m_path);
            int failures = 0;
            for (int i = 0; i < perWriter; ++i) {
                std::string name = "W" + std::to_string(writer) + "_" + std::to_string(i);
                if (store.SetValue(UserKey({"Software", "Brenlow", "Marrowind"}), name, REG_DWORD,
                                   DwordBytes(writer * 1000 + i)) != ERROR_SUCCESS)
                    ++failures;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    CSettingsStore store(m_path);
    SettingsKeyPath key = UserKey({"Software", "Brenlow", "Marrowind"});
    EXPECT_EQ((size_t)(2 * perWriter), store.ValueNames(key).size());
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < perWriter; ++i) {
            std::vector<BYTE> data;
            std::string name = "W" + std::to_string(writer) + "_" + std::to_string(i);
            ASSERT_EQ(ERROR_SUCCESS, store.QueryValue(key, name, NULL, &data)) << name;
            EXPECT_EQ(DwordBytes(writer * 1000 + i), data);
        }
    }
}

}  // namespace
