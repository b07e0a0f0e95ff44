#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include "platform/qt/WidgetHandle.h"

#include "app/ViewBuffer.h"
#include "platform/wnd/ComboBox.h"
#include "platform/testing/DialogDriver.h"
#include "platform/wnd/ListBox.h"
#include "platform/testing/ModalScript.h"
#include "res/resource.h"
#include "tests/support/ListEntries.h"
#include "tests/support/RecordingTarget.h"

namespace {

const BYTE kTestId = 0x71;

std::string Spaces(int count)
{
    return std::string(count, ' ');
}

std::vector<BYTE> Bytes(int count, BYTE first = 0)
{
    std::vector<BYTE> bytes(count);
    for (int i = 0; i < count; ++i)
        bytes[i] = (BYTE)(first + i);
    return bytes;
}

TEST(FormatLine, FullLineHasOffsetSixteenColumnsAndCharacters)
{
    std::vector<BYTE> data = Bytes(16, 0x30);
    EXPECT_EQ("0x000000: 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F - 0123456789:;<=>?",
              CViewBuffer::FormatLine(0, data.data(), 16).str());
    EXPECT_EQ(76, CViewBuffer::FormatLine(0, data.data(), 16).GetLength());
}

TEST(FormatLine, PartialLineKeepsTheColumnWidths)
{
    const BYTE data[] = {0x48, 0x65, 0x78, 0x21};
    std::string expected = "0x0ABCD0: 48 65 78 21 " + Spaces(12 * 3) + "- Hex!" + Spaces(12);
    CString line = CViewBuffer::FormatLine(0xABCD0, data, 4);
    EXPECT_EQ(expected, line.str());
    EXPECT_EQ(76, line.GetLength());
}

// The line is UTF-8: the pound sign of the original code page is shown as U+00A3.
TEST(FormatLine, CharacterClasses)
{
    const BYTE data[] = {0x41, 0x20, 0xA3, 0x00, 0x7E};
    std::string line = CViewBuffer::FormatLine(0, data, 5).str();
    EXPECT_EQ("41 20 A3 00 7E ", line.substr(10, 15));
    EXPECT_EQ("- A.\xC2\xA3.~" + Spaces(11), line.substr(58));
}

TEST(FormatLine, OnlyPrintableAsciiAndThePoundShowAsThemselves)
{
    const BYTE data[] = {0x1F, 0x21, 0x2F, 0x3A, 0x40, 0x5B, 0x60, 0x7B,
                         0x7F, 0x80, 0xA2, 0xA4, 0xFF, 0x09, 0x0A, 0x7E};
    EXPECT_EQ("- .!/:@[`{.......~", CViewBuffer::FormatLine(0, data, 16).str().substr(58));
}

TEST(FormatLine, CountOutsideOneToSixteenIsClamped)
{
    std::vector<BYTE> data = Bytes(32);
    EXPECT_EQ(CViewBuffer::FormatLine(0, data.data(), 16), CViewBuffer::FormatLine(0, data.data(), 40));
    EXPECT_EQ("0x000000: " + Spaces(48) + "- " + Spaces(16), CViewBuffer::FormatLine(0, data.data(), -3).str());
}

class ViewBufferTest : public ::testing::Test {
protected:
    ViewBufferTest() : m_target(kTestId) { m_target.SetModules({"Code", "Data", "Config"}); }

    struct Shown {
        int comboCount = 0;
        int comboSelection = -2;
        BOOL comboEnabled = FALSE;
        BOOL listEnabled = FALSE;
        std::vector<std::string> lines;
        std::vector<std::string> areas;
    };

    static Shown Read(CDialog& dialog, bool withLines = true)
    {
        Shown shown;
        CComboBox* combo = (CComboBox*)dialog.GetDlgItem(IDC_VIEW_AREA);
        CListBox* list = (CListBox*)dialog.GetDlgItem(IDC_VIEW_LIST);
        shown.comboCount = combo->GetCount();
        shown.comboSelection = combo->GetCurSel();
        shown.comboEnabled = combo->IsWindowEnabled();
        shown.listEnabled = list->IsWindowEnabled();
        shown.areas = ListEntries(dialog, IDC_VIEW_AREA);
        if (withLines)
            shown.lines = ListEntries(dialog, IDC_VIEW_LIST);
        return shown;
    }

    // Opens the viewer on `row`; `during` runs while it is open, then it is closed.
    Shown Open(int row, std::function<void(CDialog&)> during = {}, bool withLines = true)
    {
        Shown shown;
        CModalScript script;
        script.Expect(IDD_VIEW_BUFFER, [&](CDialog& dialog) {
            shown = Read(dialog, withLines);
            if (during)
                during(dialog);
            dialog.EndDialog(IDCANCEL);
        });
        CViewBuffer viewer(&m_target, row);
        viewer.DoModal();
        script.VerifyAndClear();
        return shown;
    }

