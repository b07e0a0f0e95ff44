#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdio>
#include <functional>
#include <fstream>
#include <unistd.h>

#include "platform/help/ConsoleHelpService.h"
#include "platform/help/HelpFile.h"
#include "platform/wnd/WinApp.h"
#include "platform/wnd/Wnd.h"
#include "platform/qt/QtHelpService.h"
#include "tests/support/RecordingHelpService.h"
#include "tests/support/ScriptedUi.h"

namespace {

const char kSample[] = "Brenlow FLASH Programmer help\n"
                       "# comments and the heading before the first topic are not part of any topic\n"
                       "[0x20066] Main dialog\n"
                       "\n"
                       "Choose a target.\r\n"
                       "Then load a file.\n"
                       "# a comment inside a topic\n"
                       "\n"
                       "\n"
                       "[2154169330]\n"
                       "Target list popup.\n"
                       "[0x20066] Duplicate\n"
                       "ignored\n"
                       "[notanid] stays text of the previous topic\n"
                       "[99999999999] too big for 32 bits\n";

class CHelpFileWriter {
public:
    explicit CHelpFileWriter(const char* content)
    {
        char name[] = "/tmp/quillet-help-XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        m_path = name;
        std::ofstream(m_path.GetString()) << content;
    }
    ~CHelpFileWriter() { remove(m_path.GetString()); }
    const CString& Path() const { return m_path; }

private:
    CString m_path;
};

TEST(HelpFileTest, TopicsAreKeyedByDecimalOrHexIdsAndTheFirstBlockWins)
{
    CHelpFile file;
    file.Parse(kSample);
    ASSERT_EQ(file.Topics().size(), 3u);
    const CHelpFile::Topic* main = file.Find(0x20066);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->title, "Main dialog");
    EXPECT_EQ(main->text, "Choose a target.\nThen load a file.");
    const CHelpFile::Topic* popup = file.Find(0x806603F2);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->title.IsEmpty());
    EXPECT_EQ(popup->text, "Target list popup.");
    EXPECT_EQ(file.Find(0x20067), nullptr);
    // Lines that only look like headers belong to the topic above them.
    EXPECT_NE(file.Topics()[2].text.Find("[notanid]"), -1);
    EXPECT_NE(file.Topics()[2].text.Find("[99999999999]"), -1);
}

TEST(HelpFileTest, ReflowJoinsWrappedLinesButKeepsParagraphsAndListItems)
{
    EXPECT_EQ(CHelpFile::Reflow("Work from\ntop to bottom:\n\n1. Choose the\n   board.\n2. Load.\n- Then\nprogram."),
              "Work from top to bottom:\n\n1. Choose the board.\n2. Load.\n- Then program.");
}

TEST(HelpFileTest, AnUnreadableFileLoadsNothing)
{
    CHelpFile file;
    file.Parse(kSample);
    EXPECT_FALSE(file.Load("/nonexistent/Kelvane.hlp"));
    EXPECT_TRUE(file.Topics().empty());
}

TEST(HelpServiceTest, AMissingHelpFileIsReportedToTheUser)
{
    CScriptedUi ui;
    ui.ExpectMessage("Unable to open help file \u00AB/nonexistent/Kelvane.hlp\u00BB", MB_OK | MB_ICONEXCLAMATION, IDOK);
    ui.ExpectMessage("Unable to open help file \u00AB/nonexistent/Kelvane.hlp\u00BB", MB_OK | MB_ICONEXCLAMATION, IDOK);
    CConsoleHelpService help;
    help.ShowTopic("/nonexistent/Kelvane.hlp", 0x20066);
    help.ShowPopup("/nonexistent/Kelvane.hlp", 0x806603F2, POINT{0, 0});
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].caption, "Brenlow FLASH Programmer");
}

TEST(HelpServiceTest, AMissingTopicIsReportedAndAMissingPopupSaysSoInThePopup)
{
    CHelpFileWriter writer(kSample);
    CScriptedUi ui;
    ui.ExpectMessage("The help file \u00AB" + writer.Path() + "\u00BB has no topic for context 0x20099.",
                     MB_OK | MB_ICONEXCLAMATION, IDOK);
    CQtHelpService help;
    help.ShowTopic(writer.Path(), 0x20099);
    EXPECT_FALSE(help.IsOpen());
    help.ShowPopup(writer.Path(), 0x80660001, POINT{10, 10});
    ASSERT_NE(help.Popup(), nullptr);
    EXPECT_EQ(help.Popup()->text(), QString::fromUtf8(CHelpServiceBase::NoTopicText()));
    help.Quit();
}

