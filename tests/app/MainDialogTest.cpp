#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainDialog.h"
#include "app/QuilletApp.h"
#include "platform/testing/DialogDriver.h"
#include "platform/wnd/Menu.h"
#include "platform/testing/ModalScript.h"
#include "platform/testing/VirtualClock.h"
#include "res/resource.h"
#include "tests/support/ListEntries.h"
#include "tests/support/RecordingHelpService.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/ScopedDelayFactor.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace {

using Strings = std::vector<std::string>;

const BYTE kTestId = 3;
const char kTestName[] = "Recording Test Target";
const char kHeader[] = "Description\tData";
const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const DWORD kMultiFlags = kOpenFlags | OFN_ALLOWMULTISELECT;

CString Quoted(const char* text, const std::string& path)
{
    return CString(text) + " \xC2\xAB" + path.c_str() + "\xC2\xBB";
}

class MainDialogTest : public ::testing::Test {
protected:
    MainDialogTest() : m_target(kTestId, kTestName) {}

    void SetUp() override { theApp.m_dwOptions = 0; }
    void TearDown() override { theApp.m_dwOptions = 0; }

    // Runs the main dialog; `body` drives it, then Esc closes it.
    void Run(std::function<void(CMainDialog&, CDialogDriver&)> body)
    {
        m_script.Expect(IDD_MAIN_DIALOG, [&](CDialog& dialog) {
            CDialogDriver driver(dialog);
            body((CMainDialog&)dialog, driver);
            EXPECT_TRUE(driver.PressKey(VK_ESCAPE));
        });
        CMainDialog main;
        EXPECT_EQ(IDCANCEL, main.DoModal());
        m_script.VerifyAndClear();
    }

    // Selects the test target as the user would and forgets the calls that made.
    void Choose(CDialogDriver& driver)
    {
        ASSERT_TRUE(driver.SelectText(IDC_TARGET_TYPE, kTestName));
        m_target.ClearCalls();
    }

    static Strings Rows(CDialog& dialog) { return ListEntries(dialog, IDC_MODULE_LIST); }

    // The level the enabled controls show, or -1 if they fit no level.
    static int Level(CDialogDriver& driver)
    {
        auto all = [&](std::initializer_list<int> ids) {
            int on = 0;
            for (int id : ids)
                on += driver.IsEnabled(id) ? 1 : 0;
            return on == 0 ? 0 : on == (int)ids.size() ? 1 : -1;
        };
        int one = all({IDC_COMMS_RESOURCE, IDC_LOAD_FILE, IDC_MODULE_LIST});
        int two = all({IDC_SAVE_BUFFER, IDC_VIEW_BUFFER, IDC_CLEAR_BUFFER});
        int three = all({IDC_PROGRAM});
        if (one < 0 || two < 0 || !driver.IsEnabled(IDC_TARGET_TYPE) || two > one || three > two)
            return -1;
        return one + two + three;
    }

    static void SelectRows(CDialogDriver& driver, std::vector<int> rows)
    {
        for (size_t i = 0; i < rows.size(); ++i)
            ASSERT_TRUE(driver.SelectListItem(IDC_MODULE_LIST, rows[i], i > 0));
    }

    CScopedDelayFactor m_delayFactor;  // the real calibration takes over a second
    CModalScript m_script;
    CScriptedUi m_ui;
    CRecordingHelpService m_help;
    CRecordingTarget m_target;
    CTempFolder m_folder;
};

TEST_F(MainDialogTest, OpensWithOnlyTheTargetListWhenNoStartupTarget)
{
    theApp.m_dwOptions = 0xEE;  // names no target
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        EXPECT_EQ(0, Level(driver));
        EXPECT_FALSE(driver.IsEnabled(IDC_OPTIONS));
        EXPECT_FALSE(driver.IsEnabled(IDC_PROGRESS));
        CComboBox* targets = (CComboBox*)dialog.GetDlgItem(IDC_TARGET_TYPE);
        EXPECT_EQ(CB_ERR, targets->GetCurSel());
        int index = targets->FindStringExact(-1, kTestName);
        ASSERT_NE(CB_ERR, index);
        EXPECT_EQ((DWORD_PTR)kTestId, targets->GetItemData(index));
        EXPECT_EQ(0, ((CComboBox*)dialog.GetDlgItem(IDC_COMMS_RESOURCE))->GetCount());
        EXPECT_EQ(Strings{kHeader}, Rows(dialog));
        EXPECT_EQ("Program Action Progress", driver.Text(IDC_PROGRESS_TEXT));
        EXPECT_EQ("&Program", driver.Text(IDC_PROGRAM));
    });
    EXPECT_TRUE(m_target.Calls().empty());
}

