#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wnd/WinApp.h"
#include "platform/wnd/Wnd.h"

namespace {

std::vector<std::string> s_calls;

class CBaseWnd : public CWnd {
public:
    afx_msg void OnShared() { s_calls.push_back("base:shared"); }
    afx_msg void OnBaseOnly() { s_calls.push_back("base:only"); }
    afx_msg void OnSysCommand(UINT id, LPARAM lParam)
    {
        s_calls.push_back("base:sys:" + std::to_string(id) + ":" + std::to_string(lParam));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_BN_CLICKED(10, OnShared)
    ON_BN_CLICKED(11, OnBaseOnly)
    ON_CBN_SELCHANGE(10, OnBaseOnly)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
public:
    afx_msg void OnShared() { s_calls.push_back("derived:shared"); }
    afx_msg HCURSOR OnQueryDragIcon() { return (HCURSOR)0x1234; }
    afx_msg BOOL OnHelpInfo(HELPINFO* info)
    {
        s_calls.push_back("derived:help:" + std::to_string(info->iCtrlId));
        return 7;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_BN_CLICKED(10, OnShared)
    ON_WM_QUERYDRAGICON()
    ON_WM_HELPINFO()
    ON_COMMAND(12, CBaseWnd::OnBaseOnly)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    afx_msg void OnAppCommand() { s_calls.push_back("app:command"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_HELP_INDEX, OnAppCommand)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override { s_calls.clear(); }
};

TEST_F(MessageMapTest, DerivedEntryHidesBaseEntryAndBaseEntriesStillReachable)
{
    CDerivedWnd wnd;
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, BN_CLICKED));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(11, BN_CLICKED));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(12, BN_CLICKED));
    EXPECT_EQ(s_calls, (std::vector<std::string>{"derived:shared", "base:only", "base:only"}));
}

TEST_F(MessageMapTest, CommandEntriesMatchBothControlIdAndNotificationCode)
{
    CDerivedWnd wnd;
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, CBN_SELCHANGE));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(10, EN_CHANGE));  // no entry: nothing happens
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(13, BN_CLICKED));
    EXPECT_EQ(s_calls, (std::vector<std::string>{"base:only"}));
}

TEST_F(MessageMapTest, HandlersReceiveDecodedParametersAndReturnValues)
{
    CDerivedWnd wnd;
    wnd.SendMessage(WM_SYSCOMMAND, 0x0010, 99);
    HELPINFO info;
    info.iCtrlId = 1010;
    EXPECT_EQ(wnd.SendMessage(WM_HELP, 0, (LPARAM)&info), 7);
    EXPECT_EQ(wnd.SendMessage(WM_QUERYDRAGICON), (LRESULT)0x1234);
    EXPECT_EQ(s_calls, (std::vector<std::string>{"base:sys:16:99", "derived:help:1010"}));
}

TEST_F(MessageMapTest, CommandsNobodyHandlesGoOnToTheApplication)
{
    CTestApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    CDerivedWnd wnd;
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP_INDEX, 0));
    EXPECT_EQ(s_calls, (std::vector<std::string>{"app:command"}));
}

}  // namespace