TEST(HelpServiceTest, TopicsOpenTheHelpWindowAndQuitClosesIt)
{
    CHelpFileWriter writer(kSample);
    CQtHelpService help;
    help.ShowTopic(writer.Path(), 0x20066);
    EXPECT_TRUE(help.IsOpen());
    ASSERT_NE(help.Browser(), nullptr);
    EXPECT_TRUE(help.Browser()->toPlainText().contains(QStringLiteral("Then load a file.")));
    help.ShowPopup(writer.Path(), 0x806603F2, POINT{5, 5});
    ASSERT_NE(help.Popup(), nullptr);
    EXPECT_EQ(help.Popup()->text(), QStringLiteral("Target list popup."));
    // An open popup takes all input of the program: any key or click must close it.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(help.Popup(), &key);
    EXPECT_FALSE(help.Popup()->isVisible());
    help.ShowPopup(writer.Path(), 0x806603F2, POINT{5, 5});
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(6, 6), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(help.Popup(), &click);
    EXPECT_FALSE(help.Popup()->isVisible());
    help.ShowIndex(writer.Path());
    // The contents page lists every topic, the control's popup under its dialog's topic.
    QString contents = help.Browser()->toPlainText();
    EXPECT_TRUE(contents.contains(QStringLiteral("Main dialog")));
    EXPECT_GT(contents.indexOf(QStringLiteral("Target list popup.")), contents.indexOf(QStringLiteral("Main dialog")));
    EXPECT_FALSE(contents.contains(QStringLiteral("Duplicate")));
    help.Quit();
    EXPECT_FALSE(help.IsOpen());
    help.Quit();  // nothing open: harmless
}

TEST(HelpServiceTest, TheWindowTitleNamesTheProgramOnce)
{
    CHelpFileWriter writer("[0x20066] Brenlow FLASH Programmer\nMain.\n[0x20064] About Box\nAbout.\n");
    CQtHelpService help;
    struct Case {
        std::function<void()> show;
        const char* title;
    } cases[] = {
        {[&] { help.ShowTopic(writer.Path(), 0x20066); }, "Brenlow FLASH Programmer"},
        {[&] { help.ShowTopic(writer.Path(), 0x20064); }, "Brenlow FLASH Programmer - About Box"},
        {[&] { help.ShowIndex(writer.Path()); }, "Brenlow FLASH Programmer - Contents"},
    };
    for (const Case& c : cases) {
        c.show();
        ASSERT_NE(help.Browser(), nullptr);
        EXPECT_EQ(help.Browser()->window()->windowTitle(), QString::fromUtf8(c.title));
    }
    help.Quit();
}

TEST(WinHelpTest, CommandsReachTheHelpServiceWithTheApplicationsHelpFile)
{
    CRecordingHelpService help;
    CWinApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    app.m_pszHelpFilePath = strdup("/opt/quillet/Kelvane.hlp");
    CWnd window;
    window.WinHelp(0x20066, HELP_CONTEXT);
    window.WinHelp(0x806603F2, HELP_CONTEXTPOPUP);
    window.WinHelp(0, HELP_FINDER);
    window.WinHelp(0, HELP_QUIT);
    window.WinHelp(0, 0x4242);  // unknown commands are ignored
    ASSERT_EQ(help.Calls().size(), 4u);
    EXPECT_EQ(help.Calls()[0].kind, CRecordingHelpService::Topic);
    EXPECT_EQ(help.Calls()[0].contextId, 0x20066u);
    EXPECT_EQ(help.Calls()[0].helpFile, "/opt/quillet/Kelvane.hlp");
    EXPECT_EQ(help.Calls()[1].kind, CRecordingHelpService::Popup);
    EXPECT_EQ(help.Calls()[1].contextId, 0x806603F2u);
    EXPECT_EQ(help.Calls()[2].kind, CRecordingHelpService::Index);
    EXPECT_EQ(help.Calls()[3].kind, CRecordingHelpService::Quit_);
}

}  // namespace
