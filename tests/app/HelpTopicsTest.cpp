#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/wnd/DialogTemplate.h"
#include "platform/help/HelpFile.h"
#include "platform/base/WinMessages.h"
#include "res/resource.h"

namespace {

const UINT kShellDialogs[] = {IDD_ABOUTBOX,    IDD_MAIN_DIALOG,    IDD_MODULE_SELECT,
                              IDD_VIEW_BUFFER, IDD_TARGET_OPTIONS, IDD_CLEAR_CHOICE};

class HelpTopicsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_help.Load(CString(QUILLET_SOURCE_DIR) + "/res/Kelvane.hlp")); }

    CHelpFile m_help;
};

TEST_F(HelpTopicsTest, EveryShellDialogHasATopic)
{
    for (UINT id : kShellDialogs) {
        const CHelpFile::Topic* topic = m_help.Find(HID_BASE_RESOURCE + id);
        ASSERT_NE(nullptr, topic) << "dialog " << id;
        EXPECT_FALSE(topic->text.IsEmpty()) << "dialog " << id;
    }
}

TEST_F(HelpTopicsTest, EveryControlHelpIdOfTheShellDialogsHasAPopupText)
{
    for (UINT id : kShellDialogs) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        ASSERT_NE(nullptr, dialog);
        for (const ControlTemplate& control : dialog->controls) {
            if (control.helpId == 0)
                continue;
            const CHelpFile::Topic* topic = m_help.Find(control.helpId);
            ASSERT_NE(nullptr, topic) << "dialog " << id << " control " << control.id;
            EXPECT_FALSE(topic->text.IsEmpty()) << "dialog " << id << " control " << control.id;
        }
    }
}

// The contents page is the way into every topic: each one is listed once, with a title, and a
// control's popup sits under its own dialog.
TEST_F(HelpTopicsTest, ContentsListEveryTopicOnceWithControlsUnderTheirDialog)
{
    std::multiset<DWORD> listed, all;
    for (const CHelpFile::ContentsEntry& entry : m_help.Contents()) {
        listed.insert(entry.topic->contextId);
        EXPECT_FALSE(entry.topic->title.IsEmpty()) << entry.topic->contextId;
        // A popup stands alone only when its id names a dialog without a topic (a control that
        // carries another template's help id).
        if (entry.topic->contextId & 0x80000000u) {
            EXPECT_EQ(nullptr, m_help.Find(HID_BASE_RESOURCE + ((entry.topic->contextId >> 16) & 0x7FFF)))
                << "a popup outside its dialog";
        }
        for (const CHelpFile::Topic* control : entry.controls) {
            listed.insert(control->contextId);
            EXPECT_FALSE(control->title.IsEmpty()) << control->contextId;
            EXPECT_EQ(HID_BASE_RESOURCE + ((control->contextId >> 16) & 0x7FFF), entry.topic->contextId);
        }
    }
    for (const CHelpFile::Topic& topic : m_help.Topics())
        all.insert(topic.contextId);
    EXPECT_EQ(listed, all);
    EXPECT_EQ(m_help.Contents().at(0).topic->contextId, HID_BASE_RESOURCE + IDD_MAIN_DIALOG);
}

// Labels carry no help id; every other control's id follows the dialog/control rule except
// the shared OK and Cancel buttons and the Program button.
TEST(ShellHelpIds, ControlsFollowTheRuleWithTheNamedExceptions)
{
    for (UINT id : kShellDialogs) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        ASSERT_NE(nullptr, dialog);
        for (const ControlTemplate& control : dialog->controls) {
            SCOPED_TRACE("dialog " + std::to_string(id) + " control " + std::to_string(control.id));
            DWORD expected = MakeControlHelpId(id, control.id);
            if (control.id == IDC_STATIC || control.id == IDC_PROGRESS_TEXT)
                expected = 0;
            else if (id == IDD_MAIN_DIALOG && control.id == IDC_PROGRAM)
                expected = 0x80660411;
            else if ((id == IDD_MODULE_SELECT || id == IDD_TARGET_OPTIONS) && control.id == IDOK)
                expected = 0x80640001;
            else if (id == IDD_MODULE_SELECT && control.id == IDCANCEL)
                expected = 0x80850002;
            EXPECT_EQ(expected, control.helpId);
        }
    }
    EXPECT_EQ(2154169330u, MakeControlHelpId(IDD_MAIN_DIALOG, IDC_TARGET_TYPE));
}

}  // namespace
