#include <gtest/gtest.h>

#include "platform/ui/ConsoleUiServices.h"
#include "platform/ui/FileDialog.h"
#include "platform/files/FileFilter.h"
#include "platform/base/ResourceTables.h"
#include "platform/base/StringTable.h"
#include "platform/resources/Resources.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/WinApp.h"
#include "platform/qt/QtUiServices.h"
#include "tests/support/ScriptedUi.h"

namespace {

const char kHexFilter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";

TEST(ConsoleUiServicesTest, QuestionsGetTheSafeAnswer)
{
    CConsoleUiServices console;
    EXPECT_EQ(console.MessageBox("Done", "T", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(console.MessageBox("Go on?", "T", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(console.MessageBox("Go on?", "T", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(console.MessageBox("Go on?", "T", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(console.MessageBox("Again?", "T", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(console.MessageBox("Failed", "T", MB_ABORTRETRYIGNORE), IDABORT);
    std::vector<CString> paths = {"stale"};
    EXPECT_FALSE(console.FileDialog(FileDialogRequest(), paths));
    EXPECT_TRUE(paths.empty());
    console.BeginWaitCursor();
    console.EndWaitCursor();
    console.EndWaitCursor();  // unbalanced ends do not go negative
    EXPECT_EQ(console.WaitDepth(), 0);
}

TEST(ConsoleUiServicesTest, TheHeadlessDefaultIsTheConsole)
{
    IUiServices* previous = InstallUiServices(NULL);
    EXPECT_NE(dynamic_cast<CConsoleUiServices*>(&Ui()), nullptr);
    InstallUiServices(previous);
}

TEST(FileFilterTest, PairsDescriptionsWithTheirPatternLists)
{
    auto entries = CFileFilter::Parse(kHexFilter);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].description, "Intel Hex Files (*.hex)");
    EXPECT_EQ(entries[0].patterns, (std::vector<CString>{"*.hex"}));
    EXPECT_EQ(entries[2].patterns, (std::vector<CString>{"*.*"}));

    entries = CFileFilter::Parse("Hex| *.hex ; *.h?? |Broken||Never|*.x||");
    ASSERT_EQ(entries.size(), 1u);  // "||" after "Broken" ends the list there
    EXPECT_EQ(entries[0].patterns, (std::vector<CString>{"*.hex", "*.h??"}));
    EXPECT_TRUE(CFileFilter::Parse("").empty());
    EXPECT_TRUE(CFileFilter::Parse("Only a description").empty());
}

TEST(FileFilterTest, PatternsMatchTheWin32Way)
{
    EXPECT_TRUE(CFileFilter::Matches("*.hex", "BOOT2300.HEX"));
    EXPECT_TRUE(CFileFilter::Matches("*.H??", "image.h01"));
    EXPECT_FALSE(CFileFilter::Matches("*.H??", "image.h1"));
    EXPECT_TRUE(CFileFilter::Matches("*.*", "Makefile"));
    EXPECT_FALSE(CFileFilter::Matches("*.hex", "hex"));
    EXPECT_TRUE(CFileFilter::Matches("a*b*c", "aXXbYYbc"));
    EXPECT_EQ(CFileFilter::CaseInsensitiveGlob("*.H0?"), "*.[hH]0?");
    EXPECT_EQ(CFileFilter::CaseInsensitiveGlob("*.*"), "*");
}

TEST(FileFilterTest, QtNameFiltersKeepTheTextAndMatchAnyCase)
{
    QStringList filters = CQtUiServices::NameFilters(kHexFilter);
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], QStringLiteral("Intel Hex Files (*.hex) (*.[hH][eE][xX])"));
    EXPECT_EQ(filters[1], QStringLiteral(".bin Files (*.[bB][iI][nN])"));
    EXPECT_EQ(filters[2], QStringLiteral("All Files (*.*) (*)"));
}

TEST(FileDialogTest, PassesTheRequestAndIteratesOverTheChosenPathsInOrder)
{
    CScriptedUi ui;
    DWORD flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT;
    ui.ExpectOpenFile(kHexFilter, flags, {"/data/a.hex", "/data/b.hex", "/data/c.hex"});
    CFileDialog dialog(TRUE, NULL, NULL, flags, kHexFilter);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(ui.LastFileRequest().bOpen);
    std::vector<CString> paths;
    for (POSITION pos = dialog.GetStartPosition(); pos;)
        paths.push_back(dialog.GetNextPathName(pos));
    EXPECT_EQ(paths, (std::vector<CString>{"/data/a.hex", "/data/b.hex", "/data/c.hex"}));
    EXPECT_EQ(dialog.GetPathName(), "/data/a.hex");
    EXPECT_EQ(dialog.GetFileName(), "a.hex");
    EXPECT_EQ(dialog.GetFileExt(), "hex");
}

TEST(FileDialogTest, SaveWithDefaultExtensionAndCancel)
{
    CScriptedUi ui;
    ui.ExpectSaveFile(kHexFilter, 0x1804, "/out/image.HEX");
    ui.ExpectSaveFile(kHexFilter, 0x1804, "");
    CFileDialog save(FALSE, "HEX", NULL, 0x1804, kHexFilter);
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(ui.LastFileRequest().defaultExtension, "HEX");
    EXPECT_FALSE(ui.LastFileRequest().bOpen);
    EXPECT_EQ(save.GetPathName(), "/out/image.HEX");
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_TRUE(save.GetPathName().IsEmpty());
    EXPECT_EQ(save.GetStartPosition(), (POSITION)NULL);
}

TEST(ResourcesTest, StringsIconAndMessageCaption)
{
    CString text = "stale";
    EXPECT_TRUE(LoadString(101, text));
    EXPECT_EQ(text, "&About Brenlow FLASH Programmer");
    EXPECT_TRUE(LoadString(103, text));
    EXPECT_EQ(text, "Brenlow FLASH Programmer Help Index");
    EXPECT_FALSE(LoadString(4711, text));
    EXPECT_TRUE(text.IsEmpty());

    CWinApp app;
    EXPECT_NE(app.LoadIcon(128), (HICON)NULL);
    EXPECT_EQ(app.LoadIcon(129), (HICON)NULL);

    CScriptedUi ui;
    ui.ExpectMessage("Invalid Target Selected", MB_OK, IDOK);
    EXPECT_EQ(AfxMessageBox("Invalid Target Selected"), IDOK);
    EXPECT_EQ(ui.Messages()[0].caption, "Brenlow FLASH Programmer");
}

// The readers link without the tables (the fuzz targets install none): they find nothing.
TEST(ResourcesTest, NothingBeforeTheTablesAreInstalled)
{
    CScopedService<const ResourceTables*> none(ResourceTablesSlot(), nullptr);
    CString text = "stale";
    EXPECT_FALSE(LoadString(101, text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(FindDialogTemplate(100), nullptr);
    EXPECT_EQ(FindResource(NULL, MAKEINTRESOURCE(146), "HYE_PROG"), nullptr);
    CWinApp app;
    EXPECT_STREQ(app.m_pszAppName, "");
    EXPECT_EQ(app.LoadIcon(128), (HICON)NULL);
}

}  // namespace