    CRecordingTarget m_target;
};

TEST_F(ViewBufferTest, TwentyByteImageGivesAFullAndAPartialLine)
{
    std::vector<BYTE> image = Bytes(20, 0x41);
    m_target.m_images[0] = image;
    Shown shown = Open(1);
    ASSERT_EQ(2u, shown.lines.size());
    EXPECT_EQ(CViewBuffer::FormatLine(0, image.data(), 16).str(), shown.lines[0]);
    EXPECT_EQ(CViewBuffer::FormatLine(16, image.data() + 16, 4).str(), shown.lines[1]);
    EXPECT_TRUE(shown.listEnabled);
}

TEST_F(ViewBufferTest, WithoutWholeBufferRowZeroOpensOnModuleZero)
{
    m_target.m_images[0] = Bytes(4);
    Shown shown = Open(0);
    EXPECT_EQ((std::vector<std::string>{"Code", "Data", "Config"}), shown.areas);
    EXPECT_EQ(0, shown.comboSelection);
    EXPECT_EQ((std::vector<std::string>{"GetModuleImage(0)"}), m_target.CallsStartingWith("GetModuleImage"));
}

TEST_F(ViewBufferTest, WholeBufferIsOfferedFirstAndRowTwoOpensOnModuleOne)
{
    m_target.m_bWholeBuffer = TRUE;
    m_target.m_images[1] = Bytes(3);
    Shown shown = Open(2);
    EXPECT_EQ((std::vector<std::string>{"Whole Buffer", "Code", "Data", "Config"}), shown.areas);
    EXPECT_EQ(2, shown.comboSelection);
    EXPECT_EQ((std::vector<std::string>{"GetModuleImage(1)"}), m_target.CallsStartingWith("GetModuleImage"));
}

TEST_F(ViewBufferTest, WholeBufferWithRowZeroOrMinusOneOpensOnTheWholeBuffer)
{
    m_target.m_bWholeBuffer = TRUE;
    m_target.m_images[-1] = Bytes(5);
    EXPECT_EQ(0, Open(0).comboSelection);
    EXPECT_EQ(0, Open(-1).comboSelection);
    EXPECT_EQ((std::vector<std::string>{"GetModuleImage(-1)", "GetModuleImage(-1)"}),
              m_target.CallsStartingWith("GetModuleImage"));
}

TEST_F(ViewBufferTest, AreaWithoutDataShowsNoDataUntilAnAreaWithDataIsChosen)
{
    m_target.m_images[2] = Bytes(17);
    Shown afterSwitch;
    Shown first = Open(1, [&](CDialog& dialog) {
        CDialogDriver driver(dialog);
        ASSERT_TRUE(driver.Select(IDC_VIEW_AREA, 2));
        afterSwitch = Read(dialog);
    });
    EXPECT_EQ((std::vector<std::string>{"No data to view"}), first.lines);
    EXPECT_FALSE(first.listEnabled);
    EXPECT_EQ(2u, afterSwitch.lines.size());
    EXPECT_TRUE(afterSwitch.listEnabled);
    EXPECT_EQ(2, afterSwitch.comboSelection);
}

TEST_F(ViewBufferTest, ANewlyChosenAreaStartsAtItsFirstLine)
{
    m_target.m_images[0] = Bytes(0x10000, 1);
    m_target.m_images[1] = Bytes(0x10000, 2);
    int scrolled = -1, afterSwitch = -1;
    Open(
        1,
        [&](CDialog& dialog) {
            CListBox* list = (CListBox*)dialog.GetDlgItem(IDC_VIEW_LIST);
            // The list scrolls by whole lines: the scroll bar's value is the top line.
            QScrollBar* bar = qobject_cast<QListView*>(WidgetOf(list->m_hWnd))->verticalScrollBar();
            list->SetTopIndex(2000);
            scrolled = bar->value();
            ASSERT_TRUE(CDialogDriver(dialog).Select(IDC_VIEW_AREA, 1));
            QApplication::processEvents();
            afterSwitch = bar->value();
        },
        false);
    EXPECT_EQ(2000, scrolled);
    EXPECT_EQ(0, afterSwitch);
}

TEST_F(ViewBufferTest, TargetWithoutModulesDisablesTheAreaList)
{
    m_target.SetModules({});
    Shown shown = Open(3);
    EXPECT_FALSE(shown.comboEnabled);
    EXPECT_EQ(0, shown.comboCount);
    EXPECT_EQ((std::vector<std::string>{"No data to view"}), shown.lines);
}

TEST_F(ViewBufferTest, NoTargetShowsNoDataInsteadOfFailing)
{
    CModalScript script;
    script.Expect(IDD_VIEW_BUFFER, [](CDialog& dialog) {
        Shown shown = Read(dialog);
        EXPECT_FALSE(shown.comboEnabled);
        EXPECT_EQ((std::vector<std::string>{"No data to view"}), shown.lines);
        dialog.EndDialog(IDCANCEL);
    });
    CViewBuffer viewer(NULL, 1);
    viewer.DoModal();
}

// Past 16 MiB the offset grows a seventh digit and text order is no longer offset order: the
// lines then stand where the sorted list puts them.
TEST_F(ViewBufferTest, ImagesOf16MiBAndMoreKeepTheSortedListsOrder)
{
    m_target.m_images[0].assign(0x1000000 + 16, 0x55);
    Open(
        1,
        [](CDialog& dialog) {
            CListBox* list = (CListBox*)dialog.GetDlgItem(IDC_VIEW_LIST);
            ASSERT_EQ(0x100001, list->GetCount());
            CString text;
            list->GetText(0, text);
            EXPECT_EQ(0, text.Find("0x000000: "));
            // '0' sorts before ':', so the seven-digit line goes before "0x100000: ".
            list->GetText(0x10000, text);
            EXPECT_EQ(0, text.Find("0x1000000: "));
            list->GetText(0x10001, text);
            EXPECT_EQ(0, text.Find("0x100000: "));
        },
        false);
}

}  // namespace
