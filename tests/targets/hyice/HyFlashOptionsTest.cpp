// The serial-link FLASH target's image files, its stored options and serial number, and its
// options dialog run headless.
#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "platform/files/FileFind.h"
#include "platform/help/HelpFile.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/Dialog.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/StoredSettings.h"
#include "tests/targets/hyice/HyRunTestSupport.h"

namespace {

const char kOptionsValue[] = "HYFLASH_Options";
const char kSerialValue[] = "HYFLASH_Serial_No";

void StoreOptions(DWORD options)
{
    StoreDword(kOptionsValue, options);
}

}  // namespace

class HyFlashTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSetting(kOptionsValue);
        DeleteSetting(kSerialValue);
        theApp.m_dwOptions = 0x200;
        theApp.SaveAppOptions(0);
    }

    std::string Image(size_t length, char seed = 0)
    {
        std::string image(length, '\0');
        for (size_t i = 0; i < length; ++i)
            image[i] = (char)(i * 5 + seed);
        return image;
    }

    std::string Held()
    {
        DWORD length = 0;
        BYTE* held = target.GetModuleImage(0, &length);
        return held ? std::string((const char*)held, length) : std::string();
    }

    WORD Options()
    {
        WORD options = 0;
        target.GetOptions(&options, NULL);
        return options;
    }

    CString Serial()
    {
        CString serial;
        target.GetOptions(NULL, &serial);
        return serial;
    }

    CTempFolder folder;
    CScriptedUi ui;
    CTestFlashTarget target;
};