TEST_F(MainDialogTest, StartupTargetFromOptionsIsSelectedAndPrepared)
{
    theApp.m_dwOptions = 0x4400 | kTestId;
    Run([&](CMainDialog&, CDialogDriver& driver) {
        EXPECT_EQ(kTestName, driver.Text(IDC_TARGET_TYPE));
        EXPECT_EQ("COM1:", driver.Text(IDC_COMMS_RESOURCE)) << "first of the sorted list";
        EXPECT_EQ(1, Level(driver));
        EXPECT_TRUE(driver.IsEnabled(IDC_OPTIONS));
    });
    EXPECT_EQ("LoadOptions", m_target.Calls().at(0));
    EXPECT_EQ(Strings{"ClearModule(-1)"}, m_target.CallsStartingWith("ClearModule"));
}

TEST_F(MainDialogTest, ChoosingATargetCalibratesTheDelay)
{
    // A tick each reading: too few loops fit the counted second, so the calibration ends at
    // once with the factor 1.
    struct CTickPerRead : CVirtualClock {
        uint64_t NowMilliseconds() override
        {
            Advance(1);
            return CVirtualClock::NowMilliseconds();
        }
    } clock;
    CScopedClock scope(clock);
    CScopedDelayFactor uncalibrated(0);
    theApp.m_dwOptions = 0xEE;  // names no target
    Run([&](CMainDialog&, CDialogDriver& driver) {
        EXPECT_EQ(0u, CTargetBase::s_nDelayFactor);
        Choose(driver);
        EXPECT_EQ(1u, CTargetBase::s_nDelayFactor);
    });
}

TEST_F(MainDialogTest, WindowMenuOffersAboutAndHelpIndexAndHelpFollowsTheDialog)
{
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        CMenu* menu = dialog.GetSystemMenu(FALSE);
        ASSERT_NE(nullptr, menu);
        CString text;
        menu->GetMenuString(IDM_ABOUTBOX, text, MF_BYCOMMAND);
        EXPECT_EQ("&About Brenlow FLASH Programmer", text);
        menu->GetMenuString(ID_HELP, text, MF_BYCOMMAND);
        EXPECT_EQ("Brenlow FLASH Programmer Help Index", text);

        m_script.Expect(IDD_ABOUTBOX, [](CDialog& about) { about.EndDialog(IDOK); });
        EXPECT_TRUE(driver.SystemMenu(IDM_ABOUTBOX));
        m_help.Clear();
        EXPECT_TRUE(driver.SystemMenu(ID_HELP));
        EXPECT_TRUE(driver.PressKey(VK_F1));
        dialog.SetControlState(3);
        EXPECT_TRUE(driver.PressKey(VK_F1, TRUE));
        EXPECT_TRUE(driver.ContextHelpClick(IDC_PROGRAM));
        ASSERT_EQ(3u, m_help.Calls().size());
        EXPECT_EQ(CRecordingHelpService::Index, m_help.Calls()[0].kind) << "the help index opens the contents";
        EXPECT_EQ(CRecordingHelpService::Topic, m_help.Calls()[1].kind);
        EXPECT_EQ(0x20066u, m_help.Calls()[1].contextId);
        EXPECT_EQ(CRecordingHelpService::Popup, m_help.Calls()[2].kind);
        EXPECT_EQ(0x80660411u, m_help.Calls()[2].contextId) << "Program carries control 1041's id";
    });
    EXPECT_EQ(1, m_script.RunCount(IDD_ABOUTBOX));
    EXPECT_EQ(CRecordingHelpService::Quit_, m_help.Calls().back().kind);
}

