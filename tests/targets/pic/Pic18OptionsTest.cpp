// The PIC18 options dialog, run headless through its widgets: every control against its bits
// of the record, Default and Cancel, the low-voltage boxes and what a device lacks.
#include <algorithm>
#include <functional>
#include <map>

#include "tests/targets/pic/PicFamilies.h"
#include "tests/targets/pic/PicMainDialogSupport.h"

namespace {

// Every check box of the dialog with the bit it owns: byte 14 is the low byte of the options
// word. Ticked means 0 where `inverted`.
struct Bit {
    int id;
    int byte;
    BYTE mask;
    bool inverted;
};

const Bit kBits[] = {
    {1050, 1, 0x20, true},  {1051, 2, 0x02, false}, {1052, 2, 0x01, true},   {1036, 3, 0x01, false},
    {1038, 5, 0x01, false}, {1048, 6, 0x01, false}, {1044, 6, 0x04, false},  {1042, 6, 0x80, true},
    {1053, 9, 0x80, true},  {1054, 9, 0x40, true},  {1055, 8, 0x01, true},   {1056, 8, 0x02, true},
    {1057, 8, 0x04, true},  {1058, 8, 0x08, true},  {1063, 11, 0x80, true},  {1059, 11, 0x20, true},
    {1064, 11, 0x40, true}, {1065, 10, 0x01, true}, {1066, 10, 0x02, true},  {1067, 10, 0x04, true},
    {1068, 10, 0x08, true}, {1069, 13, 0x40, true}, {1070, 12, 0x01, true},  {1071, 12, 0x02, true},
    {1072, 12, 0x04, true}, {1073, 12, 0x08, true}, {1039, 14, 0x02, false}, {1046, 14, 0x04, false},
};

// The record as 15 bytes: the configuration bytes and the low byte of the options word.
std::vector<BYTE> Bytes(const PIC18Config& config)
{
    std::vector<BYTE> bytes = pic18test::ConfigBytes(config);
    bytes.push_back((BYTE)config.m_wOptions);
    return bytes;
}

struct Shown {
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
    std::map<int, std::string> selected;
};

Shown Read(CDialog& dialog)
{
    CDialogDriver driver(dialog);
    Shown shown;
    for (const Bit& bit : kBits) {
        shown.enabled[bit.id] = driver.IsEnabled(bit.id);
        shown.checked[bit.id] = dialog.IsDlgButtonChecked(bit.id) == BST_CHECKED;
    }
    for (int id : {IDC_PIC18_OSCILLATOR, IDC_PIC18_BROWN_OUT_VOLTAGE, IDC_PIC18_POSTSCALE}) {
        shown.selected[id] = pictest::SelectedText(dialog, id);
        shown.enabled[id] = driver.IsEnabled(id);
    }
    return shown;
}

}  // namespace

class Pic18OptionsTest : public PicOptionsFixture<Pic18Test> {
protected:
    // Runs the dialog on `target`, as pictest::RunOptions does.
    Shown Run(CPIC18Target& target, std::function<void(CDialogDriver&)> act = nullptr, int button = IDOK,
              Shown* after = nullptr)
    {
        return pictest::RunOptions(script, IDD_PIC18_OPTIONS, target, Read, act, button, after);
    }
};

