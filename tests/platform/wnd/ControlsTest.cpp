#include <gtest/gtest.h>

#include <QFontMetrics>
#include <functional>

#include "platform/testing/ModalScript.h"
#include "platform/qt/ListBoxView.h"
#include "platform/qt/TabStopDelegate.h"
#include "platform/qt/WidgetHandle.h"
#include "tests/platform/wnd/TestDialog.h"
#include "tests/support/ListEntries.h"

namespace {

using Strings = std::vector<std::string>;

// Runs the test dialog and hands it to `body` while its controls exist.
void WithDialog(const std::function<void(CTestDialog&)>& body)
{
    CModalScript script;
    script.Expect(IDD_TEST, [&](CDialog& dialog) {
        auto& test = static_cast<CTestDialog&>(dialog);
        test.m_log.clear();  // the initial data exchange already changed the edit
        body(test);
        dialog.EndDialog(IDOK);
    });
    CTestDialog dialog;
    dialog.DoModal();
}

TEST(ComboBoxTest, SortedComboInsertsInCaseInsensitiveOrderAndItemDataFollowsTheEntry)
{
    WithDialog([](CTestDialog& dialog) {
        CComboBox& combo = dialog.m_sortedCombo;
        EXPECT_EQ(combo.AddString("QP0700 Evaluation Kit"), 0);
        combo.SetItemData(0, 6);
        EXPECT_EQ(combo.AddString("qb2300 board"), 0);
        combo.SetItemData(0, 1);
        EXPECT_EQ(combo.AddString("QD5170"), 1);
        combo.SetItemData(1, 4);
        EXPECT_EQ(combo.AddString("QB2300 Board"), 1);  // equal text goes after the first
        EXPECT_EQ(ListEntries(dialog, IDC_T_SORTED_COMBO),
                  (Strings{"qb2300 board", "QB2300 Board", "QD5170", "QP0700 Evaluation Kit"}));
        EXPECT_EQ(combo.GetItemData(0), 1u);
        EXPECT_EQ(combo.GetItemData(2), 4u);
        EXPECT_EQ(combo.GetItemData(3), 6u);
        EXPECT_EQ(combo.GetItemData(4), (DWORD_PTR)CB_ERR);
        // Adding never selects; selecting by code does not notify.
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_EQ(combo.SetCurSel(2), 2);
        EXPECT_EQ(combo.SetCurSel(9), CB_ERR);
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_TRUE(dialog.m_log.empty());
    });
}

TEST(ComboBoxTest, UnsortedComboKeepsInsertionOrderAndDeletingTheSelectionClearsIt)
{
    WithDialog([](CTestDialog& dialog) {
        CComboBox& combo = dialog.m_combo;
        combo.AddString("b");
        combo.AddString("a");
        EXPECT_EQ(combo.InsertString(1, "c"), 1);
        EXPECT_EQ(combo.InsertString(7, "x"), CB_ERR);
        EXPECT_EQ(ListEntries(dialog, IDC_T_COMBO), (Strings{"b", "c", "a"}));
        combo.SetCurSel(1);
        EXPECT_EQ(combo.DeleteString(1), 2);
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_EQ(combo.DeleteString(5), CB_ERR);
        EXPECT_EQ(combo.GetLBTextLen(1), 1);
        EXPECT_EQ(combo.GetLBTextLen(2), CB_ERR);
        combo.ResetContent();
        EXPECT_EQ(combo.GetCount(), 0);
    });
}

TEST(ComboBoxTest, FindStringIsACaseInsensitivePrefixSearchAfterStartThatWraps)
{
    WithDialog([](CTestDialog& dialog) {
        CComboBox& combo = dialog.m_combo;
        for (const char* text : {"Alpha", "beta", "ALPHABET", "Gamma"})
            combo.AddString(text);
        EXPECT_EQ(combo.FindString(-1, "alpha"), 0);
        EXPECT_EQ(combo.FindString(0, "alpha"), 2);
        EXPECT_EQ(combo.FindString(2, "alpha"), 0);  // wraps round to the top
        EXPECT_EQ(combo.FindString(-1, "BE"), 1);
        EXPECT_EQ(combo.FindString(-1, "alphabets"), CB_ERR);
        EXPECT_EQ(combo.FindString(-1, "delta"), CB_ERR);
        EXPECT_EQ(combo.FindString(-1, ""), 0);
        EXPECT_EQ(combo.FindString(99, "gamma"), 3);  // a start out of range searches everything
        EXPECT_EQ(combo.FindStringExact(-1, "alphabet"), 2);
        EXPECT_EQ(combo.FindStringExact(-1, "alph"), CB_ERR);
        EXPECT_EQ(combo.SelectString(-1, "gam"), 3);
        EXPECT_EQ(combo.GetCurSel(), 3);
        EXPECT_EQ(combo.SelectString(-1, "zzz"), CB_ERR);
        EXPECT_EQ(combo.GetCurSel(), 3);
    });
}

TEST(ListBoxTest, SortedListKeepsTextOrderWithItemData)
{
    WithDialog([](CTestDialog& dialog) {
        CListBox& list = dialog.m_list;
        list.AddString("0x000020: c");
        list.AddString("0x000000: a");
        list.AddString("0x000010: b");
        EXPECT_EQ(ListEntries(dialog, IDC_T_LIST), (Strings{"0x000000: a", "0x000010: b", "0x000020: c"}));
        EXPECT_EQ(list.AddString("0x00000A: z"), 1);
        EXPECT_EQ(list.SetItemData(1, 77), LB_OKAY);
        EXPECT_EQ(list.InsertString(0, "unsorted insert"), 0);  // InsertString ignores the order
        EXPECT_EQ(list.GetItemData(2), 77u);
        EXPECT_EQ(list.GetItemData(1), 0u);
        CString text;
        EXPECT_EQ(list.GetText(9, text), LB_ERR);
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(list.DeleteString(0), 4);
        EXPECT_EQ(list.FindString(-1, "0X00001"), 2);
        EXPECT_EQ(list.SetCurSel(1), 1);
        EXPECT_EQ(list.GetCurSel(), 1);
        EXPECT_EQ(list.SetCurSel(-1), LB_ERR);
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        EXPECT_EQ(list.GetSelCount(), LB_ERR);  // single selection
    });
}

TEST(ListBoxTest, ExtendedSelectionReportsSelectedItemsInAscendingOrder)
{
    WithDialog([](CTestDialog& dialog) {
        CListBox& list = dialog.m_multiList;
        for (int i = 0; i < 6; ++i) {
            CString text;
            text.Format("row %d", i);
            list.AddString(text);
        }
        EXPECT_EQ(list.SetCurSel(1), LB_ERR);
        list.SetSel(4);
        list.SetSel(0);
        list.SetSel(2);
        list.SetSel(3);
        list.SetSel(3, FALSE);
        EXPECT_EQ(list.GetSelCount(), 3);
        int items[8] = {};
        EXPECT_EQ(list.GetSelItems(8, items), 3);
        EXPECT_EQ(std::vector<int>(items, items + 3), (std::vector<int>{0, 2, 4}));
        EXPECT_EQ(list.GetSelItems(2, items), 2);  // never more than asked for
        EXPECT_EQ(list.GetSel(2), 1);
        EXPECT_EQ(list.GetSel(3), 0);
        EXPECT_EQ(list.GetSel(6), LB_ERR);
        EXPECT_EQ(list.SetSel(9), LB_ERR);
        list.SetSel(-1, TRUE);
        EXPECT_EQ(list.GetSelCount(), 6);
        list.SetSel(-1, FALSE);
        EXPECT_EQ(list.GetSelCount(), 0);
        list.SetSel(5);
        list.ResetContent();
        EXPECT_EQ(list.GetSelCount(), 0);
        EXPECT_TRUE(dialog.m_log.empty());
    });
}

TEST(ListBoxTest, TextAfterATabStartsAtTheTabStop)
{
    WithDialog([](CTestDialog& dialog) {
        CListBox& list = dialog.m_multiList;
        EXPECT_TRUE(list.SetTabStops(80));
        RECT stop = {0, 0, 80, 0};
        dialog.MapDialogRect(&stop);
        auto* view = qobject_cast<CListBoxView*>(WidgetOf(list.m_hWnd));
        ASSERT_NE(view, nullptr);
        EXPECT_NEAR(view->TabStopPixels(), stop.right, 1);
        QFontMetrics metrics(view->font());
        auto segments = CTabStopDelegate::Layout(QStringLiteral("Description\tData"), metrics, view->TabStopPixels());
        ASSERT_EQ(segments.size(), 2u);
        EXPECT_EQ(segments[0].x, 0);
        EXPECT_EQ(segments[1].x, view->TabStopPixels());
        EXPECT_EQ(segments[1].text, QStringLiteral("Data"));
        // Text reaching past the stop moves on to the next multiple.
        QString longName(200, QLatin1Char('W'));
        segments = CTabStopDelegate::Layout(longName + QStringLiteral("\tx"), metrics, view->TabStopPixels());
        EXPECT_EQ(segments[1].x % view->TabStopPixels(), 0);
        EXPECT_GT(segments[1].x, metrics.horizontalAdvance(longName));
        EXPECT_FALSE(list.SetTabStops(0));
    });
}

TEST(ListBoxTest, LinesSuppliedOnDemandReadLikeStoredOnes)
{
    WithDialog([](CTestDialog& dialog) {
        CListBox& list = dialog.m_list;
        list.SetLineSource(1000, [](int index, CString& text) { text.Format("line %04d", index); });
        EXPECT_EQ(list.GetCount(), 1000);
        CString text;
        EXPECT_EQ(list.GetText(999, text), 9);
        EXPECT_EQ(text, "line 0999");
        EXPECT_EQ(list.FindString(-1, "LINE 05"), 500);
        EXPECT_EQ(list.GetText(1000, text), LB_ERR);
        // Adding to a sorted box afterwards keeps the supplied lines and the order.
        EXPECT_EQ(list.AddString("line 0500a"), 501);
        EXPECT_EQ(list.GetCount(), 1001);
        list.GetText(1000, text);
        EXPECT_EQ(text, "line 0999");
    });
}

TEST(ListBoxTest, SuspendedRedrawBatchesAdditionsWithoutLosingAny)
{
    WithDialog([](CTestDialog& dialog) {
        CListBox& list = dialog.m_list;
        EXPECT_GE(list.InitStorage(500, 500 * 12), 500);
        list.SetRedraw(FALSE);
        for (int i = 499; i >= 0; --i) {
            CString text;
            text.Format("%06d", i);
            list.AddString(text);
        }
        list.SetRedraw(TRUE);
        auto* view = qobject_cast<CListBoxView*>(WidgetOf(list.m_hWnd));
        EXPECT_EQ(view->model()->rowCount(), 500);
        CString first, last;
        list.GetText(0, first);
        list.GetText(499, last);
        EXPECT_EQ(first, "000000");
        EXPECT_EQ(last, "000499");
    });
}

TEST(ProgressCtrlTest, RangeStepAndPositionFollowWin32)
{
    WithDialog([](CTestDialog& dialog) {
        CProgressCtrl& bar = dialog.m_progress;
        int low = -1, high = -1;
        bar.GetRange(low, high);
        EXPECT_EQ(low, 0);
        EXPECT_EQ(high, 100);
        EXPECT_EQ(bar.SetStep(25), 10);
        EXPECT_EQ(bar.StepIt(), 0);
        EXPECT_EQ(bar.GetPos(), 25);
        EXPECT_EQ(bar.SetPos(150), 25);
        EXPECT_EQ(bar.GetPos(), 100);  // clamped into the range
        EXPECT_EQ(bar.StepIt(), 100);
        EXPECT_EQ(bar.GetPos(), 25);  // past the top it starts over, keeping the excess
        bar.SetRange32(10, 20);
        bar.SetStep(4);
        EXPECT_EQ(bar.GetPos(), 20);
        bar.SetPos(18);
        bar.StepIt();
        EXPECT_EQ(bar.GetPos(), 12);
        EXPECT_EQ(bar.OffsetPos(-100), 12);
        EXPECT_EQ(bar.GetPos(), 10);
        bar.SetRange(5, 5);  // an empty range holds the bar still
        EXPECT_EQ(bar.StepIt(), 5);
        EXPECT_EQ(bar.GetPos(), 5);
    });
}

TEST(ControlObjectsTest, StandInsFromGetDlgItemShareTheControlWithBoundMembers)
{
    WithDialog([](CTestDialog& dialog) {
        auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(IDC_T_COMBO));
        EXPECT_EQ(combo, &dialog.m_combo);  // the bound member itself
        dialog.m_bindControls = FALSE;
        auto* label = dynamic_cast<CStatic*>(dialog.GetDlgItem(IDC_T_LABEL));
        ASSERT_NE(label, nullptr);
        label->SetWindowText("Changed");
        CString text;
        dialog.GetDlgItem(IDC_T_LABEL)->GetWindowText(text);
        EXPECT_EQ(text, "Changed");
        auto* progress = dynamic_cast<CProgressCtrl*>(dialog.GetDlgItem(IDC_T_PROGRESS));
        ASSERT_NE(progress, nullptr);
        progress->SetPos(40);
        EXPECT_EQ(dialog.m_progress.GetPos(), 40);
        EXPECT_TRUE(dialog.m_edit.SetReadOnly(TRUE));
        EXPECT_TRUE(dialog.m_edit.IsReadOnly());
        dialog.m_edit.SetWindowText("abcdef");
        dialog.m_edit.SetSel(1, 3);
        int start = 0, end = 0;
        dialog.m_edit.GetSel(start, end);
        EXPECT_EQ(start, 1);
        EXPECT_EQ(end, 3);
        dialog.m_edit.LimitText(2);
        EXPECT_EQ(dialog.m_edit.EnableWindow(FALSE), FALSE);
        EXPECT_EQ(dialog.m_edit.EnableWindow(TRUE), TRUE);
    });
}

TEST(ControlObjectsTest, ObjectsWithoutAWindowAnswerHarmlessly)
{
    CComboBox combo;
    CListBox list;
    CProgressCtrl bar;
    CButton button;
    EXPECT_EQ(combo.AddString("x"), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(list.GetCount(), LB_ERR);
    EXPECT_EQ(list.GetSelItems(4, NULL), LB_ERR);
    EXPECT_EQ(bar.StepIt(), 0);
    EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(button.EnableWindow(FALSE), FALSE);
    EXPECT_EQ(button.GetDlgItem(1), (CWnd*)NULL);
    CString text = "kept";
    button.GetWindowText(text);
    EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