TEST_F(MainDialogTest, LevelFollowsLoadOptionsLoadedModulesAndCanProgram)
{
    std::string file = m_folder.Write("one.hex");
    CRecordingTarget other(kTestId + 1, "Another Test Target");
    other.m_nLoadOptions = 0;
    m_target.m_nCanProgram = 0;
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        ASSERT_TRUE(driver.SelectText(IDC_TARGET_TYPE, "Another Test Target"));
        EXPECT_EQ(0, Level(driver));
        EXPECT_TRUE(driver.IsEnabled(IDC_OPTIONS));

        Choose(driver);
        EXPECT_EQ((Strings{kHeader, "Module 0\tNo"}), Rows(dialog));
        m_ui.ExpectOpenFile(m_target.m_strFilter, kMultiFlags, {file.c_str()});
        driver.Click(IDC_LOAD_FILE);
        EXPECT_EQ((Strings{kHeader, "Module 0\tYes"}), Rows(dialog));
        EXPECT_EQ(2, Level(driver));

        m_target.m_nCanProgram = 1;
        m_ui.ExpectOpenFile(m_target.m_strFilter, kMultiFlags, {file.c_str()});
        driver.Click(IDC_LOAD_FILE);
        EXPECT_EQ(3, Level(driver));

        m_target.m_nCanProgram = 0;
        driver.Click(IDC_CLEAR_BUFFER);
        EXPECT_EQ(1, Level(driver));

        dialog.SetControlState(2);  // as a target may
        dialog.SetControlState(255);
        EXPECT_EQ(2, Level(driver));
        dialog.SetControlState(9);
        EXPECT_EQ(3, Level(driver)) << "levels above 3 act as 3";
    });
    EXPECT_EQ(Strings{"ClearModule(-1)"}, other.CallsStartingWith("ClearModule"));
}

TEST_F(MainDialogTest, LoadFileRefusesTargetsWithoutModulesAndSkipsEmptyFilters)
{
    m_target.SetModules({});
    Run([&](CMainDialog&, CDialogDriver& driver) {
        Choose(driver);
        m_ui.ExpectMessage("Invalid Target Selected", MB_OK, IDOK);
        driver.Click(IDC_LOAD_FILE);
        m_target.SetModules({"Code"});
        m_target.m_strFilter = "";
        driver.Click(IDC_LOAD_FILE);
        m_target.m_strFilter = "Hex|*.hex||";
        m_target.m_bMultiSelect = FALSE;
        m_ui.ExpectOpenFile("Hex|*.hex||", kOpenFlags, {});
        driver.Click(IDC_LOAD_FILE);
    });
    EXPECT_TRUE(m_target.CallsStartingWith("LoadModule").empty());
}

TEST_F(MainDialogTest, OneModuleTargetTakesEveryFileWithoutBeingAsked)
{
    std::string a = m_folder.Write("a.hex"), b = m_folder.Write("b.hex");
    Run([&](CMainDialog&, CDialogDriver& driver) {
        Choose(driver);
        m_ui.ExpectOpenFile(m_target.m_strFilter, kMultiFlags, {a.c_str(), b.c_str()});
        driver.Click(IDC_LOAD_FILE);
    });
    EXPECT_TRUE(m_target.CallsStartingWith("SelectModuleForFile").empty());
    EXPECT_EQ((Strings{"LoadModule(0," + a + ")", "LoadModule(0," + b + ")"}),
              m_target.CallsStartingWith("LoadModule"));
}

TEST_F(MainDialogTest, MissingSecondFileEndsTheCommandAfterTheFirst)
{
    m_target.SetModules({"Code", "Data"});
    m_target.m_nDefaultSelection = 1;
    std::string first = m_folder.Write("first.hex"), third = m_folder.Write("third.hex");
    std::string missing = m_folder / "second.hex";
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        Choose(driver);
        m_ui.ExpectOpenFile(m_target.m_strFilter, kMultiFlags, {first.c_str(), missing.c_str(), third.c_str()});
        m_ui.ExpectMessage(Quoted("Unable to find specified file", missing), MB_OK, IDOK);
        driver.Click(IDC_LOAD_FILE);
        EXPECT_EQ((Strings{kHeader, "Code\tNo", "Data\tYes"}), Rows(dialog));
    });
    EXPECT_EQ(Strings{"LoadModule(1," + first + ")"}, m_target.CallsStartingWith("LoadModule"));
    EXPECT_EQ(Strings{"SelectModuleForFile(" + first + ")"}, m_target.CallsStartingWith("SelectModuleForFile"));
}

