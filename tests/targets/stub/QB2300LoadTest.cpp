// Loading, clearing, viewing and settings of the stub-download boards.
#include <cstring>

#include "platform/wnd/Dialog.h"
#include "platform/files/FileFind.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/ComboBox.h"
#include "res/resource.h"
#include "tests/targets/stub/StubTestSupport.h"

using hextext::Pattern;

namespace {

// What a load may change: every block's flag and bytes, the settings in memory and stored.
struct LoadState {
    std::vector<BOOL> loaded;
    std::vector<std::vector<BYTE>> images;
    std::vector<std::string> settings;

    bool operator==(const LoadState&) const = default;
};

LoadState TakeLoadState(CQB2300Flash& target)
{
    LoadState state;
    for (int block = -1; block < 10; ++block) {
        DWORD length = 0;
        BYTE* image = target.GetModuleImage(block, &length);
        state.images.emplace_back(image, image + (image ? length : 0));
        if (block >= 0)
            state.loaded.push_back(target.IsModuleLoaded(block));
    }
    state.settings = {target.GetThinDefault().str(), std::to_string(target.GetStubOptions())};
    for (const char* name : {"QB2300_ThinDefault", "QP0700_ThinDefault"})
        state.settings.push_back(StoredString(name));
    for (const char* name : {"QB2300_Options", "QP0700_Options"})
        state.settings.push_back(std::to_string(StoredDword(name)));
    return state;
}

}  // namespace

// Stubs right at their limits load; any file that is then refused, whatever the reason,
// leaves every block as it was, earlier records of its own block included.
TEST_F(StubBoardTest, StubLimitsAreInclusiveAndARefusedLoadChangesNothing)
{
    const std::string noEnd = hextext::Image(0x80000, Pattern(16, 6), false);
    // Good records first, then one whose checksum is off by a digit.
    std::string badRecord = hextext::Record(0, 0x10, Pattern(16, 7));
    badRecord[badRecord.size() - 3] ^= 1;
    const std::string badLine = noEnd + badRecord + ":00000001FF\r\n";
    struct Case {
        int block;
        std::string text;  // empty: no such file
        std::string message;
    } cases[] = {
        {0, hextext::Image(0x1F80, {0x55}), "Too many bytes in 'fat' stub download"},
        {1, hextext::Image(0x100, {0x55}), "Too many bytes in 'thin' stub download"},
        {0, badLine, ""},
        {1, noEnd, ""},
        {2, badLine, ""},
        {3, noEnd, ""},
        {9, "", "Unable to open download file\n" + (folder / "none.hex") + ": No such file or directory"},
    };
    UseMode(kit, "QP0700", 2);
    for (CQB2300Flash* target : {(CQB2300Flash*)&board, (CQB2300Flash*)&kit}) {
        target->ClearModule(-1);
        ASSERT_TRUE(target->LoadModule(0, HexFile("fat.hex", 0, Pattern(0x1F80, 1))));
        ASSERT_TRUE(target->LoadModule(1, HexFile("thin.hex", 0, Pattern(0x100, 2))));
        ASSERT_TRUE(target->LoadModule(2, HexFile("banks.hex", 0x10, Pattern(0x10000, 3))));
        const LoadState before = TakeLoadState(*target);
        EXPECT_EQ(before.loaded, (std::vector<BOOL>{TRUE, TRUE, TRUE, TRUE, FALSE, FALSE, FALSE, FALSE, FALSE, FALSE}));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.block);
            std::string path = c.text.empty() ? folder / "none.hex" : folder.Write("bad.hex", c.text);
            if (!c.message.empty())
                ui.ExpectMessage(c.message.c_str(), MB_OK, IDOK);
            EXPECT_FALSE(target->LoadModule(c.block, path.c_str()));
            ui.VerifyAndClear();
            EXPECT_TRUE(TakeLoadState(*target) == before);
        }
    }
}

TEST_F(StubBoardTest, BankFileFillsEveryBlockItsDataReaches)
{
    std::string text = hextext::Image(0x00010, Pattern(16, 1), false) + hextext::Image(0x10000, Pattern(16, 2), false) +
                       hextext::Image(0x30000, Pattern(16, 3), false) + hextext::Image(0x80000, Pattern(16, 4), false) +
                       hextext::Image(0x81F80, Pattern(16, 5));  // outside every window
    ASSERT_TRUE(board.LoadModule(2, folder.Write("all.hex", text)));
    for (int block = 0; block < 10; ++block)
        EXPECT_EQ(board.IsModuleLoaded(block), block == 0 || block == 2 || block == 3 || block == 5) << block;
    EXPECT_TRUE(board.CanProgram());
    // The stray bytes stay with the block the file was read into.
    DWORD length = 0;
    ASSERT_NE(board.GetModuleImage(2, &length), (BYTE*)NULL);
    EXPECT_EQ(length, 0x81F90u);
    BYTE* bank3 = board.GetModuleImage(5, &length);
    ASSERT_NE(bank3, (BYTE*)NULL);
    EXPECT_EQ(length, 0x10u);
    EXPECT_EQ(std::vector<BYTE>(bank3, bank3 + 16), Pattern(16, 3));
    // Whole buffer: banks 0 and 1 only, since bank 2 breaks the run.
    ASSERT_NE(board.GetModuleImage(-1, &length), (BYTE*)NULL);
    EXPECT_EQ(length, 0x10010u);
}

