#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <gtest/gtest.h>

#include "app/MainDialog.h"
#include "app/QuilletApp.h"
#include "platform/testing/ModalScript.h"
#include "platform/settings/Registry.h"
#include "platform/settings/SettingsStore.h"
#include "platform/ui/UiServices.h"
#include "res/resource.h"
#include "targets/TargetBase.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScopedDelayFactor.h"
#include "tests/support/TempFolder.h"

namespace {

const SettingsKeyPath s_settingsKey{SettingsRoot::CurrentUser, {"Software", "Brenlow", "Marrowind"}};

// Each test gets its own settings file and leaves theApp as it found it.
class QuilletAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousStore = InstallSettingsStore(&m_store);
        m_savedOptions = theApp.m_dwOptions;
        m_savedHelpPath = Swap(theApp.m_pszHelpFilePath, "/opt/tools/quillet.HLP");
        m_savedExeName = Swap(theApp.m_pszExeName, "quillet");
    }

    void TearDown() override
    {
        free(Swap(theApp.m_pszHelpFilePath, m_savedHelpPath));
        free(Swap(theApp.m_pszExeName, m_savedExeName));
        free(m_savedHelpPath);
        free(m_savedExeName);
        theApp.m_dwOptions = m_savedOptions;
        InstallSettingsStore(m_previousStore);
    }

    // Puts a malloc'd copy of `text` (or NULL) into `member` and returns the old pointer.
    static char* Swap(char*& member, const char* text)
    {
        char* old = member;
        member = text ? strdup(text) : NULL;
        return old;
    }

    void StoreOptions(DWORD type, const std::vector<BYTE>& data)
    {
        ASSERT_EQ(ERROR_SUCCESS, m_store.SetValue(s_settingsKey, "Options", type, data));
    }

    // "Options" as stored, or -1 when absent or not four bytes.
    long long StoredOptions()
    {
        std::vector<BYTE> data;
        DWORD type = 0;
        if (m_store.QueryValue(s_settingsKey, "Options", &type, &data) != ERROR_SUCCESS || data.size() != 4 ||
            type != REG_DWORD)
            return -1;
        return data[0] | data[1] << 8 | data[2] << 16 | (long long)data[3] << 24;
    }

    // Runs InitInstance with the main dialog ended as soon as it is shown, checking on the way
    // that the application points at it while it runs.
    void RunInitInstance()
    {
        CModalScript script;
        script.Expect(IDD_MAIN_DIALOG, [](CDialog& dialog) {
            EXPECT_EQ(static_cast<ITargetHost*>(&static_cast<CMainDialog&>(dialog)), theApp.m_pMainDialog);
            EXPECT_EQ(&dialog, static_cast<CDialog*>(theApp.m_pMainWnd));
            dialog.EndDialog(IDCANCEL);
        });
        EXPECT_FALSE(theApp.InitInstance());
        script.VerifyAndClear();
    }

    CTempFolder m_folder;
    CSettingsStore m_store{m_folder / "settings.txt"};
    CSettingsStore* m_previousStore = NULL;
    DWORD m_savedOptions = 0;
    char* m_savedHelpPath = NULL;
    char* m_savedExeName = NULL;
    // The main dialog calibrates the delay when it selects a target; a test has no second to
    // spare for that.
    CScopedDelayFactor m_delayFactor;
};

// Message boxes whose text a test cannot know in advance (a file name with the time in it):
// each is recorded and answered OK, noting whether the main dialog was already up.
class CRecordingMessages : public IUiServices {
public:
    struct Shown {
        std::string text;
        UINT type;
        bool duringMainDialog;
    };

    CRecordingMessages() : m_pPrevious(InstallUiServices(this)) {}
    ~CRecordingMessages() override { InstallUiServices(m_pPrevious); }

