// A target reaches the window that runs it only through the host interface, and every request
// is harmless when no host is there.
#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/RecordingTarget.h"

namespace {

class CHostUser : public CRecordingTarget {
public:
    CHostUser() : CRecordingTarget(201, "Host User") {}
    using CTargetBase::BrowseWithHost;
    using CTargetBase::ProgressBar;
    using CTargetBase::SetHostControlState;
    using CTargetBase::SetProgressText;
    BOOL GetFileFilter(CString& filter) override
    {
        filter = "Hex (*.hex)|*.hex||";
        return TRUE;
    }
    void FixFileName(CString& path) override { path.MakeUpper(); }
};

}  // namespace

TEST(TargetHostTest, RequestsReachTheInstalledHost)
{
    CHostUser target;
    CFakeTargetHost host;
    target.SetProgressText("Erasing");
    target.ProgressBar()->SetRange32(0, 8);
    target.ProgressBar()->SetPos(3);
    target.SetHostControlState(2);
    EXPECT_EQ("Erasing", host.ProgressText());
    EXPECT_EQ(8, host.Upper());
    EXPECT_EQ(3, host.Pos());
    EXPECT_EQ(std::vector<int>{2}, host.ControlStates());

    CString path = "unchanged";
    host.QueueBrowseAnswer("/tmp/prog.hex");
    host.QueueBrowseAnswer("");
    EXPECT_EQ(1, target.BrowseWithHost(path, 0x10));
    EXPECT_STREQ("/TMP/PROG.HEX", path);
    EXPECT_EQ(0, target.BrowseWithHost(path, 0));
    EXPECT_STREQ("/TMP/PROG.HEX", path);
    EXPECT_EQ("Hex (*.hex)|*.hex||", host.BrowseFilters().front());
    EXPECT_EQ(0x10, host.BrowseFlags().front());
}

TEST(TargetHostTest, WithoutAHostNothingHappensAndNoFileIsChosen)
{
    CHostUser target;
    ASSERT_EQ(NULL, theApp.m_pMainDialog);
    EXPECT_EQ(NULL, target.ProgressBar());
    target.SetProgressText("ignored");
    target.SetHostControlState(3);
    CString path = "kept";
    EXPECT_EQ(0, target.BrowseWithHost(path, 0));
    EXPECT_STREQ("kept", path);
}
