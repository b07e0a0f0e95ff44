// A user's whole road with the kit: choose it, load a .bin, press Program, pick one of two
// boards, and read the outcome.
#include "app/MainDialog.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/Dialog.h"
#include "res/resource.h"
#include "tests/sim/QB7740Simulator.h"
#include "tests/support/ListEntries.h"
#include "tests/support/ScopedDelayFactor.h"
#include "tests/targets/hyusb/HyUsbTestSupport.h"

TEST_F(HyUsbKitTest, UserProgramsTheKitThroughTheMainDialog)
{
    // The kit does not use the busy-wait delay, and a virtual clock would never calibrate it.
    CScopedDelayFactor delayFactor;
    theApp.m_dwOptions = 0;
    CQB7740Simulator first, second;
    hid.AddBoard("QB-0001", &first);
    hid.AddBoard("QB-0002", &second);
    std::string image = KitImage(0x10000, 5);
    std::string path = folder.Write("firmware.bin", image);

    ui.ExpectOpenFile("bin Files (*.bin)|*.bin|", OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                      {path.c_str()});
    ui.ExpectMessage("Please set raDedav-AD jumper ST13 to 5-6 and press reset button S1", MB_OK, IDOK);
    ui.ExpectMessage("Please set raDedav-AD jumper ST13 to 1-2", MB_OK, IDOK);
    ui.ExpectMessage("raDedav-AD Flash programmed successfully", MB_ICONINFORMATION, IDOK);
    std::string moduleRow;
    std::vector<std::string> offered;
    CModalScript script;
    script.Expect(IDD_HIDSN, [&](CDialog& dialog) {
        offered = ListEntries(dialog, IDC_HIDSN_LIST);
        CDialogDriver(dialog).DoubleClickListItem(IDC_HIDSN_LIST, 1);
    });
    script.Expect(IDD_MAIN_DIALOG, [&](CDialog& dialog) {
        CDialogDriver driver(dialog);
        EXPECT_TRUE(driver.SelectText(IDC_TARGET_TYPE, "QB7740 Evaluation Kit"));
        EXPECT_EQ(driver.Text(IDC_COMMS_RESOURCE), "USB");
        EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
        moduleRow = ListEntries(dialog, IDC_MODULE_LIST).at(1);
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
        EXPECT_TRUE(driver.IsEnabled(IDC_PROGRAM));
        driver.Close();
    });
    CMainDialog main;
    theApp.m_pMainDialog = &main;
    main.DoModal();
    theApp.m_pMainDialog = &host;
    ui.VerifyAndClear();

    EXPECT_EQ(moduleRow, "ziDudav '.bin' File\tYes");
    EXPECT_EQ(offered, (std::vector<std::string>{"QB-0001", "QB-0002"}));
    EXPECT_EQ(std::string(second.Flash().begin(), second.Flash().end()), image);
    EXPECT_TRUE(first.Requests().empty());
    EXPECT_EQ(hid.OpenDevices(), 0);
}