    int MessageBox(const CString& text, const CString&, UINT type) override
    {
        shown.push_back(Shown{text.str(), type, theApp.m_pMainDialog != NULL});
        return IDOK;
    }
    BOOL FileDialog(const FileDialogRequest&, std::vector<CString>&) override
    {
        ADD_FAILURE() << "unexpected file dialog";
        return FALSE;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

    std::vector<Shown> shown;

private:
    IUiServices* m_pPrevious;
};

std::string OnlyDamagedCopy(const CTempFolder& folder)
{
    std::vector<std::string> found;
    if (DIR* dir = opendir(folder.Path().c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name).find(".damaged-") != std::string::npos)
                found.push_back(folder / entry->d_name);
        closedir(dir);
    }
    return found.size() == 1 ? found[0] : std::string();
}

TEST_F(QuilletAppTest, SettingsProblemsAreShownToTheUserNotOnlyOnStderr)
{
    // One bad line: the start-up target is still read, and the user is told at start-up
    // which file was kept aside.
    m_folder.Write("settings.txt", "quillet-settings 1\n"
                                   "key \"HKEY_CURRENT_USER\" \"Software\" \"Brenlow\" \"Marrowind\"\n"
                                   "value \"QB2300_Options\" dword 12\n"
                                   "value \"Options\" dword 00000206\nend\n");
    {
        CRecordingMessages messages;
        ::testing::internal::CaptureStderr();
        RunInitInstance();
        ::testing::internal::GetCapturedStderr();
        std::string kept = OnlyDamagedCopy(m_folder);
        ASSERT_NE("", kept);
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_NE(std::string::npos, messages.shown[0].text.find(kept)) << messages.shown[0].text;
        EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), messages.shown[0].type);
        EXPECT_FALSE(messages.shown[0].duringMainDialog);
        EXPECT_EQ(0x206u, theApp.m_dwOptions);
    }

    // A change that cannot be written while the program runs: told once, with the path and
    // the reason, however many writes fail.
    CRecordingMessages messages;
    CModalScript script;
    script.Expect(IDD_MAIN_DIALOG, [&](CDialog& dialog) {
        ::testing::internal::CaptureStderr();
        {
            CFileSizeLimit full(10);
            theApp.SaveAppOptions(3);
            theApp.SaveAppOptions(-3);
        }
        ::testing::internal::GetCapturedStderr();
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_FALSE(theApp.InitInstance());
    script.VerifyAndClear();
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find(m_store.FilePath())) << messages.shown[0].text;
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("File too large")) << messages.shown[0].text;
    EXPECT_TRUE(messages.shown[0].duringMainDialog);
    EXPECT_EQ(0x206, StoredOptions());
}

TEST_F(QuilletAppTest, StartUpPointsHelpBesideTheProgramAndForgetsTheDialogAfterwards)
{
    RunInitInstance();
    EXPECT_STREQ("/opt/tools/Kelvane.hlp", theApp.m_pszHelpFilePath);
    EXPECT_EQ(NULL, theApp.m_pMainDialog);
    EXPECT_EQ(NULL, theApp.m_pMainWnd);

    // A default path too short to hold the program's name leaves just the file name.
    free(Swap(theApp.m_pszHelpFilePath, "q.HLP"));
    RunInitInstance();
    EXPECT_STREQ("Kelvane.hlp", theApp.m_pszHelpFilePath);
}

TEST_F(QuilletAppTest, StartUpReadsOptionsAndCreatesTheSettingsKey)
{
    // Absent: no start-up target; the keys below "Software" are created on the way.
    theApp.m_dwOptions = 0x55;
    RunInitInstance();
    EXPECT_EQ(0u, theApp.m_dwOptions);
    EXPECT_TRUE(m_store.KeyExists(s_settingsKey));
    EXPECT_EQ(-1, StoredOptions());

    // Bits 8-31 are kept as read. The low byte names no target, so nothing is selected.
    StoreOptions(REG_DWORD, {0xEE, 0x56, 0x34, 0x12});
    RunInitInstance();
    EXPECT_EQ(0x123456EEu, theApp.m_dwOptions);

    // Eight bytes do not fit the four-byte buffer: no start-up target.
    StoreOptions(REG_BINARY, {5, 0, 0, 0, 0, 0, 0, 0});
    RunInitInstance();
    EXPECT_EQ(0u, theApp.m_dwOptions);
}

