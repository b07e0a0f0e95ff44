// The thick-stub target's options dialog, driven through its widgets, and its help.
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

namespace {

struct Shown {
    BOOL jump = -1;
    BOOL addressEnabled = -1;
    std::string address;
    BOOL isDefault = -1;
};

Shown Read(CDialog& dialog)
{
    CDialogDriver driver(dialog);
    Shown shown;
    shown.jump = dialog.IsDlgButtonChecked(IDC_TESSAR_JUMP);
    shown.addressEnabled = driver.IsEnabled(IDC_TESSAR_ADDRESS);
    shown.address = driver.Text(IDC_TESSAR_ADDRESS).str();
    shown.isDefault = dialog.IsDlgButtonChecked(IDC_TESSAR_DEFAULT);
    return shown;
}

}  // namespace

class TessarThickOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        theApp.m_dwOptions = 0x500;
        theApp.SaveAppOptions(0);
    }
    void TearDown() override { ForgetJumpSettings(); }

    // A target whose settings read `address` and `flag`.
    void Stored(const char* address, DWORD flag)
    {
        StoreJumpSettings(address, flag);
        target.LoadOptions();
    }
    // Runs the dialog; `act` drives it after its state has been read into `shown`.
    int Run(std::function<void(CDialogDriver&)> act)
    {
        script.Expect(IDD_TESSAR_THICK_OPTIONS, [&, act](CDialog& dialog) {
            shown = Read(dialog);
            CDialogDriver driver(dialog);
            act(driver);
        });
        int result = target.ShowOptions();
        script.VerifyAndClear();
        return result;
    }

    CThickUnderTest target{2};
    CModalScript script;
    Shown shown;
};

TEST_F(TessarThickOptionsTest, OpensWithTheTargetsSettingsAndStoresThemOnOK)
{
    Stored("12AB", 1);
    theApp.m_dwOptions = 0x500 | kThickId;
    EXPECT_EQ(Run([](CDialogDriver& driver) {
                  driver.Type(IDC_TESSAR_ADDRESS, "BEEF");
                  driver.Click(IDC_TESSAR_DEFAULT);
                  driver.Click(IDOK);
              }),
              1);
    EXPECT_EQ(shown.jump, (BOOL)BST_CHECKED);
    EXPECT_TRUE(shown.addressEnabled);
    EXPECT_EQ(shown.address, "12AB");
    EXPECT_EQ(shown.isDefault, (BOOL)BST_CHECKED);
    EXPECT_EQ(ReadStoredString("TST Jmp Addr"), "BEEF");
    EXPECT_EQ(ReadStoredDword("TST_Options"), 1u);
    // Unticked while this target was the start-up target: it no longer is.
    EXPECT_EQ(ReadStoredDword("Options"), 0x500u);
    EXPECT_EQ(target.GetJumpAddress(), "BEEF");
}

TEST_F(TessarThickOptionsTest, TheJumpBoxDecidesFlagAndAddress)
{
    struct Case {
        const char* what;
        DWORD storedFlag;
        std::function<void(CDialogDriver&)> act;
        BOOL shownTicked;
        DWORD flag;
        const char* address;
    } cases[] = {
        {"a stored 2 shows unticked and becomes 0", 2,
         [](CDialogDriver& d) { d.Click(IDOK); }, BST_UNCHECKED, 0, "12AB"},
        {"ticking enables the box and takes the new address", 0,
         [](CDialogDriver& d) {
             EXPECT_FALSE(d.Type(IDC_TESSAR_ADDRESS, "0000"));
             d.Click(IDC_TESSAR_JUMP);
             EXPECT_TRUE(d.IsEnabled(IDC_TESSAR_ADDRESS));
             d.Type(IDC_TESSAR_ADDRESS, "7F");
             d.Click(IDOK);
         },
         BST_UNCHECKED, 1, "7F"},
        {"unticking keeps the previous address", 1,
         [](CDialogDriver& d) {
             d.Type(IDC_TESSAR_ADDRESS, "FFFF");
             d.Click(IDC_TESSAR_JUMP);
             EXPECT_FALSE(d.IsEnabled(IDC_TESSAR_ADDRESS));
             d.Click(IDOK);
         },
         BST_CHECKED, 0, "12AB"},
        {"no more than four characters", 1,
         [](CDialogDriver& d) {
             d.Type(IDC_TESSAR_ADDRESS, "123456");
             d.Click(IDOK);
         },
         BST_CHECKED, 1, "1234"},
    };
    for (const Case& c : cases) {
        Stored("12AB", c.storedFlag);
        EXPECT_EQ(Run(c.act), 1) << c.what;
        EXPECT_EQ(shown.jump, c.shownTicked) << c.what;
        EXPECT_EQ(shown.addressEnabled, c.shownTicked == BST_CHECKED) << c.what;
        EXPECT_EQ(ReadStoredDword("TST_Options"), c.flag) << c.what;
        EXPECT_EQ(ReadStoredString("TST Jmp Addr"), c.address) << c.what;
        EXPECT_EQ(ReadStoredDword("Options"), 0x500u) << c.what;
    }
}

