// A user's whole road through the main window: choose the board, load the 'fat' stub and a
// set of banked files, program the simulated board and read the outcome.
#include <cstdlib>
#include <functional>

#include "app/MainDialog.h"
#include "platform/files/FileFind.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/Static.h"
#include "platform/testing/VirtualClock.h"
#include "res/resource.h"
#include "tests/sim/QB2300Simulator.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/ListEntries.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/targets/stub/StubTestSupport.h"

using hextext::Pattern;

namespace {

const char kLoadFilter[] = "Intel Hex Files (*.hex)|*.hex|Keil Banked Hex Files (*.h*)|*.h*|All Files (*.*)|*.*||";
const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const DWORD kLoadFlags = kOpenFlags | OFN_ALLOWMULTISELECT;

// Runs the main window as the application does (theApp points at it while it is open): `body`
// drives it once `target` is chosen, then it is closed. Each module box that a load brings up
// picks `module` (-1: no box is expected).
void RunMain(CModalScript& script, const char* target, int module,
             const std::function<void(CDialog&, CDialogDriver&)>& body)
{
    if (module >= 0)
        script.Expect(IDD_MODULE_SELECT, [module](CDialog& dialog) {
            CDialogDriver(dialog).Select(IDC_MODULE_TYPE, module);
            CDialogDriver(dialog).Click(IDOK);
        });
    script.Expect(IDD_MAIN_DIALOG, [&](CDialog& dialog) {
        CDialogDriver driver(dialog);
        EXPECT_TRUE(driver.SelectText(IDC_TARGET_TYPE, target));
        body(dialog, driver);
        driver.Close();
    });
    CMainDialog main;
    theApp.m_pMainDialog = &main;
    main.DoModal();
    theApp.m_pMainDialog = NULL;
}

}  // namespace

TEST_F(StubBoardTest, UserProgramsTheBoardThroughTheMainDialog)
{
    CQB2300Simulator sim;
    ASSERT_TRUE(sim.Start());
    CQB2300Simulator::Behaviour behaviour;
    behaviour.stage2Rescues = 1;
    sim.SetBehaviour(behaviour);
    CScopedEnvironment com1("QUILLET_COM1", sim.PortPath().c_str());
    CVirtualClock clock;
    CScopedClock useClock(clock);
    StoreStubSettings("QB2300", "", 2);  // banked files go straight to their banks
    theApp.m_dwOptions = 0;

    std::string fat = HexFile("fat.hex", 0, Pattern(0x800, 1));
    HexFile("PROG.H00", 0, Pattern(0x100, 2));
    HexFile("PROG.H01", 0, Pattern(0x100, 3));
    ui.ExpectOpenFile(kLoadFilter, kLoadFlags, {fat.c_str(), (folder / "prog.h00").c_str()});

    // At the rescue box the stage-2 bar is full: one step at the start, one per whole 2048-byte
    // piece, one for the last piece.
    int lower = -1, upper = -1, pos = -1;
    CString stepText;
    ui.ExpectMessage("Rescue mode detected, change FLASH memory and press OK to continue", MB_OK, IDOK, [&] {
        ASSERT_NE(theApp.m_pMainDialog, (CMainDialog*)NULL);
        theApp.m_pMainDialog->GetProgressCtrl()->GetRange(lower, upper);
        pos = theApp.m_pMainDialog->GetProgressCtrl()->GetPos();
        theApp.m_pMainDialog->GetProgressText()->GetWindowText(stepText);
    });
    ui.ExpectMessage("Download complete", MB_ICONINFORMATION, IDOK);
    std::vector<std::string> rows;
    int barAfter = -1;
    BOOL programEnabled = FALSE;
    CModalScript script;
    RunMain(script, "QB2300 Evaluation Board", 0, [&](CDialog& dialog, CDialogDriver& driver) {
        EXPECT_EQ(driver.Text(IDC_COMMS_RESOURCE), "COM1:");
        EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
        rows = ListEntries(dialog, IDC_MODULE_LIST);
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
        barAfter = ((CProgressCtrl*)dialog.GetDlgItem(IDC_PROGRESS))->GetPos();
        programEnabled = driver.IsEnabled(IDC_PROGRAM);
    });

    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(rows[1], "'Fat' stub download\tYes");
    EXPECT_EQ(rows[2], "'Thin' stub download\tNo");
    EXPECT_EQ(rows[3], "FLASH bank 0 download\tYes");
    EXPECT_EQ(rows[4], "FLASH bank 1 download\tYes");
    ui.VerifyAndClear();
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 0x10100 / 2048 + 2);
    EXPECT_EQ(pos, upper);
    EXPECT_EQ(stepText, "Program Stage 2: Download program data to FLASH");
    std::vector<BYTE> expected = Pattern(0x100, 2);
    expected.resize(0x10000, 0xFF);
    std::vector<BYTE> bank1 = Pattern(0x100, 3);
    expected.insert(expected.end(), bank1.begin(), bank1.end());
    EXPECT_EQ(sim.Stage2Bytes(), expected);
    EXPECT_EQ(barAfter, 0);
    EXPECT_TRUE(programEnabled);
}