// '*' and '?' are legal in names: only a pattern that the target makes is expanded, and a
// name it merely upper-cased still opens the file that was chosen.
TEST_F(MainDialogTest, ChosenNamesOpenAsTheyAreAndOnlyTheTargetsPatternExpands)
{
    const Strings banks = {"prog.h00", "prog.h01", "PROG.H00", "PROG.H01"};
    struct Case {
        Strings files;
        const char* chosen;
        const char* fixed;  // what FixFileName makes of it; NULL: unchanged
        Strings loaded;
    } cases[] = {
        {{"fw?.bin", "fw1.bin", "fwz.bin"}, "fw?.bin", NULL, {"fw?.bin"}},
        {{"pr*g.hex", "prog.hex"}, "pr*g.hex", "PR*G.HEX", {"pr*g.hex"}},
        {{"prog.hex", "PROG.HEX"}, "prog.hex", "PROG.HEX", {"prog.hex"}},
        {banks, "prog.h00", "PROG.H*", {"prog.h00", "prog.h01"}},
        {banks, "PROG.H00", "PROG.H*", {"PROG.H00", "PROG.H01"}},
        {{"PROG.H00", "PROG.H01"}, "prog.h00", "PROG.H*", {"PROG.H00", "PROG.H01"}},
        {{"v?/prog.h00", "v?/prog.h01"}, "v?/prog.h00", "v?/PROG.H*", {"v?/prog.h00", "v?/prog.h01"}},
        // Its own wildcards and the target's cannot be told apart: the chosen file alone.
        {{"fw?.h00", "fw?.h01", "fw1.h00"}, "fw?.h00", "FW?.H*", {"fw?.h00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        CTempFolder folder;
        for (const std::string& name : c.files)
            folder.Write(name);
        m_target.m_fixes.clear();
        if (c.fixed)
            m_target.m_fixes[folder / c.chosen] = folder / c.fixed;
        Run([&](CMainDialog&, CDialogDriver& driver) {
            Choose(driver);
            m_ui.ExpectOpenFile(m_target.m_strFilter, kMultiFlags, {(folder / c.chosen).c_str()});
            driver.Click(IDC_LOAD_FILE);
        });
        Strings expected;
        for (const std::string& name : c.loaded)
            expected.push_back("LoadModule(0," + folder / name + ")");
        EXPECT_EQ(expected, m_target.CallsStartingWith("LoadModule"));
    }
}

class WildcardLoadTest : public MainDialogTest {
protected:
    void SetUp() override
    {
        MainDialogTest::SetUp();
        m_target.SetModules({"Bank", "Stub"});
        for (int bank = 0; bank < 4; ++bank)
            m_banks.push_back(m_folder.Write("IMAGE.H0" + std::to_string(bank)));
        m_other = m_folder.Write("other.hex");
        // The target turns the first bank into a pattern for all of them, as banked images need.
        m_target.m_fixes[m_banks[0]] = m_folder / "image.h*";
    }

    // Loads the first bank and then another file; `failure` is the message expected between.
    void Load(const CString& failure = "")
    {
        Run([&](CMainDialog&, CDialogDriver& driver) {
            Choose(driver);
            m_ui.ExpectOpenFile(m_target.m_strFilter, kMultiFlags, {m_banks[0].c_str(), m_other.c_str()});
            if (!failure.IsEmpty())
                m_ui.ExpectMessage(failure, MB_OK, IDOK);
            driver.Click(IDC_LOAD_FILE);
        });
    }

    Strings Loaded(std::initializer_list<int> banks)
    {
        Strings calls;
        for (int bank : banks)
            calls.push_back("LoadModule(0," + m_banks[bank] + ")");
        calls.push_back("LoadModule(0," + m_other + ")");
        return calls;
    }

    Strings m_banks;
    std::string m_other;
};

TEST_F(WildcardLoadTest, PatternLoadsEveryMatchInNameOrder)
{
    Load();
    EXPECT_EQ(Loaded({0, 1, 2, 3}), m_target.CallsStartingWith("LoadModule"));
}

TEST_F(WildcardLoadTest, RefusedMatchSilentlySkipsTheRestOfThatPath)
{
    m_target.m_selections[m_banks[2]] = -1;
    Load();
    EXPECT_EQ(Loaded({0, 1}), m_target.CallsStartingWith("LoadModule"));
}

TEST_F(WildcardLoadTest, FailedMatchIsReportedWithItsFullPathAndSkipsTheRest)
{
    m_target.m_loadResults[m_banks[1]] = FALSE;
    Load(Quoted("Unable to load specified file", m_banks[1]));
    EXPECT_EQ(Loaded({0, 1}), m_target.CallsStartingWith("LoadModule"));
}

// --- Clear Buffer ---

class ClearBufferTest : public MainDialogTest {
protected:
    // Loads every module, selects `rows` and presses Clear Buffer; `choice` answers the
    // choice dialog when one is expected.
    void Clear(std::vector<int> rows, std::function<void(CDialogDriver&)> choice = {})
    {
        Run([&](CMainDialog& dialog, CDialogDriver& driver) {
            Choose(driver);
            m_target.m_loaded.assign(m_target.m_moduleNames.size(), true);
            dialog.SetControlState(2);
            SelectRows(driver, rows);
            if (choice)
                m_script.Expect(IDD_CLEAR_CHOICE, [&](CDialog& open) {
                    CDialogDriver choiceDriver(open);
                    choice(choiceDriver);
                });
            m_target.ClearCalls();
            driver.Click(IDC_CLEAR_BUFFER);
        });
    }

    Strings Cleared() const { return m_target.CallsStartingWith("ClearModule"); }
};

TEST_F(ClearBufferTest, NoSelectionClearsEverythingWithoutAsking)
{
    m_target.SetModules({"A", "B", "C"});
    Clear({});
    EXPECT_EQ(Strings{"ClearModule(-1)"}, Cleared());
}

TEST_F(ClearBufferTest, HeaderRowAloneClearsNothing)
{
    Clear({0});
    EXPECT_TRUE(Cleared().empty());
    EXPECT_FALSE(m_target.CallsStartingWith("GetModuleName").empty()) << "the list is rebuilt";

    m_target.SetModules({"A", "B"});
    Clear({0}, [](CDialogDriver& d) { d.Click(IDC_CLEAR_SELECTED); });
    EXPECT_TRUE(Cleared().empty());
}

TEST_F(ClearBufferTest, ChoiceClearsTheSelectedModulesInOrderOrEverything)
{
    m_target.SetModules({"A", "B", "C"});
    Clear({3, 1}, [](CDialogDriver& d) { d.Click(IDC_CLEAR_SELECTED); });
    EXPECT_EQ((Strings{"ClearModule(0)", "ClearModule(2)"}), Cleared());
    Clear({2}, [](CDialogDriver& d) { d.Click(IDC_CLEAR_WHOLE); });
    EXPECT_EQ(Strings{"ClearModule(-1)"}, Cleared());
}

TEST_F(ClearBufferTest, CancelledChoiceClearsNothingAndKeepsTheList)
{
    m_target.SetModules({"A", "B"});
    Clear({1}, [](CDialogDriver& d) { d.PressKey(VK_ESCAPE); });
    EXPECT_TRUE(Cleared().empty());
    EXPECT_TRUE(m_target.CallsStartingWith("GetModuleName").empty());
}

// --- Program, Save, View, Options ---

TEST_F(MainDialogTest, ProgramRunsAtLevelZeroWithTheBarAndEndsAtLevelThree)
{
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        Choose(driver);
        dialog.SetControlState(3);
        ASSERT_TRUE(driver.Select(IDC_COMMS_RESOURCE, 1));
        m_target.m_onProgram = [&] {
            EXPECT_EQ(0, Level(driver));
            EXPECT_TRUE(driver.IsEnabled(IDC_PROGRESS));
            dialog.GetProgressCtrl()->SetPos(70);
            dialog.GetProgressText()->SetWindowText("Programming FLASH");
        };
        m_ui.ExpectMessage("Programming complete", MB_ICONINFORMATION, IDOK);
        driver.Click(IDC_PROGRAM);
        EXPECT_EQ(3, Level(driver));
        EXPECT_FALSE(driver.IsEnabled(IDC_PROGRESS));
        EXPECT_EQ(0, dialog.GetProgressCtrl()->GetPos());
        EXPECT_EQ("Program Action Progress", driver.Text(IDC_PROGRESS_TEXT));

        m_target.m_bProgramResult = FALSE;
        m_target.m_strProgramMessage = "Failed to communicate with device";
        m_ui.ExpectMessage("Failed to communicate with device", MB_ICONEXCLAMATION, IDOK);
        driver.Click(IDC_PROGRAM);
        EXPECT_EQ(3, Level(driver));
    });
    EXPECT_EQ((Strings{"Program(COM2:)", "Program(COM2:)"}), m_target.CallsStartingWith("Program"));
}