TEST_F(HyFlashTargetTest, OnlyAFileOfTheFlashSizeLoadsAndAFailedLoadKeepsTheImage)
{
    // Before InitOptions the board has no FLASH: nothing loads.
    EXPECT_FALSE(target.LoadModule(0, folder.Write("early.bin", Image(0x10000)).c_str()));
    ASSERT_TRUE(target.InitOptions(CHyICEFlash::kBoardType64K, 0, "000000"));
    struct Case {
        size_t length;
        BOOL loads;
    } cases[] = {{65535, FALSE}, {65537, FALSE}, {0, FALSE}, {65536, TRUE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(target.LoadModule(0, folder.Write("a.bin", Image(c.length, 1)).c_str()), c.loads);
        EXPECT_EQ(target.IsModuleLoaded(0), c.loads);
        EXPECT_EQ(target.CanProgram(), c.loads);
    }
    const std::string first = Image(0x10000, 1);
    EXPECT_EQ(Held(), first);
    // Refused reloads leave the image as it was.
    EXPECT_FALSE(target.LoadModule(0, folder.Write("b.bin", Image(65535, 2)).c_str()));
    EXPECT_FALSE(target.LoadModule(0, (folder / "missing.bin").c_str()));
    EXPECT_FALSE(target.LoadModule(1, folder.Write("c.bin", Image(65536, 3)).c_str()));
    EXPECT_TRUE(target.IsModuleLoaded(0));
    EXPECT_EQ(Held(), first);
    DWORD length = 7;
    EXPECT_EQ(target.GetModuleImage(1, &length), nullptr);
    EXPECT_EQ(length, 0u);
    target.ClearModule(-1);
    EXPECT_FALSE(target.IsModuleLoaded(0));
    EXPECT_EQ(target.GetModuleImage(0, &length), nullptr);

    // A board type without a FLASH refuses every file, an empty one too.
    EXPECT_FALSE(target.InitOptions(0x80000002, 0, "000000"));
    for (size_t size : {0, 0x10000})
        EXPECT_FALSE(target.LoadModule(0, folder.Write("d.bin", Image(size)).c_str()));
    CString status;
    EXPECT_FALSE(target.Program("COM3:", &status));
    EXPECT_EQ(status, "Unable to program the device");
}

TEST_F(HyFlashTargetTest, SaveReplacesTheFileOnlyWithAWholeImage)
{
    ASSERT_TRUE(target.InitOptions(CHyICEFlash::kBoardType64K, 0, "000000"));
    const std::string older(100000, 'y');
    std::string saved = folder.Write("saved.bin", older);
    EXPECT_FALSE(target.SaveBuffer(saved.c_str()));  // nothing loaded: the file stays
    EXPECT_EQ(CTempFolder::Read(saved), older);

    std::string image = Image(0x10000, 4);
    ASSERT_TRUE(target.LoadModule(0, folder.Write("image.bin", image).c_str()));
    {
        CFileSizeLimit disk(0x8000);
        EXPECT_FALSE(target.SaveBuffer(saved.c_str()));
    }
    EXPECT_EQ(CTempFolder::Read(saved), older);
    CFileFind leftovers;
    EXPECT_FALSE(leftovers.FindFile((folder / "saved.bin.?*").c_str()));
    EXPECT_TRUE(target.SaveBuffer(saved.c_str()));
    EXPECT_EQ(CTempFolder::Read(saved), image);
}

TEST_F(HyFlashTargetTest, StoredValuesAreTakenOnlyWhenSound)
{
    struct Case {
        const char* name;
        DWORD type;
        std::string serial;  // stored bytes; empty: nothing stored
        const char* taken;
    } cases[] = {
        {"six characters", REG_SZ, std::string("654321\0", 7), "654321"},
        {"five characters", REG_SZ, std::string("54321\0", 6), "54321"},
        {"seven characters", REG_SZ, std::string("7654321\0", 8), "AB12CD"},
        {"six bytes without a terminator", REG_BINARY, "ABCDEF", "AB12CD"},
        {"nothing stored", REG_SZ, "", "AB12CD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (!c.serial.empty())
            StoreSetting(kSerialValue, c.type, c.serial.data(), (DWORD)c.serial.size());
        ASSERT_TRUE(target.InitOptions(CHyICEFlash::kBoardType64K, 0x0005, "AB12CD"));
        EXPECT_EQ(Serial(), c.taken);
        EXPECT_EQ(Options(), 0x0005);
    }
    StoreOptions(0xABCD0002);
    ASSERT_TRUE(target.InitOptions(CHyICEFlash::kBoardType64K, 0x0005, "AB12CD"));
    EXPECT_EQ(Options(), 0x0002);

    target.SetOptions(0x0006, "QWERTY");
    EXPECT_EQ(Options(), 0x0006);
    EXPECT_EQ(Serial(), "QWERTY");
    EXPECT_EQ(StoredDword(kOptionsValue), 0x0006u);
    EXPECT_EQ(StoredString(kSerialValue), "QWERTY");
}

// --- The options dialog ---

class HyFlashOptionsTest : public HyFlashTargetTest {
protected:
    struct Shown {
        UINT verify, segment, startUp;
        CString serial;
        BOOL serialEnabled;
    };

    // Runs the dialog; `act` drives it and closes it.
    Shown Run(std::function<void(CDialog&, CDialogDriver&)> act, int expectedResult)
    {
        Shown shown{};
        script.Expect(IDD_HYICE_OPTIONS, [&](CDialog& dialog) {
            CDialogDriver driver(dialog);
            shown = {dialog.IsDlgButtonChecked(IDC_HYICE_VERIFY), dialog.IsDlgButtonChecked(IDC_HYICE_SEGMENT),
                     dialog.IsDlgButtonChecked(IDC_HYICE_DEFAULT), driver.Text(IDC_HYICE_SERIAL),
                     driver.IsEnabled(IDC_HYICE_SERIAL)};
            act(dialog, driver);
        });
        EXPECT_EQ(target.ShowOptions(), expectedResult);
        return shown;
    }

    void Init(WORD options, const char* serial)
    {
        ASSERT_TRUE(target.InitOptions(CHyICEFlash::kBoardType64K, options, serial));
    }

    CModalScript script;
};

TEST_F(HyFlashOptionsTest, WithoutBitOneTheSerialFieldIsEmptyAndGreyAndOkKeepsTheSerial)
{
    Init(CHyICEFlash::optionSegmentPrompt | CHyICEFlash::optionVerify, "XY1234");
    Shown shown = Run(
        [](CDialog&, CDialogDriver& driver) {
            EXPECT_FALSE(driver.Type(IDC_HYICE_SERIAL, "111111"));
            driver.Click(IDC_HYICE_SEGMENT);
            driver.Click(IDOK);
        },
        1);
    EXPECT_EQ(shown.verify, (UINT)BST_CHECKED);
    EXPECT_EQ(shown.segment, (UINT)BST_CHECKED);
    EXPECT_EQ(shown.serial, "");
    EXPECT_FALSE(shown.serialEnabled);
    EXPECT_EQ(Options(), CHyICEFlash::optionVerify);
    EXPECT_EQ(Serial(), "XY1234");
    EXPECT_EQ(StoredDword(kOptionsValue), (DWORD)CHyICEFlash::optionVerify);
    EXPECT_EQ(StoredString(kSerialValue), "XY1234");
}

TEST_F(HyFlashOptionsTest, WithBitOneTheSerialMustHaveSixCharacters)
{
    Init(CHyICEFlash::optionSerialNumber | CHyICEFlash::optionVerify, "000000");
    Shown shown = Run(
        [this](CDialog&, CDialogDriver& driver) {
            driver.Type(IDC_HYICE_SERIAL, "1234567");
            EXPECT_EQ(driver.Text(IDC_HYICE_SERIAL), "123456");  // typing stops at six

            driver.Type(IDC_HYICE_SERIAL, "12345");
            ui.ExpectMessage("Serial Number must be 6 characters long", MB_OK, IDOK);
            driver.Click(IDOK);
            ui.VerifyAndClear();
            // Still open, nothing stored.
            EXPECT_EQ(Serial(), "000000");
            EXPECT_EQ(StoredDword(kOptionsValue), 0xDEADBEEFu);

            driver.Type(IDC_HYICE_SERIAL, "654321");
            driver.Click(IDC_HYICE_VERIFY);
            driver.Click(IDOK);
        },
        1);
    EXPECT_EQ(shown.serial, "000000");
    EXPECT_TRUE(shown.serialEnabled);
    EXPECT_EQ(shown.verify, (UINT)BST_CHECKED);
    EXPECT_EQ(Options(), CHyICEFlash::optionSerialNumber);
    EXPECT_EQ(Serial(), "654321");
    EXPECT_EQ(StoredString(kSerialValue), "654321");
    EXPECT_EQ(StoredDword(kOptionsValue), (DWORD)CHyICEFlash::optionSerialNumber);
}

TEST_F(HyFlashOptionsTest, TheStartUpChoiceIsStoredOnOkAndCancelChangesNothing)
{
    Init(CHyICEFlash::optionVerify, "000000");
    theApp.m_dwOptions = 0x200 | target.GetId();
    theApp.SaveAppOptions(0);
    Shown shown = Run(
        [](CDialog&, CDialogDriver& driver) {
            driver.Click(IDC_HYICE_DEFAULT);
            driver.Click(IDC_HYICE_VERIFY);
            driver.Click(IDCANCEL);
        },
        0);
    EXPECT_EQ(shown.startUp, (UINT)BST_CHECKED);
    EXPECT_EQ(Options(), CHyICEFlash::optionVerify);
    EXPECT_EQ(StoredDword(kOptionsValue), 0xDEADBEEFu);
    EXPECT_EQ(StoredDword("Options"), 0x200u | target.GetId());

    // Cleared while this board is the start-up target: the start-up choice goes.
    Run(
        [](CDialog&, CDialogDriver& driver) {
            driver.Click(IDC_HYICE_DEFAULT);
            driver.Click(IDOK);
        },
        1);
    EXPECT_EQ(StoredDword("Options"), 0x200u);
    EXPECT_EQ(StoredDword(kOptionsValue), (DWORD)CHyICEFlash::optionVerify);
}

TEST(HyFlashHelpTopics, TheOptionsDialogHasATopicAndEveryControlPopup)
{
    CHelpFile help;
    ASSERT_TRUE(help.Load(CString(QUILLET_SOURCE_DIR) + "/res/Kelvane.hlp"));
    const DialogTemplate* dialog = FindDialogTemplate(IDD_HYICE_OPTIONS);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(help.Find(HID_BASE_RESOURCE + IDD_HYICE_OPTIONS), nullptr);
    int popups = 0;
    for (const ControlTemplate& control : dialog->controls) {
        if (control.helpId == 0)
            continue;
        ++popups;
        EXPECT_NE(help.Find(control.helpId), nullptr) << control.id;
    }
    EXPECT_EQ(popups, 4);
}
