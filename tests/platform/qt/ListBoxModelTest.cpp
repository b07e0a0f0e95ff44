#include <gtest/gtest.h>

#include "platform/qt/ListBoxModel.h"

namespace {

std::string TextOf(const CListBoxModel& model, int index)
{
    CString text;
    model.GetText(index, text);
    return text.str();
}

TEST(ListBoxModelTest, CaseInsensitiveOrderFoldsLettersOnly)
{
    EXPECT_EQ(CListBoxModel::CompareNoCase("abc", "ABC"), 0);
    EXPECT_LT(CListBoxModel::CompareNoCase("abc", "ABD"), 0);
    EXPECT_LT(CListBoxModel::CompareNoCase("ab", "abc"), 0);
    EXPECT_GT(CListBoxModel::CompareNoCase("b", "A"), 0);
    EXPECT_LT(CListBoxModel::CompareNoCase("0x1000000", "0x100000:"), 0);  // '0' before ':'
}

TEST(ListBoxModelTest, TextsSurviveManyChunksAndLongLines)
{
    CListBoxModel model(false);
    std::string longLine(3u << 20, 'x');  // longer than one storage chunk
    for (int i = 0; i < 20000; ++i)
        model.Add("line " + std::to_string(i));
    EXPECT_EQ(model.Add(longLine), 20000);
    model.Add("after");
    EXPECT_EQ(TextOf(model, 0), "line 0");
    EXPECT_EQ(TextOf(model, 19999), "line 19999");
    EXPECT_EQ(TextOf(model, 20000).size(), longLine.size());
    EXPECT_EQ(TextOf(model, 20001), "after");
    EXPECT_EQ(model.Add(""), 20002);
    EXPECT_EQ(TextOf(model, 20002), "");
}

TEST(ListBoxModelTest, ItemDataIsKeptOnlyOnceUsedAndMovesWithItsEntry)
{
    CListBoxModel model(true);
    model.Add("b");
    model.Add("d");
    model.SetItemData(1, 0);  // zero needs no storage and reads back as zero
    EXPECT_EQ(model.ItemData(1), 0u);
    model.SetItemData(1, 44);
    model.Add("a");
    model.Add("c");
    EXPECT_EQ(model.ItemData(3), 44u);
    EXPECT_EQ(model.Delete(0), 3);
    EXPECT_EQ(model.ItemData(2), 44u);
    EXPECT_EQ(model.ItemData(3), (DWORD_PTR)-1);
    EXPECT_EQ(model.Delete(3), -1);
}

TEST(ListBoxModelTest, ViewsHearOfEachChangeOrOfOneResetWhenSuspended)
{
    CListBoxModel model(false);
    int insertedCount = 0, resetCount = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++insertedCount; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resetCount; });
    model.Add("one");
    EXPECT_EQ(insertedCount, 1);
    model.SuspendUpdates();
    model.SuspendUpdates();
    model.Add("two");
    model.Delete(0);
    model.ResumeUpdates();
    EXPECT_EQ(resetCount, 0);  // still suspended once
    model.ResumeUpdates();
    EXPECT_EQ(insertedCount, 1);
    EXPECT_EQ(resetCount, 1);
    model.ResumeUpdates();  // unbalanced: ignored
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(), QStringLiteral("two"));
    EXPECT_FALSE(model.data(model.index(0), Qt::EditRole).isValid());
}

TEST(ListBoxModelTest, SuppliedLinesTurnIntoStoredOnesWhenChanged)
{
    CListBoxModel model(false);
    model.SetLineSource(3, [](int index, CString& text) { text.Format("L%d", index); });
    model.SetItemData(2, 9);
    EXPECT_EQ(model.Count(), 3);
    EXPECT_EQ(model.ItemData(2), 9u);
    EXPECT_EQ(model.Insert(0, "first"), 0);
    EXPECT_EQ(TextOf(model, 3), "L2");
    EXPECT_EQ(model.ItemData(3), 9u);
    model.SetLineSource(-5, [](int, CString&) {});
    EXPECT_EQ(model.Count(), 0);
    model.Clear();
    EXPECT_EQ(model.Find(-1, "x", false), -1);
}

}  // namespace