TEST_F(MainDialogTest, SaveBufferUsesASaveDialogAndReportsFailure)
{
    const char filter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";
    m_target.m_bSaveResult = FALSE;
    std::string path = m_folder / "out.hex";
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        Choose(driver);
        dialog.SetControlState(2);
        // The save dialog asks before it replaces an existing file.
        m_ui.ExpectSaveFile(filter, kOpenFlags | OFN_OVERWRITEPROMPT, "");
        driver.Click(IDC_SAVE_BUFFER);
        m_ui.ExpectSaveFile(filter, kOpenFlags | OFN_OVERWRITEPROMPT, path.c_str());
        m_ui.ExpectMessage("Error - Unable to save the buffer", MB_OK, IDOK);
        driver.Click(IDC_SAVE_BUFFER);
        EXPECT_EQ("HEX", m_ui.LastFileRequest().defaultExtension);
        EXPECT_EQ(2, Level(driver));
    });
    EXPECT_EQ(Strings{"SaveBuffer(" + path + ")"}, m_target.CallsStartingWith("SaveBuffer"));
}

TEST_F(MainDialogTest, BrowseForFileRefusesMissingArgumentsAndOpensForPositiveFlags)
{
    std::string path = m_folder.Write("stub.hex");
    Run([&](CMainDialog& dialog, CDialogDriver&) {
        CString chosen = "unchanged";
        EXPECT_FALSE(dialog.BrowseForFile(NULL, "A|*.a||", 0));
        EXPECT_FALSE(dialog.BrowseForFile(&chosen, NULL, 0));
        EXPECT_FALSE(dialog.BrowseForFile(&chosen, "", 0));
        m_ui.ExpectOpenFile("A|*.a||", kOpenFlags | OFN_NOCHANGEDIR, {});
        EXPECT_FALSE(dialog.BrowseForFile(&chosen, "A|*.a||", OFN_NOCHANGEDIR));
        EXPECT_EQ("unchanged", chosen);
        m_ui.ExpectOpenFile("A|*.a||", kOpenFlags | OFN_NOCHANGEDIR, {path.c_str()});
        EXPECT_TRUE(dialog.BrowseForFile(&chosen, "A|*.a||", OFN_NOCHANGEDIR));
        EXPECT_EQ(path, chosen.str());
    });
}