TEST_F(StubBoardTest, KitOptionsBrowseKeepsTheDirectoryAndTheChosenNameInBankedModes)
{
    StoreStubSettings("QP0700", "", 1);
    theApp.m_dwOptions = 0;
    // Browsing must not move the current directory: the 'thin' stub offer reads from it.
    ui.ExpectOpenFile(kLoadFilter, kOpenFlags | OFN_NOCHANGEDIR, {"/data/thin.h00"});
    CString shown;
    CModalScript script;
    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        CDialogDriver(dialog).Click(IDC_QB2300_BROWSE);
        shown = CDialogDriver(dialog).Text(IDC_QB2300_THIN_PATH);
        CDialogDriver(dialog).Click(IDCANCEL);
    });
    RunMain(script, "QP0700 Evaluation Kit", -1,
            [](CDialog&, CDialogDriver& driver) { EXPECT_TRUE(driver.Click(IDC_OPTIONS)); });

    EXPECT_EQ(shown, "/data/thin.h00") << "a path that opens the chosen file, not a pattern";
    ui.VerifyAndClear();
    EXPECT_EQ(StoredString("QP0700_ThinDefault"), "");
}

TEST_F(StubBoardTest, SaveBufferAsksFirstAndReplacesTheOldFileOnlyWhenTheNewOneIsWhole)
{
    const char saveFilter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";
    const DWORD saveFlags = kOpenFlags | OFN_OVERWRITEPROMPT;
    theApp.m_dwOptions = 0;
    // The user's earlier image is far larger than the buffer now saved over it.
    const std::string oldImage = hextext::Image(0, Pattern(0x4000, 9));
    std::string target = folder.Write("image.hex", oldImage);
    std::string bank0 = HexFile("bank0.hex", 0, Pattern(0x300, 4));

    struct Case {
        const char* what;
        rlim_t sizeLimit;
        bool saved;
    };
    const Case cases[] = {{"the disk fills up part-way", 0x200, false}, {"there is room", RLIM_INFINITY, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.ExpectOpenFile(kLoadFilter, kLoadFlags, {bank0.c_str()});
        ui.ExpectSaveFile(saveFilter, saveFlags, target.c_str());
        if (!c.saved)
            ui.ExpectMessage("Unable to create buffer file\n" + target + ": File too large", MB_OK, IDOK)
                .ExpectMessage("Error - Unable to save the buffer", MB_OK, IDOK);
        CModalScript script;
        RunMain(script, "QB2300 Evaluation Board", 2, [&](CDialog&, CDialogDriver& driver) {
            EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
            CFileSizeLimit disk(c.sizeLimit);
            EXPECT_TRUE(driver.Click(IDC_SAVE_BUFFER));
        });
        ui.VerifyAndClear();

        EXPECT_EQ(CTempFolder::Read(target), c.saved ? hextext::Image(0, Pattern(0x300, 4)) : oldImage);
        CFileFind leftovers;
        EXPECT_FALSE(leftovers.FindFile((folder / ".*").c_str())) << "no temporary file is left beside it";
    }
}

// The board's outcome text stays as it is; the box adds which device would not open and why.
TEST_F(StubBoardTest, APortThatWillNotOpenSaysWhichDeviceAndWhy)
{
    StoreStubSettings("QB2300", "", 2);
    theApp.m_dwOptions = 0;
    std::string missing = folder / "ttyGone";
    CScopedEnvironment com1("QUILLET_COM1", missing.c_str());
    std::string fat = HexFile("fat.hex", 0, Pattern(0x800, 1));
    HexFile("PROG.H00", 0, Pattern(0x100, 2));
    ui.ExpectOpenFile(kLoadFilter, kLoadFlags, {fat.c_str(), (folder / "prog.h00").c_str()});
    const char* thin = "Automaticaly include 'thin' stub code in bank 1";
    const CString outcome = "Unable to open specified communications port\n";
    ui.ExpectMessage(thin, MB_YESNO, IDNO)
        .ExpectMessage(outcome + missing.c_str() +
                           ": no such device. Check that the port or its adapter is present and plugged in, or set "
                           "QUILLET_COM1 to the device to use.",
                       MB_ICONEXCLAMATION, IDOK)
        .ExpectMessage(thin, MB_YESNO, IDNO)
        .ExpectMessage(outcome + "COM1: busy, in use by another program.", MB_ICONEXCLAMATION, IDOK)
        .ExpectMessage("Overlaid data has been detected, continue", MB_YESNO, IDNO)
        .ExpectMessage("Invalid Binary Image", MB_ICONEXCLAMATION, IDOK);
    CModalScript script;
    RunMain(script, "QB2300 Evaluation Board", 0, [&](CDialog&, CDialogDriver& driver) {
        EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
        {
            CFakeSerialDevice other("COM1:");  // another program has the port
            other.SetBusy(true);
            EXPECT_TRUE(driver.Click(IDC_PROGRAM));
        }
        // A failure that opened no port blames no device, not even the last one.
        theQB2300Flash.LoadModule(2, HexFile("again.hex", 0x10, Pattern(4, 9)).c_str());
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
    });
    ui.VerifyAndClear();
}