TEST_F(TessarThickOptionsTest, CancelChangesNothing)
{
    Stored("12AB", 1);
    EXPECT_EQ(Run([](CDialogDriver& driver) {
                  driver.Type(IDC_TESSAR_ADDRESS, "FFFF");
                  driver.Click(IDC_TESSAR_JUMP);
                  driver.Click(IDC_TESSAR_DEFAULT);
                  driver.Click(IDCANCEL);
              }),
              0);
    EXPECT_EQ(shown.isDefault, (BOOL)BST_UNCHECKED);
    EXPECT_EQ(target.GetJumpAddress(), "12AB");
    EXPECT_EQ(target.GetJumpOptions(), 1u);
    EXPECT_EQ(ReadStoredString("TST Jmp Addr"), "12AB");
    EXPECT_EQ(ReadStoredDword("Options"), 0x500u);
}

TEST_F(TessarThickOptionsTest, TickingTheStartUpBoxMakesThisTheStartUpTarget)
{
    Stored("4200", 1);
    Run([](CDialogDriver& driver) {
        driver.Click(IDC_TESSAR_DEFAULT);
        driver.Click(IDOK);
    });
    EXPECT_EQ(ReadStoredDword("Options"), 0x500u | kThickId);
}

TEST_F(TessarThickOptionsTest, HelpUsesTheGenericOptionsTextsAndItsOwnTopic)
{
    CHelpFile help;
    ASSERT_TRUE(help.Load(CString(QUILLET_SOURCE_DIR) + "/res/Kelvane.hlp"));
    const CHelpFile::Topic* topic = help.Find(HID_BASE_RESOURCE + IDD_TESSAR_THICK_OPTIONS);
    ASSERT_NE(topic, nullptr);
    EXPECT_NE(topic->text.Find("Jump Address"), -1);
    const DialogTemplate* dialog = FindDialogTemplate(IDD_TESSAR_THICK_OPTIONS);
    ASSERT_NE(dialog, nullptr);
    for (const ControlTemplate& control : dialog->controls) {
        const DialogTemplate* generic = FindDialogTemplate(IDD_TARGET_OPTIONS);
        DWORD expected = 0;
        for (const ControlTemplate& same : generic->controls)
            if (same.id == control.id)
                expected = same.helpId;
        EXPECT_EQ(control.helpId, expected) << control.id;
        if (expected)
            EXPECT_NE(help.Find(expected), nullptr) << control.id;
    }

    CRecordingHelpService recorder;
    Stored("4200", 1);
    Run([](CDialogDriver& driver) {
        EXPECT_TRUE(driver.PressKey(VK_F1));
        driver.Click(IDCANCEL);
    });
    ASSERT_FALSE(recorder.Calls().empty());
    EXPECT_EQ(recorder.Calls()[0].kind, CRecordingHelpService::Topic);
    EXPECT_EQ(recorder.Calls()[0].contextId, (DWORD)(HID_BASE_RESOURCE + IDD_TESSAR_THICK_OPTIONS));
}
