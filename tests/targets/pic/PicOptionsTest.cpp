// What both PIC options dialogs share: the start-up box and the help behind every control.
#include "platform/help/HelpFile.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/DialogTemplate.h"
#include "tests/targets/pic/PicFamilies.h"

template <class Family>
class PicOptionsTest : public PicOptionsFixture<typename Family::Fixture> {
};
TYPED_TEST_SUITE(PicOptionsTest, PicFamilies, PicFamilyNames);

TYPED_TEST(PicOptionsTest, TheStartUpBoxNamesOrForgetsThisTarget)
{
    CTargetBase& board = TypeParam::StartUpBoard();
    const DWORD id = board.GetId();
    struct Case {
        DWORD before;
        bool shownChecked;
        bool click;
        DWORD after;
    } cases[] = {
        {0x200, false, true, 0x200 | id},  // ticked: the board becomes the start-up target
        {0x200 | id, true, true, 0x200},   // unticked while it is the start-up target
        {0x202, false, false, 0x202},      // left unticked while another target is
    };
    for (const Case& c : cases) {
        theApp.m_dwOptions = c.before;
        bool shownChecked = !c.shownChecked;
        this->script.Expect(TypeParam::kOptionsDialog, [&](CDialog& dialog) {
            shownChecked = dialog.IsDlgButtonChecked(IDC_DEFAULT_TARGET) == BST_CHECKED;
            CDialogDriver driver(dialog);
            if (c.click)
                driver.Click(IDC_DEFAULT_TARGET);
            EXPECT_TRUE(driver.Click(IDOK));
        });
        EXPECT_EQ(board.ShowOptions(), 1);
        this->script.VerifyAndClear();
        EXPECT_EQ(shownChecked, c.shownChecked);
        EXPECT_EQ(theApp.m_dwOptions, c.after);
        EXPECT_EQ(StoredDword("Options"), c.after);
    }
}

TYPED_TEST(PicOptionsTest, TheDialogAndEachControlHaveHelp)
{
    CHelpFile help;
    ASSERT_TRUE(help.Load(CString(QUILLET_SOURCE_DIR) + "/res/Kelvane.hlp"));
    ASSERT_NE(help.Find(0x20000 + TypeParam::kOptionsDialog), nullptr);
    const DialogTemplate* dialog = FindDialogTemplate(TypeParam::kOptionsDialog);
    ASSERT_NE(dialog, nullptr);
    int helped = 0;
    for (const ControlTemplate& control : dialog->controls) {
        if (control.helpId == 0) {
            if (TypeParam::kHelpIdsMadeFromControlIds) {
                EXPECT_EQ(control.id, IDC_STATIC);
            }
            continue;
        }
        ++helped;
        if (TypeParam::kHelpIdsMadeFromControlIds) {
            EXPECT_EQ(control.helpId, MakeControlHelpId(TypeParam::kOptionsDialog, control.id));
        }
        const CHelpFile::Topic* popup = help.Find(control.helpId);
        ASSERT_NE(popup, nullptr) << control.id;
        EXPECT_FALSE(popup->text.IsEmpty()) << control.id;
    }
    EXPECT_EQ(helped, TypeParam::kHelpedControls);
}
