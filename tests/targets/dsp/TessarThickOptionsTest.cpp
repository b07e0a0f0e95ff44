// The thick-stub target's options dialog, driven through its widgets.
#include <gtest/gtest.h>

#include "platform/help/HelpFile.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/Dialog.h"
#include "res/resource.h"
#include "tests/support/RecordingHelpService.h"
#include "tests/targets/dsp/DspTestSupport.h"
#include "tests/targets/stub/StubTestSupport.h"

using namespace dsptest;
using Act = std::function<void(CDialogDriver&)>;

class TessarThickOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.m_dwOptions = 0x500;
        theApp.SaveAppOptions(0);
    }
    void TearDown() override { StoreJumpSettings(NULL, 0); }

    // Runs the dialog on a target whose settings read `address` and `flag`; `act` drives it
    // once what it shows has been noted.
    int Run(const char* address, DWORD flag, Act act)
    {
        StoreJumpSettings(address, flag);
        target.LoadOptions();
        script.Expect(IDD_TESSAR_THICK_OPTIONS, [&, act](CDialog& dialog) {
            CDialogDriver driver(dialog);
            jumpShown = dialog.IsDlgButtonChecked(IDC_TESSAR_JUMP);
            addressEnabled = driver.IsEnabled(IDC_TESSAR_ADDRESS);
            addressShown = driver.Text(IDC_TESSAR_ADDRESS).str();
            defaultShown = dialog.IsDlgButtonChecked(IDC_TESSAR_DEFAULT);
            act(driver);
        });
        int result = target.ShowOptions();
        script.VerifyAndClear();
        return result;
    }

    CThickUnderTest target{2};
    CModalScript script;
    BOOL jumpShown = -1, addressEnabled = -1, defaultShown = -1;
    std::string addressShown;
};

TEST_F(TessarThickOptionsTest, OpensWithTheSettingsAndStoresThemOnOK)
{
    theApp.m_dwOptions = 0x500 | target.GetId();
    EXPECT_EQ(Run("12AB", 1,
                  [](CDialogDriver& d) {
                      d.Type(IDC_TESSAR_ADDRESS, "BEEF");
                      d.Click(IDC_TESSAR_DEFAULT);
                      d.Click(IDOK);
                  }),
              1);
    EXPECT_EQ(jumpShown, (BOOL)BST_CHECKED);
    EXPECT_TRUE(addressEnabled);
    EXPECT_EQ(addressShown, "12AB");
    EXPECT_EQ(defaultShown, (BOOL)BST_CHECKED);
    EXPECT_EQ(StoredString("TST Jmp Addr"), "BEEF");
    EXPECT_EQ(StoredDword("TST_Options"), 1u);
    // Unticked while this was the start-up target: now none is; ticked again, it is.
    EXPECT_EQ(StoredDword("Options"), 0x500u);
    Run("BEEF", 1, [](CDialogDriver& d) {
        d.Click(IDC_TESSAR_DEFAULT);
        d.Click(IDOK);
    });
    EXPECT_EQ(StoredDword("Options"), 0x500u | target.GetId());
}

TEST_F(TessarThickOptionsTest, TheJumpBoxDecidesFlagAndAddress)
{
    struct Case {
        const char* what;
        DWORD storedFlag;
        Act act;
        BOOL shownTicked;
        DWORD flag;
        const char* address;
    } cases[] = {
        {"a stored 2 shows unticked and becomes 0", 2, [](CDialogDriver& d) { d.Click(IDOK); }, BST_UNCHECKED, 0,
         "12AB"},
        {"ticking enables the box and takes its address", 0,
         [](CDialogDriver& d) {
             EXPECT_FALSE(d.Type(IDC_TESSAR_ADDRESS, "0000"));
             d.Click(IDC_TESSAR_JUMP);
             d.Type(IDC_TESSAR_ADDRESS, "7F");
             d.Click(IDOK);
         },
         BST_UNCHECKED, 1, "7F"},
        {"unticking keeps the stored address", 1,
         [](CDialogDriver& d) {
             d.Type(IDC_TESSAR_ADDRESS, "FFFF");
             d.Click(IDC_TESSAR_JUMP);
             EXPECT_FALSE(d.IsEnabled(IDC_TESSAR_ADDRESS));
             d.Click(IDOK);
         },
         BST_CHECKED, 0, "12AB"},
        {"four characters at most", 1,
         [](CDialogDriver& d) {
             d.Type(IDC_TESSAR_ADDRESS, "123456");
             d.Click(IDOK);
         },
         BST_CHECKED, 1, "1234"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run("12AB", c.storedFlag, c.act), 1) << c.what;
        EXPECT_EQ(jumpShown, c.shownTicked) << c.what;
        EXPECT_EQ(addressEnabled, c.shownTicked == BST_CHECKED) << c.what;
        EXPECT_EQ(StoredDword("TST_Options"), c.flag) << c.what;
        EXPECT_EQ(StoredString("TST Jmp Addr"), c.address) << c.what;
        EXPECT_EQ(StoredDword("Options"), 0x500u) << c.what;
    }
}

TEST_F(TessarThickOptionsTest, CancelChangesNothingAndF1OpensTheTopic)
{
    CRecordingHelpService help;
    EXPECT_EQ(Run("12AB", 1,
                  [](CDialogDriver& d) {
                      EXPECT_TRUE(d.PressKey(VK_F1));
                      d.Type(IDC_TESSAR_ADDRESS, "FFFF");
                      d.Click(IDC_TESSAR_JUMP);
                      d.Click(IDC_TESSAR_DEFAULT);
                      d.Click(IDCANCEL);
                  }),
              0);
    EXPECT_EQ(target.GetJumpAddress(), "12AB");
    EXPECT_EQ(target.GetJumpOptions(), 1u);
    EXPECT_EQ(StoredDword("Options"), 0x500u);
    ASSERT_FALSE(help.Calls().empty());
    EXPECT_EQ(help.Calls()[0].kind, CRecordingHelpService::Topic);
    EXPECT_EQ(help.Calls()[0].contextId, (DWORD)(HID_BASE_RESOURCE + IDD_TESSAR_THICK_OPTIONS));
}

TEST(TessarThickOptionsHelp, SharesTheGenericOptionsTextsAndHasItsTopic)
{
    CHelpFile help;
    ASSERT_TRUE(help.Load(CString(QUILLET_SOURCE_DIR) + "/res/Kelvane.hlp"));
    ASSERT_NE(help.Find(HID_BASE_RESOURCE + IDD_TESSAR_THICK_OPTIONS), nullptr);
    const DialogTemplate* dialog = FindDialogTemplate(IDD_TESSAR_THICK_OPTIONS);
    ASSERT_NE(dialog, nullptr);
    std::vector<std::pair<int, DWORD>> ids;
    for (const ControlTemplate& control : dialog->controls) {
        ids.push_back({control.id, control.helpId});
        if (control.helpId) {
            EXPECT_NE(help.Find(control.helpId), nullptr) << control.id;
        }
    }
    std::vector<std::pair<int, DWORD>> expected = {
        {IDOK, 0x80640001},   {IDCANCEL, 0x80850002},  {IDC_DEFAULT_TARGET, 0x808503FD},
        {IDC_TESSAR_JUMP, 0}, {IDC_TESSAR_ADDRESS, 0}, {IDC_STATIC, 0}};
    EXPECT_EQ(ids, expected);
}
