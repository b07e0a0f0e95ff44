// The kit's one module, its raw image files and its options dialog.
#include "platform/files/FileFind.h"
#include "platform/help/HelpFile.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/Dialog.h"
#include "res/resource.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/targets/hyusb/HyUsbTestSupport.h"

TEST_F(HyUsbKitTest, TheKitIsRegisteredWithItsOneModuleAndResource)
{
    EXPECT_EQ(CTargetBase::FindById(5), &kit);
    EXPECT_EQ(kit.GetDescription(), "QB7740 Evaluation Kit");
    EXPECT_EQ(kit.GetFlashSize(), 0x10000u);
    EXPECT_EQ(kit.GetBlockSize(), 128u);
    CString name;
    EXPECT_TRUE(kit.GetResourceName(0, name));
    EXPECT_EQ(name, "USB");
    EXPECT_FALSE(kit.GetResourceName(1, name));
    EXPECT_EQ(kit.GetModuleCount(), 1);
    EXPECT_TRUE(kit.GetModuleName(name, 0));
    EXPECT_EQ(name, "ziDudav '.bin' File");
    EXPECT_FALSE(kit.GetModuleName(name, -1));
    EXPECT_FALSE(kit.GetModuleName(name, 1));
    CString filter;
    EXPECT_FALSE(kit.GetFileFilter(filter));
    EXPECT_EQ(filter, "bin Files (*.bin)|*.bin|");
    EXPECT_EQ(kit.SelectModuleForFile("/x/image.bin"), 0);
    EXPECT_EQ(kit.SelectModuleForFile("/x/IMAGE.BIN"), -1);
    int options = -1;
    EXPECT_EQ(*kit.GetOptions(&options), 1);
}