TEST_F(QuilletAppTest, SaveAppOptionsChangesOnlyTheStartUpByte)
{
    // First save with a positive id creates the value.
    theApp.m_dwOptions = 0;
    theApp.SaveAppOptions(3);
    EXPECT_EQ(3, StoredOptions());

    theApp.m_dwOptions = 0xAB000005;
    theApp.SaveAppOptions(3);
    EXPECT_EQ(0xAB000003ll, StoredOptions());

    // Unticking another target's box leaves the start-up target, and still writes.
    ASSERT_EQ(ERROR_SUCCESS, m_store.DeleteValue(s_settingsKey, "Options"));
    theApp.m_dwOptions = 5;
    theApp.SaveAppOptions(-3);
    EXPECT_EQ(5, StoredOptions());

    theApp.SaveAppOptions(-5);
    EXPECT_EQ(0u, theApp.m_dwOptions);
    EXPECT_EQ(0, StoredOptions());

    theApp.m_dwOptions = 0x0102;
    theApp.SaveAppOptions(0);
    EXPECT_EQ(0x0102, StoredOptions());

    // Only the low byte of the id counts, for either sign and whatever the id's size.
    theApp.SaveAppOptions(0x106);
    EXPECT_EQ(0x0106, StoredOptions());
    theApp.SaveAppOptions(INT_MIN);
    EXPECT_EQ(0x0106, StoredOptions());
    theApp.SaveAppOptions(-0x206);
    EXPECT_EQ(0x0100, StoredOptions());
}

TEST_F(QuilletAppTest, SettingsKeyOpensForReadingAndWriting)
{
    HKEY key = theApp.OpenSettingsKey();
    ASSERT_NE(nullptr, key);
    DWORD value = 0x42;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueEx(key, "QB2300_Options", 0, REG_DWORD, (const BYTE*)&value, 4));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    std::vector<BYTE> data;
    EXPECT_EQ(ERROR_SUCCESS, m_store.QueryValue(s_settingsKey, "qb2300_options", NULL, &data));
}

TEST_F(QuilletAppTest, ProfileEntriesLiveInTheSettingsStore)
{
    EXPECT_EQ("none", theApp.GetProfileString("Recent Dir", "Recent Dir", "none"));
    EXPECT_TRUE(theApp.WriteProfileString("Recent Dir", "Recent Dir", "/home/user/work/"));
    EXPECT_EQ("/home/user/work/", theApp.GetProfileString("recent dir", "RECENT DIR", "none"));
    EXPECT_TRUE(m_store.KeyExists(SettingsKeyPath{SettingsRoot::CurrentUser, {"Software", "quillet", "Recent Dir"}}));

    EXPECT_TRUE(theApp.WriteProfileInt("Numbers", "Count", -2));
    EXPECT_EQ((UINT)-2, theApp.GetProfileInt("Numbers", "Count", 7));
    EXPECT_TRUE(theApp.WriteProfileString("Numbers", "Text", "42"));
    EXPECT_EQ(42u, theApp.GetProfileInt("Numbers", "Text", 7));
    EXPECT_EQ(7u, theApp.GetProfileInt("Numbers", "Absent", 7));
    // A number is no string.
    EXPECT_EQ("dflt", theApp.GetProfileString("Numbers", "Count", "dflt"));

    // No value removes the entry; no entry clears the section.
    EXPECT_TRUE(theApp.WriteProfileString("Numbers", "Text", NULL));
    EXPECT_EQ(7u, theApp.GetProfileInt("Numbers", "Text", 7));
    EXPECT_TRUE(theApp.WriteProfileString("Numbers", NULL, NULL));
    EXPECT_EQ(7u, theApp.GetProfileInt("Numbers", "Count", 7));
    EXPECT_EQ("/home/user/work/", theApp.GetProfileString("Recent Dir", "Recent Dir"));
}

}  // namespace
