// A user's whole road through the main window with each PIC16 board: choose it, load a file,
// view, save, set options and program the simulated device.
#include "tests/sim/Pic16Simulator.h"
#include "tests/sim/PicParallelBoard.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/targets/pic/PicMainDialogSupport.h"
#include "tests/targets/pic/Pic16TestSupport.h"

using pic16test::Bytes;
using pic16test::EepromBytes;

using pictest::kLoadFilter;
using pictest::kOpenFlags;
using pictest::kSaveFilter;

class Pic16MainDialogTest : public Pic16Test {
protected:
    void SetUp() override
    {
        Pic16Test::SetUp();
        theApp.m_dwOptions = 0;
        text = hextext::Image(0, Bytes({0x2805, 0x0186}), false) + hextext::Image(0x400E, {0x39, 0x3D}, false) +
               hextext::Image(0x4200, EepromBytes({0x5A}));
    }

    CModalScript script;
    std::string text;
};

TEST_F(Pic16MainDialogTest, QD5140FromSelectionToAProgrammedDevice)
{
    CPic16Simulator sim(CPic16Simulator::F876);
    CPicSerialBoard board(sim, "COM1:");
    std::string file = folder.Write("prog.hex", text);
    std::string saved = folder / "saved.hex";

    ui.ExpectOpenFile(kLoadFilter, kOpenFlags, {file.c_str()});
    ui.ExpectSaveFile(kSaveFilter, kOpenFlags | OFN_OVERWRITEPROMPT, saved.c_str());
    ExpectResets(board, "Please reset the QD5140 board (by pressing SW1) now.", 2);
    ui.ExpectMessage("Programming complete", MB_ICONINFORMATION, IDOK);

    std::vector<std::string> resources, rows, areas, dump;
    script.Expect(IDD_VIEW_BUFFER, [&](CDialog& dialog) {
        areas = ListEntries(dialog, IDC_VIEW_AREA);
        dump = ListEntries(dialog, IDC_VIEW_LIST);
        CDialogDriver(dialog).Close();
    });
    script.Expect(IDD_PIC16_OPTIONS, [&](CDialog& dialog) {
        CDialogDriver(dialog).Click(IDC_PIC16_BROWN_OUT);
        CDialogDriver(dialog).Click(IDOK);
    });
    bool programEnabled = false;
    pictest::RunMainDialog(script, [&](CDialog& dialog, CDialogDriver& driver) {
        ASSERT_TRUE(driver.SelectText(IDC_TARGET_TYPE, "QD5140 Evaluation Board"));
        resources = ListEntries(dialog, IDC_COMMS_RESOURCE);
        EXPECT_FALSE(driver.IsEnabled(IDC_PROGRAM));
        EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
        rows = ListEntries(dialog, IDC_MODULE_LIST);
        EXPECT_TRUE(driver.Click(IDC_VIEW_BUFFER));
        EXPECT_TRUE(driver.Click(IDC_OPTIONS));
        EXPECT_TRUE(driver.Click(IDC_SAVE_BUFFER));
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
        programEnabled = driver.IsEnabled(IDC_PROGRAM);
    });
    ui.VerifyAndClear();

    EXPECT_EQ(resources, (std::vector<std::string>{"COM1:", "COM2:", "COM3:", "COM4:"}));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], "8K FLASH Memory\tYes");
    EXPECT_EQ(rows[2], "Configuration Data\tYes");
    EXPECT_EQ(rows[3], "EEPROM Memory\tYes");
    EXPECT_EQ(areas, (std::vector<std::string>{"8K FLASH Memory", "Configuration Data", "EEPROM Memory"}));
    ASSERT_FALSE(dump.empty());
    EXPECT_NE(dump[0].find("05 28 86 01"), std::string::npos) << dump[0];
    // The file's word as the dialog rebuilt it with brown-out ticked; the saved file carries it.
    EXPECT_EQ(qd.GetConfig(), 0xB171);
    EXPECT_NE(CTempFolder::Read(saved).find(":10400000FFFFFFFFFFFFFFFFFFFFFFFFFFFF7131"), std::string::npos);
    EXPECT_EQ(sim.ProgramWord(0), 0x2805);
    EXPECT_EQ(sim.ProgramWord(1), 0x0186);
    EXPECT_EQ(sim.EepromByte(0), 0x5A);
    EXPECT_EQ(sim.ConfigWord(), 0x3D71);
    EXPECT_TRUE(board.PortClosed());
    EXPECT_TRUE(programEnabled);
}

TEST_F(Pic16MainDialogTest, QB6620ProgramsOverTheParallelPort)
{
    CPic16Simulator sim(CPic16Simulator::F877);
    CPicParallelBoard board(sim);
    std::string file = folder.Write("prog.hex", text);
    ui.ExpectOpenFile(kLoadFilter, kOpenFlags, {file.c_str()});
    ExpectResets(board, "Please reset the QB6620 board (by pressing and releasing SW1) now.", 2);
    ui.ExpectMessage("Programming complete", MB_ICONINFORMATION, IDOK);
    std::vector<std::string> resources;
    pictest::RunMainDialog(script, [&](CDialog& dialog, CDialogDriver& driver) {
        ASSERT_TRUE(driver.SelectText(IDC_TARGET_TYPE, "QB6620 Evaluation Board"));
        resources = ListEntries(dialog, IDC_COMMS_RESOURCE);
        EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
    });
    ui.VerifyAndClear();
    EXPECT_EQ(resources, (std::vector<std::string>{"LPT1:"}));
    EXPECT_EQ(sim.ProgramWord(1), 0x0186);
    EXPECT_EQ(sim.EepromByte(0), 0x5A);
    // The file's word, with the low-voltage bit the board programs with.
    EXPECT_EQ(sim.ConfigWord(), 0x3DB9);
    EXPECT_EQ(sim.LowVoltageEntries(), 2);
    EXPECT_TRUE(board.PortClosed());
}