TEST_F(Pic18OptionsTest, DefaultShowsTheBoardsRecordAtOnceAndCancelKeepsIt)
{
    PIC18Config stored = {{0, 0x20, 0x00, 0x00, 0, 0x00, 0x00, 0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0x0000};
    qd.SetConfig(stored);
    qd.SaveOptions();
    Shown afterDefault;
    Run(
        qd, [](CDialogDriver& d) { EXPECT_TRUE(d.Click(IDC_PIC18_RESTORE_DEFAULT)); }, IDCANCEL, &afterDefault);

    EXPECT_EQ(afterDefault.selected[IDC_PIC18_OSCILLATOR], "RC with OSC2 as RA6");
    EXPECT_EQ(afterDefault.selected[IDC_PIC18_BROWN_OUT_VOLTAGE], "2.0V");
    EXPECT_EQ(afterDefault.selected[IDC_PIC18_POSTSCALE], "1:128");
    for (const Bit& bit : kBits) {
        bool ticked = bit.id == 1051 || bit.id == 1036 || bit.id == 1038 || bit.id == 1044 || bit.id == 1048 ||
                      bit.id == 1039;
        EXPECT_EQ(afterDefault.checked[bit.id], ticked) << bit.id;
        // The board is not wired for low-voltage programming.
        EXPECT_EQ(afterDefault.enabled[bit.id], bit.id != 1046) << bit.id;
    }
    EXPECT_TRUE(qd.GetConfig() == CQD5170Flash::kDefaultConfig);
    EXPECT_EQ(StoredDword("QD5170_Options0"), 0x00002000u);
    qd.LoadOptions();
    EXPECT_TRUE(qd.GetConfig() == stored);
}

TEST_F(Pic18OptionsTest, EachControlOwnsItsBitsOfTheRecord)
{
    const std::vector<BYTE> defaults = Bytes(CQD5170Flash::kDefaultConfig);
    struct Change {
        const char* what;
        std::function<void(CDialogDriver&)> act;
        int byte;
        BYTE value;
    };
    std::vector<Change> changes = {
        {"oscillator HS", [](CDialogDriver& d) { d.Select(IDC_PIC18_OSCILLATOR, 2); }, 1, 0x22},
        {"brown-out at 4.2V", [](CDialogDriver& d) { d.Select(IDC_PIC18_BROWN_OUT_VOLTAGE, 1); }, 2, 0x07},
        {"postscale 1:1", [](CDialogDriver& d) { d.Select(IDC_PIC18_POSTSCALE, 0); }, 3, 0x01},
    };
    for (const Bit& bit : kBits) {
        if (bit.id == IDC_PIC18_USE_LOW_VOLTAGE)
            continue;  // disabled on this board
        int id = bit.id;
        changes.push_back({"click", [id](CDialogDriver& d) { EXPECT_TRUE(d.Click(id)); }, bit.byte,
                           (BYTE)(defaults[bit.byte] ^ bit.mask)});
    }
    for (const Change& change : changes) {
        SCOPED_TRACE(std::string(change.what) + " " + std::to_string(change.byte) + "=" + std::to_string(change.value));
        qd.SetConfig(CQD5170Flash::kDefaultConfig);
        Run(qd, change.act);
        std::vector<BYTE> wanted = defaults;
        wanted[change.byte] = change.value;
        // Brown-out reset off leaves the power-up timer as it was.
        EXPECT_EQ(Bytes(qd.GetConfig()), wanted);
        EXPECT_EQ(StoredDword("QD5170_Options3"), qd.GetConfig().GetDword(3));
    }
}

TEST_F(Pic18OptionsTest, LowVoltageProgrammingLocksTheLvpBoxWhereTheBoardIsWiredForIt)
{
    PIC18Config config = CQD5170Flash::kDefaultConfig;
    config.m_wOptions |= PIC18Config::optLowVoltageWired;
    config.m_Bytes[PIC18Config::config4L] = 0x81;
    qd.SetConfig(config);
    Shown after;
    Shown before = Run(
        qd, [](CDialogDriver& d) { EXPECT_TRUE(d.Click(IDC_PIC18_USE_LOW_VOLTAGE)); }, IDOK, &after);
    EXPECT_TRUE(before.enabled[IDC_PIC18_USE_LOW_VOLTAGE]);
    EXPECT_FALSE(before.checked[IDC_PIC18_LVP]);
    EXPECT_TRUE(after.checked[IDC_PIC18_LVP]);
    EXPECT_FALSE(after.enabled[IDC_PIC18_LVP]);
    EXPECT_EQ(qd.GetConfig().m_Bytes[PIC18Config::config4L], 0x85);
    EXPECT_EQ(qd.GetConfig().m_wOptions, 0x000E);
    // Ticking brown-out reset ticks the power-up timer.
    config = qd.GetConfig();
    config.m_Bytes[PIC18Config::config2L] = 0x0D;
    qd.SetConfig(config);
    Run(
        qd, [](CDialogDriver& d) { EXPECT_TRUE(d.Click(IDC_PIC18_BROWN_OUT)); }, IDOK, &after);
    EXPECT_TRUE(after.checked[IDC_PIC18_POWER_UP_TIMER]);
    EXPECT_EQ(qd.GetConfig().m_Bytes[PIC18Config::config2L], 0x0E);

    // A device that cannot be programmed at low voltage never offers it.
    CTestPic18 device(0x01D1);
    config.m_wOptions = 0x000E;
    device.SetConfig(config);
    before = Run(device, nullptr, IDCANCEL);
    EXPECT_FALSE(before.enabled[IDC_PIC18_USE_LOW_VOLTAGE]);
}

TEST_F(Pic18OptionsTest, OptionsTheDeviceLacksAreDisabledButKeepTheirBits)
{
    // 16 KB, no EEPROM, no watchdog, brown-out, power-up timer or low voltage.
    CTestPic18 device(0x0000);
    PIC18Config config = CQD5170Flash::kDefaultConfig;
    config.m_Bytes[PIC18Config::config5L] = 0x03;  // blocks 2 and 3 protected
    config.m_Bytes[PIC18Config::config6L] = 0x07;
    config.m_Bytes[PIC18Config::config7L] = 0x0B;
    config.m_Bytes[PIC18Config::config5H] = 0x40;  // EEPROM protected
    device.SetConfig(config);
    Shown shown = Run(device);
    const std::vector<int> disabled = {1051, 1060, 1052, 1036, 1032, 1053, 1063,
                                       1057, 1058, 1067, 1068, 1072, 1073, 1046};
    for (auto [id, enabled] : shown.enabled) {
        bool off = std::find(disabled.begin(), disabled.end(), id) != disabled.end();
        EXPECT_EQ(enabled, !off) << id;
    }
    EXPECT_TRUE(shown.checked[1057]);
    EXPECT_TRUE(shown.checked[1053]);
    EXPECT_EQ(Bytes(device.GetConfig()), Bytes(config));
}