TEST_F(StubBoardTest, WholeBufferViewNeedsBankZero)
{
    board.LoadModule(3, HexFile("b1.hex", 0, Pattern(16, 1)));
    EXPECT_FALSE(board.CanProgram());
    DWORD length = 99;
    EXPECT_EQ(board.GetModuleImage(-1, &length), (BYTE*)NULL);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(board.GetModuleImage(4, NULL), (BYTE*)NULL);  // not loaded
}

TEST_F(StubBoardTest, BlockArgumentsOutsideTheTenBlocksAreRefused)
{
    std::string file = HexFile("b.hex", 0, Pattern(16, 1));
    for (int block : {-2, 10, 11, 1000}) {
        EXPECT_FALSE(board.LoadModule(block, file));
        EXPECT_FALSE(board.IsModuleLoaded(block));
        EXPECT_EQ(board.GetModuleImage(block, NULL), (BYTE*)NULL);
        board.ClearModule(block);
        CString name = "x";
        EXPECT_FALSE(board.GetModuleName(name, block));
    }
    EXPECT_EQ(theIntelHex.GetEndAddress(NULL), 0u);
    CString name;
    EXPECT_TRUE(board.GetModuleName(name, 9));
    EXPECT_EQ(name, "FLASH bank 7 download");
    EXPECT_TRUE(board.GetModuleName(name, -1));
    EXPECT_EQ(name, "View all FLASH banks");
}

TEST(QB2300Suffix, OnlyUpperCaseHAndBanksZeroToSevenCount)
{
    EXPECT_EQ(CQB2300Flash::ParseBankSuffix("/x/PROG.H03"), 3);
    EXPECT_EQ(CQB2300Flash::ParseBankSuffix("/x/PROG.H07"), 7);
    for (const char* path :
         {"/x/PROG.H08", "/x/PROG.H99", "/x/prog.h03", "/x/PROG.HEX", "/x/PROG.H3", "/A.H/PROG.H03", "/x/PROG.H"})
        EXPECT_EQ(CQB2300Flash::ParseBankSuffix(path), -1) << path;
}

TEST_F(StubBoardTest, FixFileNameByMode)
{
    CString path = "/tmp/prog.h00";
    board.FixFileName(path);
    EXPECT_EQ(path, "/tmp/prog.h00");
    for (DWORD mode : {1u, 2u, 3u}) {
        UseMode(board, "QB2300", mode);
        path = "/tmp/prog.h00";
        board.FixFileName(path);
        EXPECT_EQ(path, "/tmp/PROG.H*") << mode;
    }
}

// The main dialog's search after FixFileName, then the board's choice for each match.
TEST_F(StubBoardTest, BankedFilesFoundWhateverTheirCase)
{
    HexFile("PROG.H00", 0, Pattern(16, 1));
    HexFile("prog.h01", 0, Pattern(16, 2));
    HexFile("PROG.H03", 0, Pattern(16, 3));
    HexFile("PROG.H09", 0, Pattern(16, 9));
    HexFile("PROG.HEX", 0, Pattern(16, 4));
    UseMode(board, "QB2300", 2);
    CString pattern = (folder / "Prog.h00").c_str();
    board.FixFileName(pattern);

    std::vector<int> preselected;
    CModalScript script;
    script.Expect(
        IDD_MODULE_SELECT,
        [&](CDialog& dialog) {
            preselected.push_back(((CComboBox*)dialog.GetDlgItem(IDC_MODULE_TYPE))->GetCurSel());
            dialog.EndDialog(IDCANCEL);
        },
        3);

    std::vector<std::pair<std::string, int>> chosen;
    CFileFind find;
    ASSERT_TRUE(find.FindFile(pattern));
    for (BOOL more = TRUE; more;) {
        more = find.FindNextFile();
        chosen.emplace_back(find.GetFileName().str(), board.SelectModuleForFile(find.GetFilePath()));
        if (chosen.back().second >= 0) {
            EXPECT_TRUE(board.LoadModule(chosen.back().second, find.GetFilePath()));
        }
    }
    EXPECT_EQ(chosen, (std::vector<std::pair<std::string, int>>{
                          {"PROG.H00", 2}, {"PROG.H03", 5}, {"PROG.H09", -1}, {"PROG.HEX", -1}, {"prog.h01", -1}}));
    EXPECT_EQ(preselected, (std::vector<int>{-1, -1, -1}));  // .H09, no digits, lower case
    EXPECT_TRUE(board.IsModuleLoaded(2) && board.IsModuleLoaded(5));

    // Mode 1 asks for every file, with its bank preselected.
    UseMode(board, "QB2300", 1);
    script.Expect(IDD_MODULE_SELECT, [&](CDialog& dialog) {
        preselected.push_back(((CComboBox*)dialog.GetDlgItem(IDC_MODULE_TYPE))->GetCurSel());
        dialog.EndDialog(IDOK);
    });
    EXPECT_EQ(board.SelectModuleForFile((folder / "PROG.H03").c_str()), 5);
    EXPECT_EQ(preselected.back(), 5);
}