TEST_F(HyUsbKitTest, OnlyAFileOfTheFlashSizeLoads)
{
    struct Case {
        size_t length;
        const char* name;
        BOOL loads;
    } cases[] = {
        {65535, "short.bin", FALSE}, {65536, "exact.bin", TRUE}, {65537, "long.bin", FALSE},
        {65536, "other.hex", TRUE},  {0, "empty.bin", FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kit.ClearModule(-1);
        std::string image = KitImage(c.length, 3);
        EXPECT_EQ(kit.LoadModule(0, folder.Write(c.name, image).c_str()), c.loads);
        EXPECT_EQ(kit.IsModuleLoaded(0), c.loads);
        EXPECT_EQ(kit.CanProgram(), c.loads);
        DWORD length = 99;
        BYTE* loaded = kit.GetModuleImage(0, &length);
        EXPECT_EQ(length, c.loads ? 0x10000u : 0u);
        if (c.loads) {
            EXPECT_EQ(std::string((char*)loaded, length), image);
        }
    }
    EXPECT_FALSE(kit.LoadModule(1, folder.Write("exact.bin", KitImage(65536)).c_str()));
    EXPECT_FALSE(kit.LoadModule(0, (folder / "missing.bin").c_str()));
}

TEST_F(HyUsbKitTest, AFailedReloadKeepsTheImageAndASecondGoodOneReplacesIt)
{
    StoreKitOptions(0x80000000);
    kit.LoadOptions();
    std::string first = LoadImage(0x10000, 1);
    for (const std::string& bad :
         {folder.Write("short.bin", KitImage(65535, 9)), folder.Write("long.bin", KitImage(65537, 9)),
          folder.Write("empty.bin", ""), folder / "missing.bin", folder.Path()}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(kit.LoadModule(0, bad.c_str()));
        EXPECT_TRUE(kit.IsModuleLoaded(0));
        DWORD size = 0;
        BYTE* image = kit.GetModuleImage(0, &size);
        ASSERT_EQ(size, 0x10000u);
        EXPECT_EQ(std::string((char*)image, size), first);
        EXPECT_EQ(StoredDword("QB7740_Options"), 0x80000000u);
    }
    std::string second = LoadImage(0x10000, 2, "second.bin");
    DWORD size = 0;
    EXPECT_EQ(std::string((char*)kit.GetModuleImage(0, &size), 0x10000), second);
    EXPECT_EQ(kit.GetModuleImage(-1, &size), (BYTE*)NULL);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(kit.GetModuleImage(0, NULL), (BYTE*)NULL);
    kit.ClearModule(0);
    EXPECT_FALSE(kit.IsModuleLoaded(0));
    EXPECT_EQ(kit.GetModuleImage(0, &size), (BYTE*)NULL);
}

TEST_F(HyUsbKitTest, SaveWritesTheRawImageBack)
{
    EXPECT_FALSE(kit.SaveBuffer((folder / "nothing.bin").c_str()));
    std::string image = LoadImage();
    std::string saved = folder / "saved.bin";
    folder.Write("saved.bin", std::string(100000, 'x'));  // an older, longer file is replaced
    EXPECT_TRUE(kit.SaveBuffer(saved.c_str()));
    EXPECT_EQ(CTempFolder::Read(saved), image);
    kit.ClearModule(-1);
    EXPECT_TRUE(kit.LoadModule(0, saved.c_str()));
    EXPECT_FALSE(kit.SaveBuffer((folder / "no/such/folder/saved.bin").c_str()));

    // The disk fills up part-way: the earlier file stays whole and nothing is left beside it.
    const std::string older(100000, 'y');
    folder.Write("saved.bin", older);
    {
        CFileSizeLimit disk(0x8000);
        EXPECT_FALSE(kit.SaveBuffer(saved.c_str()));
    }
    EXPECT_EQ(CTempFolder::Read(saved), older);
    CFileFind leftovers;
    EXPECT_FALSE(leftovers.FindFile((folder / "saved.bin.?*").c_str()));
}

// --- Options ---

class HyUsbOptionsTest : public HyUsbKitTest {
protected:
    void SetUp() override
    {
        HyUsbKitTest::SetUp();
        theApp.m_dwOptions = 0x200;
        theApp.SaveAppOptions(0);
    }

    // Runs the dialog, clicks `clicks` and closes it; returns the default and verify check states shown.
    std::pair<UINT, UINT> Run(std::vector<int> clicks, int closeWith, int expectedResult)
    {
        std::pair<UINT, UINT> shown;
        script.Expect(IDD_HYUSB_OPTIONS, [&](CDialog& dialog) {
            shown = {dialog.IsDlgButtonChecked(IDC_HYUSB_DEFAULT), dialog.IsDlgButtonChecked(IDC_HYUSB_VERIFY)};
            CDialogDriver driver(dialog);
            for (int id : clicks)
                driver.Click(id);
            driver.Click(closeWith);
        });
        EXPECT_EQ(kit.ShowOptions(), expectedResult);
        return shown;
    }

    CModalScript script;
};

TEST_F(HyUsbOptionsTest, OkStoresVerifyAndTheStartUpChoiceCancelNothing)
{
    StoreKitOptions(0x80000001);
    kit.LoadOptions();
    auto shown = Run({IDC_HYUSB_VERIFY, IDC_HYUSB_DEFAULT}, IDOK, 1);
    EXPECT_EQ(shown, std::make_pair((UINT)BST_UNCHECKED, (UINT)BST_CHECKED));
    // Bit 0 changes; the others are written back as they were read.
    EXPECT_EQ(StoredDword("QB7740_Options"), 0x80000000u);
    EXPECT_EQ(StoredDword("Options"), 0x205u);

    shown = Run({IDC_HYUSB_VERIFY, IDC_HYUSB_DEFAULT}, IDCANCEL, 0);
    EXPECT_EQ(shown, std::make_pair((UINT)BST_CHECKED, (UINT)BST_UNCHECKED));
    EXPECT_EQ(StoredDword("QB7740_Options"), 0x80000000u);
    EXPECT_EQ(StoredDword("Options"), 0x205u);

    // Unticked while the kit is the start-up target: the choice is cleared.
    Run({IDC_HYUSB_DEFAULT, IDC_HYUSB_VERIFY}, IDOK, 1);
    EXPECT_EQ(StoredDword("Options"), 0x200u);
    EXPECT_EQ(StoredDword("QB7740_Options"), 0x80000001u);
    int options = 0;
    kit.GetOptions(&options);
    EXPECT_EQ((DWORD)options, 0x80000001u);
}

TEST_F(HyUsbOptionsTest, UntickingLeavesAnotherStartUpTargetAlone)
{
    theApp.m_dwOptions = 0x201;
    theApp.SaveAppOptions(0);
    auto shown = Run({}, IDOK, 1);
    EXPECT_EQ(shown.first, (UINT)BST_UNCHECKED);
    EXPECT_EQ(StoredDword("Options"), 0x201u);
    EXPECT_EQ(StoredDword("QB7740_Options"), 1u);
}

TEST(HyUsbHelpTopics, ThePickerAndTheOptionsDialogHaveTopicsForEveryControl)
{
    CHelpFile help;
    ASSERT_TRUE(help.Load(CString(QUILLET_SOURCE_DIR) + "/res/Kelvane.hlp"));
    for (UINT id : {IDD_HIDSN, IDD_HYUSB_OPTIONS}) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        ASSERT_NE(dialog, nullptr);
        EXPECT_NE(help.Find(HID_BASE_RESOURCE + id), nullptr) << id;
        for (const ControlTemplate& control : dialog->controls) {
            EXPECT_EQ(control.helpId, MakeControlHelpId(id, control.id));
            EXPECT_NE(help.Find(control.helpId), nullptr) << id << " control " << control.id;
        }
    }
}
