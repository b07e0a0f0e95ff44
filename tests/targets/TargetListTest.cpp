#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "targets/TargetBase.h"

namespace {

class CListedTarget : public CTargetBase {
public:
    CListedTarget(BYTE id, const char* description) : CTargetBase(id, "T", description) {}
    BOOL GetFileFilter(CString& filter) override
    {
        filter = "All Files (*.*)|*.*||";
        return FALSE;
    }
};

// Ids far from the registered targets' 1 to 6, so the program's own targets do not interfere.
const BYTE s_firstId = 0xA1;

TEST(TargetList, NewTargetsJoinAtTheHead)
{
    CListedTarget first(s_firstId, "First");
    CListedTarget second(s_firstId + 1, "Second");
    CListedTarget third(s_firstId + 2, "Third");
    ASSERT_EQ(&third, theTargetList);
    EXPECT_EQ(&second, third.GetNext());
    EXPECT_EQ(&first, second.GetNext());
}

TEST(TargetList, FindByIdUsesTheLowByteAndTheFirstMatch)
{
    CListedTarget older(s_firstId, "Older");
    CListedTarget newer(s_firstId, "Newer");
    EXPECT_EQ(&newer, CTargetBase::FindById(s_firstId));
    // Item data of a list entry is 32 bits wide; only its low byte names the target.
    EXPECT_EQ(&newer, CTargetBase::FindById(0x300 | s_firstId));
    EXPECT_EQ(NULL, CTargetBase::FindById(0));
    EXPECT_EQ(NULL, CTargetBase::FindById(0x100));
    EXPECT_EQ(NULL, CTargetBase::FindById(s_firstId + 9));
}

TEST(TargetList, FindByDescriptionIsExactAndCaseSensitive)
{
    CListedTarget board(s_firstId, "QX9999 Evaluation Board");
    EXPECT_EQ(&board, CTargetBase::FindByDescription("QX9999 Evaluation Board"));
    EXPECT_EQ(NULL, CTargetBase::FindByDescription("qx9999 evaluation board"));
    EXPECT_EQ(NULL, CTargetBase::FindByDescription("QX9999 Evaluation"));
}

TEST(TargetList, DestroyedTargetsLeaveTheList)
{
    CTargetBase* headBefore = theTargetList;
    auto first = std::make_unique<CListedTarget>(s_firstId, "First");
    auto middle = std::make_unique<CListedTarget>(s_firstId + 1, "Middle");
    auto last = std::make_unique<CListedTarget>(s_firstId + 2, "Last");

    middle.reset();
    EXPECT_EQ(first.get(), last->GetNext());
    EXPECT_EQ(NULL, CTargetBase::FindById(s_firstId + 1));

    last.reset();
    EXPECT_EQ(first.get(), theTargetList);
    first.reset();
    EXPECT_EQ(headBefore, theTargetList);
    EXPECT_EQ(NULL, CTargetBase::FindByDescription("First"));
}

TEST(TargetList, BaseOperationsOfferNothing)
{
    CListedTarget target(s_firstId, "Plain");
    CString name = "unchanged";
    DWORD length = 7;
    CString message = "unchanged";
    EXPECT_EQ(0, target.LoadOptions());
    EXPECT_FALSE(target.GetModuleName(name, 0));
    EXPECT_FALSE(target.GetModuleName(name, -1));
    EXPECT_EQ("unchanged", name);
    EXPECT_EQ(-1, target.SelectModuleForFile("/tmp/a.hex"));
    EXPECT_FALSE(target.Program("COM1:", &message));
    EXPECT_EQ("unchanged", message);
    EXPECT_EQ(NULL, target.GetModuleImage(-1, &length));
    EXPECT_FALSE(target.GetResourceName(0, name));
    CString path = "/TMP/PROG.H00";
    target.FixFileName(path);
    EXPECT_EQ("/TMP/PROG.H00", path);
}

}  // namespace