TEST_F(StubBoardTest, BankedSearchStaysInTheChosenFolder)
{
    // Two folders whose names differ only by case, each with a bank file.
    HexFile("ci/Build/PROG.H00", 0, Pattern(16, 1));
    HexFile("ci/build/prog.h00", 0, Pattern(16, 2));
    HexFile("ci/build/prog.h01", 0, Pattern(16, 3));
    for (DWORD mode : {1u, 2u}) {
        SCOPED_TRACE(mode);
        UseMode(board, "QB2300", mode);
        CString pattern = (folder / "ci/build/prog.h00").c_str();
        board.FixFileName(pattern);
        std::vector<std::string> found;
        CFileFind find;
        for (BOOL more = find.FindFile(pattern); more;) {
            more = find.FindNextFile();
            found.push_back(find.GetFilePath().str());
        }
        EXPECT_EQ(found, (std::vector<std::string>{folder / "ci/build/prog.h00", folder / "ci/build/prog.h01"}));
    }
}

TEST_F(StubBoardTest, ClearingAllReloadsTheDefaultThinStub)
{
    std::string thin = HexFile("thin/boot.hex", 0, Pattern(32, 7));
    // Stored upper-cased, as the options dialog does in the banked modes.
    UseMode(board, "QB2300", 1, CString(thin.c_str()).MakeUpper().str());
    board.LoadModule(2, HexFile("b0.hex", 0, Pattern(16, 1)));
    board.ClearModule(-1);
    EXPECT_TRUE(board.IsModuleLoaded(1));
    EXPECT_FALSE(board.IsModuleLoaded(2));
    board.ClearModule(1);
    EXPECT_FALSE(board.IsModuleLoaded(1));

    remove(thin.c_str());
    ui.ExpectMessage("Unable to open download file\n" + board.GetThinDefault().str() + ": No such file or directory",
                     MB_OK, IDOK);
    board.ClearModule(-1);
    ui.VerifyAndClear();
    EXPECT_FALSE(board.IsModuleLoaded(1));
    EXPECT_EQ(board.GetThinDefault(), "");
    // Forgotten in memory only.
    EXPECT_NE(StoredString("QB2300_ThinDefault"), "");

    // One that opens but is refused is named, with the reader's reason.
    std::string junk = folder.Write("thin/junk.hex", "junk");
    UseMode(board, "QB2300", 0, junk);
    ui.ExpectMessage("Unable to load specified file \u00AB" + junk + "\u00BB\nLine 1: the file does not start with ':'",
                     MB_OK, IDOK);
    board.ClearModule(-1);
    ui.VerifyAndClear();
    EXPECT_FALSE(board.IsModuleLoaded(1));
    EXPECT_EQ(board.GetThinDefault(), "");
}

TEST_F(StubBoardTest, SettingsAreReadBoundedAndWrittenUnderTheTargetsOwnNames)
{
    EXPECT_EQ(board.LoadOptions(), 2);
    DeleteSetting("QB2300_ThinDefault");
    DeleteSetting("QB2300_Options");
    EXPECT_EQ(board.LoadOptions(), 1);
    EXPECT_EQ(board.GetStubOptions(), 0u);
    // A value with no terminating zero that fills the whole buffer.
    std::string unterminated(1024, 'A');
    StoreSetting("QB2300_ThinDefault", REG_BINARY, unterminated.data(), 1024);
    EXPECT_EQ(board.LoadOptions(), 2);
    EXPECT_EQ(board.GetThinDefault().str(), unterminated);
    // Too long for the buffer: not read, the path in memory stays.
    std::string tooLong(1500, 'B');
    StoreString("QB2300_ThinDefault", tooLong);
    EXPECT_EQ(board.LoadOptions(), 1);
    EXPECT_EQ(board.GetThinDefault().str(), unterminated);

    UseMode(kit, "QP0700", 0x102, "/kit/thin.hex");
    StoreStubSettings("QB2300", "/board/thin.hex", 1);
    kit.SaveOptions();
    EXPECT_EQ(StoredString("QP0700_ThinDefault"), "/kit/thin.hex");
    EXPECT_EQ(StoredDword("QP0700_Options"), 0x102u);
    EXPECT_EQ(StoredString("QB2300_ThinDefault"), "/board/thin.hex");
    EXPECT_EQ(kit.GetBankedMode(), 2);
}