TEST_F(MainDialogTest, ViewBufferOpensOnTheLowestSelectedRowAtLevelZero)
{
    m_target.SetModules({"A", "B", "C"});
    m_target.m_images[1] = {1, 2, 3};
    Run([&](CMainDialog& dialog, CDialogDriver& driver) {
        Choose(driver);
        dialog.SetControlState(3);
        SelectRows(driver, {3, 2});
        m_script.Expect(IDD_VIEW_BUFFER, [&](CDialog& viewer) {
            EXPECT_EQ(0, Level(driver));
            EXPECT_EQ(1, ((CComboBox*)viewer.GetDlgItem(IDC_VIEW_AREA))->GetCurSel());
            viewer.EndDialog(IDCANCEL);
        });
        driver.Click(IDC_VIEW_BUFFER);
        EXPECT_EQ(3, Level(driver));
    });
    EXPECT_EQ(Strings{"GetModuleImage(1)"}, m_target.CallsStartingWith("GetModuleImage"));
}

TEST_F(MainDialogTest, OptionsOpensTheTargetsOwnDialogOrTheGenericOne)
{
    Run([&](CMainDialog&, CDialogDriver& driver) {
        Choose(driver);
        m_target.m_nHasOptions = 1;
        driver.Click(IDC_OPTIONS);
        EXPECT_EQ(Strings{"ShowOptions"}, m_target.CallsStartingWith("ShowOptions"));

        m_target.m_nHasOptions = 2;
        m_script.Expect(IDD_TARGET_OPTIONS, [](CDialog& options) {
            CDialogDriver optionsDriver(options);
            optionsDriver.Click(IDC_DEFAULT_TARGET);
            optionsDriver.Click(IDOK);
        });
        driver.Click(IDC_OPTIONS);
        EXPECT_EQ(1, Level(driver)) << "options leave the level alone";
    });
    EXPECT_EQ((DWORD)kTestId, theApp.m_dwOptions & 0xFF);
}

}  // namespace
