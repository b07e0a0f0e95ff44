// A user's whole road through the main window with the QD5170 board: choose it, load one file
// with code, ID, configuration and EEPROM data, set options, save, program the simulated
// device.
#include "tests/sim/Pic18Simulator.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/targets/pic/PicMainDialogSupport.h"
#include "tests/targets/pic/Pic18TestSupport.h"

using pictest::kLoadFilter;
using pictest::kOpenFlags;
using pictest::kSaveFilter;

class Pic18MainDialogTest : public Pic18Test {};

TEST_F(Pic18MainDialogTest, QD5170FromSelectionToAProgrammedDevice)
{
    theApp.m_dwOptions = 0;
    CPic18Simulator sim(CPic18Simulator::F252);
    sim.Record(false);
    CPicSerialBoard board(sim, "COM4:");
    const std::vector<BYTE> config = {0x00, 0x22, 0x0F, 0x0F, 0x00, 0x01, 0x85,
                                      0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
    std::string file = folder.Write(
        "prog.hex", hextext::Image(0, {0x12, 0xEF, 0x00, 0xF0}, false) + hextext::Image(0x200000, {0x51, 0x70}, false) +
                        hextext::Image(0x300000, config, false) + hextext::Image(0xF00000, {0x5A}));
    std::string saved = folder / "saved.hex";

    ui.ExpectOpenFile(kLoadFilter, kOpenFlags, {file.c_str()});
    ui.ExpectSaveFile(kSaveFilter, kOpenFlags | OFN_OVERWRITEPROMPT, saved.c_str());
    ui.ExpectMessage(pic18test::kResetPrompt, MB_OK, IDOK, [&] { board.PressReset(); });
    ui.ExpectMessage("Programming complete", MB_ICONINFORMATION, IDOK);

    CModalScript script;
    // The options: the file's oscillator is shown; the watchdog is turned off.
    std::string oscillator;
    script.Expect(IDD_PIC18_OPTIONS, [&](CDialog& dialog) {
        oscillator = pictest::SelectedText(dialog, IDC_PIC18_OSCILLATOR);
        CDialogDriver(dialog).Click(IDC_PIC18_WATCHDOG);
        CDialogDriver(dialog).Click(IDOK);
    });
    std::vector<std::string> resources, rows;
    bool programEnabled = false;
    pictest::RunMainDialog(script, [&](CDialog& dialog, CDialogDriver& driver) {
        ASSERT_TRUE(driver.SelectText(IDC_TARGET_TYPE, "QD5170 Evaluation Board"));
        resources = ListEntries(dialog, IDC_COMMS_RESOURCE);
        EXPECT_TRUE(driver.Select(IDC_COMMS_RESOURCE, 3));
        EXPECT_FALSE(driver.IsEnabled(IDC_PROGRAM));
        EXPECT_TRUE(driver.Click(IDC_LOAD_FILE));
        rows = ListEntries(dialog, IDC_MODULE_LIST);
        EXPECT_TRUE(driver.Click(IDC_OPTIONS));
        EXPECT_TRUE(driver.Click(IDC_SAVE_BUFFER));
        EXPECT_TRUE(driver.Click(IDC_PROGRAM));
        programEnabled = driver.IsEnabled(IDC_PROGRAM);
    });
    ui.VerifyAndClear();

    EXPECT_EQ(resources, (std::vector<std::string>{"COM1:", "COM2:", "COM3:", "COM4:"}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "32K FLASH Memory\tYes");
    EXPECT_EQ(rows[2], "ID Location\tYes");
    EXPECT_EQ(rows[3], "Configuration Data\tYes");
    EXPECT_EQ(rows[4], "EEPROM Memory\tYes");
    EXPECT_EQ(oscillator, "HS");
    // The saved file carries the configuration as the dialog left it: watchdog off.
    EXPECT_NE(CTempFolder::Read(saved).find("00220F0E00018500"), std::string::npos);
    EXPECT_EQ(sim.CodeByte(1), 0xEF);
    EXPECT_EQ(sim.CodeByte(4), 0xFF);
    EXPECT_EQ(sim.IdByte(1), 0x70);
    EXPECT_EQ(sim.IdByte(2), 0xFF);
    EXPECT_EQ(sim.ConfigByte(3), 0x0E);
    EXPECT_EQ(sim.EepromByte(0), 0x5A);
    EXPECT_TRUE(board.PortClosed());
    EXPECT_TRUE(programEnabled);
}
