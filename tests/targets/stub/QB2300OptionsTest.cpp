// The options dialog of the stub-download boards, driven through its widgets.
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "platform/qt/WidgetHandle.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "res/resource.h"
#include "tests/targets/stub/StubTestSupport.h"

namespace {

struct Shown {
    std::string path;
    int mode = -2;
    BOOL checked = -1;
};

Shown Read(CDialog& dialog)
{
    CDialogDriver driver(dialog);
    Shown shown;
    shown.path = driver.Text(IDC_QB2300_THIN_PATH).str();
    shown.mode = ((CComboBox*)dialog.GetDlgItem(IDC_QB2300_MODE))->GetCurSel();
    shown.checked = dialog.IsDlgButtonChecked(IDC_QB2300_DEFAULT);
    return shown;
}

}  // namespace

class StubOptionsTest : public StubBoardTest {
protected:
    void SetUp() override
    {
        StubBoardTest::SetUp();
        theApp.m_dwOptions = 0x300;
        theApp.SaveAppOptions(0);
    }
    CModalScript script;
};

TEST_F(StubOptionsTest, ShowsTheTargetsSettingsAndStoresOnlyItsOwnOnOK)
{
    UseMode(board, "QB2300", 0x40000001, "/board/thin.hex");
    UseMode(kit, "QP0700", 2, "/kit/thin.hex");
    theApp.m_dwOptions = 0x306;
    Shown shown;
    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        shown = Read(dialog);
        CDialogDriver driver(dialog);
        driver.Type(IDC_QB2300_THIN_PATH, "/kit/other.hex");
        driver.Select(IDC_QB2300_MODE, 1);
        driver.Click(IDC_QB2300_DEFAULT);
        driver.Click(IDOK);
    });
    EXPECT_EQ(kit.ShowOptions(), 1);
    EXPECT_EQ(shown.path, "/kit/thin.hex");
    EXPECT_EQ(shown.mode, 2);
    EXPECT_EQ(shown.checked, (BOOL)BST_CHECKED);
    EXPECT_EQ(StoredString("QP0700_ThinDefault"), "/kit/other.hex");
    EXPECT_EQ(StoredDword("QP0700_Options"), 1u);
    EXPECT_EQ(StoredString("QB2300_ThinDefault"), "/board/thin.hex");
    EXPECT_EQ(StoredDword("QB2300_Options"), 0x40000001u);
    // Unticked: the start-up target was this kit, so it is cleared.
    EXPECT_EQ(StoredDword("Options"), 0x300u);

    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        shown = Read(dialog);
        CDialogDriver(dialog).Click(IDC_QB2300_DEFAULT);
        CDialogDriver(dialog).Click(IDOK);
    });
    EXPECT_EQ(board.ShowOptions(), 1);
    EXPECT_EQ(shown.path, "/board/thin.hex");
    EXPECT_EQ(shown.checked, (BOOL)BST_UNCHECKED);
    EXPECT_EQ(StoredDword("Options"), 0x301u);
    // The other bits of the board's word are written back as they were.
    EXPECT_EQ(StoredDword("QB2300_Options"), 0x40000001u);
}

TEST_F(StubOptionsTest, StoredModeThreeShowsNoEntryAndIsKept)
{
    UseMode(board, "QB2300", 3);
    Shown shown;
    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        shown = Read(dialog);
        CDialogDriver(dialog).Click(IDOK);
    });
    board.ShowOptions();
    EXPECT_EQ(shown.mode, -1);
    EXPECT_EQ(StoredDword("QB2300_Options"), 3u);
    EXPECT_EQ(board.GetBankedMode(), 1);
}

TEST_F(StubOptionsTest, CancelChangesNothing)
{
    UseMode(board, "QB2300", 1, "/board/thin.hex");
    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        CDialogDriver driver(dialog);
        driver.Type(IDC_QB2300_THIN_PATH, "");
        driver.Select(IDC_QB2300_MODE, 0);
        driver.Click(IDC_QB2300_DEFAULT);
        driver.Click(IDCANCEL);
    });
    EXPECT_EQ(board.ShowOptions(), 0);
    EXPECT_EQ(board.GetThinDefault(), "/board/thin.hex");
    EXPECT_EQ(StoredDword("QB2300_Options"), 1u);
    EXPECT_EQ(StoredDword("Options"), 0x300u);
}

TEST_F(StubOptionsTest, EmptyPathStoredAsEmptyLoadsNoThinStub)
{
    UseMode(board, "QB2300", 0, HexFile("thin.hex", 0, hextext::Pattern(8, 1)));
    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        CDialogDriver(dialog).Type(IDC_QB2300_THIN_PATH, "");
        CDialogDriver(dialog).Click(IDOK);
    });
    board.ShowOptions();
    EXPECT_EQ(StoredString("QB2300_ThinDefault"), "");
    board.ClearModule(-1);
    EXPECT_FALSE(board.IsModuleLoaded(1));
}

// The templates' sizes suit a narrower font than a Linux desktop's; each mode must still read
// whole in the closed list, and the list must stay inside the dialog.
TEST_F(StubOptionsTest, EveryModeReadsWholeInTheClosedList)
{
    std::vector<std::string> cut;
    script.Expect(IDD_QB2300_OPTIONS, [&](CDialog& dialog) {
        CComboBox* mode = (CComboBox*)dialog.GetDlgItem(IDC_QB2300_MODE);
        auto* combo = qobject_cast<QComboBox*>(WidgetOf(mode->m_hWnd));
        ASSERT_NE(combo, nullptr);
        for (int index = 0; index < mode->GetCount(); ++index) {
            CDialogDriver(dialog).Select(IDC_QB2300_MODE, index);
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.currentText = combo->currentText();
            QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                                         combo);
            if (field.width() < combo->fontMetrics().horizontalAdvance(combo->currentText()))
                cut.push_back(combo->currentText().toStdString());
        }
        EXPECT_LE(combo->geometry().right(), combo->window()->width());
        CDialogDriver(dialog).Click(IDCANCEL);
    });
    board.ShowOptions();
    EXPECT_EQ(cut, std::vector<std::string>());
}
