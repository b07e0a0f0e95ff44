// The PIC16 options dialog, run headless through its widgets: what it shows for a word and a
// capability, what it stores, the Default and brown-out buttons.
#include <functional>
#include <map>
#include <set>

#include "tests/targets/pic/PicFamilies.h"
#include "tests/targets/pic/PicMainDialogSupport.h"

namespace {

const int kBoxes[] = {IDC_PIC16_VERIFY,      IDC_PIC16_FAST_MODE,    IDC_PIC16_POWER_UP_TIMER, IDC_PIC16_WATCHDOG,
                      IDC_PIC16_LOW_VOLTAGE, IDC_PIC16_WRITE_ENABLE, IDC_PIC16_EEPROM_PROTECT, IDC_PIC16_BROWN_OUT};

// Every option of the capability word, on an 8K device.
const WORD kEverything = 0xC3F2;

struct Shown {
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
    std::string oscillator;
    std::string protection;
    std::vector<std::string> protections;
};

Shown Read(CDialog& dialog)
{
    CDialogDriver driver(dialog);
    Shown shown;
    for (int id : kBoxes) {
        shown.enabled[id] = driver.IsEnabled(id);
        shown.checked[id] = dialog.IsDlgButtonChecked(id) == BST_CHECKED;
    }
    shown.oscillator = pictest::SelectedText(dialog, IDC_PIC16_OSCILLATOR);
    shown.protection = pictest::SelectedText(dialog, IDC_PIC16_CODE_PROTECT);
    shown.protections = ListEntries(dialog, IDC_PIC16_CODE_PROTECT);
    return shown;
}

}  // namespace

class Pic16OptionsTest : public PicOptionsFixture<Pic16Test> {
protected:
    // Runs the dialog on `target`, as pictest::RunOptions does.
    Shown Run(CPIC16Target& target, std::function<void(CDialogDriver&)> act = nullptr, int button = IDOK,
              Shown* after = nullptr)
    {
        return pictest::RunOptions(script, IDD_PIC16_OPTIONS, target, Read, act, button, after);
    }
};

TEST_F(Pic16OptionsTest, BothBoardsShowTheirWordAndOfferOnlyTheirOptions)
{
    const std::vector<std::string> four = {"Protect Disabled", "Protect 0x1F00 to 0x1FFF", "Protect 0x1000 to 0x1FFF",
                                           "Protect 0x0000 to 0x1FFF"};
    struct Case {
        CPIC16Target* board;
        const char* value;
        WORD stored;
        std::set<int> ticked;  // of the boxes offered
        const char* oscillator;
    } cases[] = {
        {&qd, "QD5140_Options", 0xB139, {IDC_PIC16_VERIFY}, "XT Oscillator"},
        {&qb,
         "QB6620_Options",
         0x72C6,
         {IDC_PIC16_POWER_UP_TIMER, IDC_PIC16_WATCHDOG, IDC_PIC16_WRITE_ENABLE, IDC_PIC16_EEPROM_PROTECT,
          IDC_PIC16_BROWN_OUT},
         "HS Oscillator"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        StoreDword(c.value, c.stored);
        c.board->LoadOptions();
        Shown shown = Run(*c.board, nullptr, IDCANCEL);
        for (int id : kBoxes) {
            bool offered = id != IDC_PIC16_FAST_MODE && id != IDC_PIC16_LOW_VOLTAGE;
            EXPECT_EQ(shown.enabled[id], offered) << id;
            if (offered) {
                EXPECT_EQ(shown.checked[id], c.ticked.count(id) == 1) << id;
            }
        }
        EXPECT_EQ(shown.oscillator, c.oscillator);
        EXPECT_EQ(shown.protections, four);
    }
    // Bits 5:4 of 0x72C6 are 0: all memory protected.
    EXPECT_EQ(Run(qb, nullptr, IDCANCEL).protection, "Protect 0x0000 to 0x1FFF");
    EXPECT_EQ(Run(qd, nullptr, IDCANCEL).protection, "Protect Disabled");
}

TEST_F(Pic16OptionsTest, WhatTheDialogStores)
{
    struct Case {
        const char* what;
        WORD capability;
        WORD before;
        std::function<void(CDialogDriver&)> act;
        WORD stored;
        std::vector<std::string> protections;
    } cases[] = {
        {"8K: every word of the device's fields comes back", kEverything, 0xD395, nullptr, 0xD395, {}},
        {"8K: the other copy of the protection follows bits 5:4", kEverything, 0x0010 | 0x8000, nullptr, 0x9010, {}},
        {"8K: every option toggled",
         kEverything,
         0x0008 | 0x0100 | 0x3030,
         [](CDialogDriver& d) {
             for (int id : kBoxes)
                 d.Click(id);
             d.Select(IDC_PIC16_OSCILLATOR, 3);
             d.SelectText(IDC_PIC16_CODE_PROTECT, "Protect 0x1F00");
         },
         0xE2E7,
         {}},
        {"4K: all protected",
         0x0001,
         0x3038,
         [](CDialogDriver& d) { d.SelectText(IDC_PIC16_CODE_PROTECT, "Protect 0x0000"); },
         0x0108,
         {"Protect Disabled", "Protect 0x0000 to 0x1FFF"}},
        {"4K: a protection it does not offer shows and stores as none",
         0x0001,
         0x2028,
         nullptr,
         0x3138,
         {"Protect Disabled", "Protect 0x0000 to 0x1FFF"}},
        {"2K: no protection at all", 0x0000, 0x0008, nullptr, 0x3138, {"Protect Disabled"}},
        {"brown-out reset turns the power-up timer on",
         0x02F2,
         0xB139,
         [](CDialogDriver& d) { d.Click(IDC_PIC16_BROWN_OUT); },
         0xB171,
         {}},
        {"clearing brown-out leaves the power-up timer",
         0x02F2,
         0xB171,
         [](CDialogDriver& d) { d.Click(IDC_PIC16_BROWN_OUT); },
         0xB131,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTestPic16 target(c.capability);
        target.SetConfig(c.before);
        Shown first = Run(target, c.act);
        if (!c.protections.empty()) {
            EXPECT_EQ(first.protections, c.protections);
        }
        EXPECT_EQ(target.GetConfig(), c.stored);
        EXPECT_EQ(StoredDword("TESTPIC_Options"), c.stored);
        // Shown again as stored: OK without changes stores the same word.
        Run(target);
        EXPECT_EQ(target.GetConfig(), c.stored);
    }
}

TEST_F(Pic16OptionsTest, DefaultActsAtOnceAndCancelDoesNotUndoIt)
{
    StoreDword("QB6620_Options", 0x0005);
    qb.LoadOptions();
    Shown afterDefault;
    Run(
        qb, [](CDialogDriver& d) { EXPECT_TRUE(d.Click(IDC_PIC16_RESTORE_DEFAULT)); }, IDCANCEL, &afterDefault);
    EXPECT_EQ(afterDefault.oscillator, "XT Oscillator");
    EXPECT_TRUE(afterDefault.checked[IDC_PIC16_BROWN_OUT]);
    EXPECT_TRUE(afterDefault.checked[IDC_PIC16_VERIFY]);
    EXPECT_EQ(qb.GetConfig(), 0xB1F1);
    EXPECT_EQ(StoredDword("QB6620_Options"), 0x0005u);
    // Selecting the target again brings the stored word back.
    qb.LoadOptions();
    EXPECT_EQ(qb.GetConfig(), 0x0005);
}
