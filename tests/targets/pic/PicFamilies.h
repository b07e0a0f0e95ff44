// The PIC16 and PIC18 families side by side, for the tests that hold for both: each family's
// fixture, device model, test target and board, and the files, faults and limits its tests use.
// A typed test over PicFamilies runs once per family, named after it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/testing/ModalScript.h"
#include "ports/CommsBase.h"
#include "res/resource.h"
#include "tests/sim/Pic16Simulator.h"
#include "tests/sim/Pic18Simulator.h"
#include "tests/sim/PicSerialBoard.h"
#include "tests/targets/pic/Pic18TestSupport.h"

namespace pictest {

// The edges of bits sent one after the other: the data line changes (when it must) before
// each clock pulse. Written from the protocol, independently of the targets' code.
inline std::string BitEdges(std::initializer_list<int> bits, bool& data)
{
    std::string edges;
    for (int bit : bits) {
        if (bit != (int)data)
            edges += bit ? 'D' : 'd';
        data = bit;
        edges += "Cc";
    }
    return edges;
}

inline std::string Pulses(int count)
{
    std::string edges;
    for (int i = 0; i < count; ++i)
        edges += "Cc";
    return edges;
}

// Opens `target`'s port, idles the lines and enters the programming mode at the board's reset,
// recording the pins from then on.
template <class Target, class Board>
void EnterProgramMode(Target& target, Board& board, BYTE type = CCommsBase::typeSerialLines,
                      const char* resource = "COM2:")
{
    ASSERT_TRUE(target.Comms().Open(type, resource));
    ASSERT_TRUE(target.IdleLines());
    board.PressReset();
    ASSERT_TRUE(board.Lines().InProgramMode());
    board.Lines().RecordPins(true);
}

// A memory cell that will not take its value, and the outcome of the run it spoils after
// `resets` reset prompts.
template <class Sim>
struct StuckBit {
    const char* what;
    typename Sim::Space space;
    DWORD address;
    int bit;
    bool level;
    const char* status;
    int resets;
};

// The serial lines stop working as the device receives the `occurrence`-th command of `code`,
// or, where `step` is given, the `occurrence`-th command while the progress shows `step`.
struct LineBreak {
    BYTE code;
    const char* step;
    int occurrence;
    const char* status;
    int resets;
};

// `bytes` bytes at `address` loaded into a test target of `device`: the message that refuses
// them (nullptr: none) and each module's flag afterwards.
struct Window {
    const char* what;
    WORD device;
    DWORD address;
    size_t bytes;
    const char* message;
    std::vector<BOOL> loaded;
};

// One change of the progress text or range.
struct ProgressSeen {
    std::string text;
    int upper;
    bool operator==(const ProgressSeen& other) const { return text == other.text && upper == other.upper; }
};

inline void PrintTo(const ProgressSeen& seen, std::ostream* out)
{
    *out << "\"" << seen.text << "\" 0-" << seen.upper;
}

}  // namespace pictest

// A family's fixture for whole programming runs: what the progress showed as the device saw
// it, and the run's outcome text.
template <class Fixture>
class PicRunFixture : public Fixture {
protected:
    // Every erase, programming hold and discharge must be given the device's time on the
    // fixture's clock, which only the busy waits move: a wait left out or cut short is a
    // violation.
    template <class Sim>
    static void CheckTiming(Sim& sim, CIcspDecoder& lines)
    {
        lines.TakeTimes(true);
        sim.CheckTiming(true);
    }

    // Each change of the progress text or range at the device's commands, and the bar's
    // position at the last command.
    template <class Sim>
    void WatchProgress(Sim& sim)
    {
        sim.OnCommand([this](BYTE) {
            pictest::ProgressSeen now{this->host.ProgressText(), this->host.Upper()};
            if (progress.empty() || !(progress.back() == now))
                progress.push_back(now);
            lastPos = this->host.Pos();
        });
    }

    std::vector<pictest::ProgressSeen> progress;
    int lastPos = -1;
    CString status;
};

// A family's fixture for its options dialog, which starts and ends with no start-up target.
template <class Fixture>
class PicOptionsFixture : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        theApp.m_dwOptions = 0;
        theApp.SaveAppOptions(0);
    }
    void TearDown() override
    {
        theApp.m_dwOptions = 0;
        theApp.SaveAppOptions(0);
        Fixture::TearDown();
    }

    CModalScript script;
};

struct Pic16Family {
    static constexpr char kName[] = "Pic16";
    using Fixture = Pic16Test;
    using Sim = CPic16Simulator;
    using Target = CTestPic16;
    using Space = Sim::Space;

    // The runs go to the QD5140 board, two reset prompts a whole run.
    static constexpr const char* kResetPrompt = pic16test::kQD5140Prompt;
    static const Sim::Variant& Variant() { return Sim::F876; }
    static std::string Image() { return pic16test::RunImage(); }

    static constexpr WORD kExpectedId = 0x09E0;
    static constexpr WORD kOtherId = 0x09A0;     // a PIC16F877
    static constexpr WORD kDeadLineId = 0x3FFF;  // a dead data line reads as all ones
    // Protected memory with data in it, which a refused run must leave as it is.
    static void Fill(Sim& sim)
    {
        sim.SetConfigWord(0x0D8F);
        sim.SetProgramWord(0x10, 0x1234);
        sim.SetEepromByte(0, 0x42);
    }
    static void ExpectUntouched(const Sim& sim)
    {
        // The id read and nothing after it.
        std::vector<Sim::Command> readId = {{0, true, 0, 0}};
        readId.insert(readId.end(), 6, Sim::Command{6, false, 0, 0});
        readId.push_back({4, true, kOtherId, 0});
        EXPECT_EQ(sim.Commands(), readId);
        EXPECT_EQ(sim.ProgramWord(0x10), 0x1234);
        EXPECT_EQ(sim.EepromByte(0), 0x42);
        EXPECT_EQ(sim.ConfigWord(), 0x0D8F);
    }

    static inline const std::vector<pictest::StuckBit<Sim>> kStuckBits = {
        {"FLASH bit stuck high", Space::Program, 1, 3, true, "Unable to program PIC FLASH memory", 2},
        {"EEPROM bit stuck high", Space::Eeprom, 2, 0, true, "Unable to program PIC EEPROM memory", 2},
        {"configuration bit 4 stuck low", Space::Config, 0, 4, false, "Unable to reset configuration info", 1},
        {"configuration bit 0 stuck low", Space::Config, 0, 0, false, "Unable to download configuration info", 2},
    };
    static inline const std::vector<pictest::LineBreak> kLineBreaks = {
        {0, nullptr, 1, "Failed to unlock PIC code protection", 1},
        {1, nullptr, 1, "Failed to unlock PIC code protection", 1},
        {2, nullptr, 1, "Unable to reset configuration info", 1},
        {9, nullptr, 1, "Unable to erase PIC device", 2},
        {11, nullptr, 1, "Unable to erase PIC device", 2},
        {2, nullptr, 3, "Unable to program PIC FLASH memory", 2},
        {0, nullptr, 4, "Failed to communicate with device", 2},
        {3, nullptr, 2, "Unable to program PIC EEPROM memory", 2},
        {0, nullptr, 5, "Unable to download configuration info", 2},
    };

    static constexpr WORD kLinesDevice = pic16test::k8KWithEeprom;
    static inline const std::vector<pictest::Window> kWindows = [] {
        using namespace pic16test;
        const char* tooMany = "Too many bytes in FLASH download";
        const std::vector<BOOL> none = {FALSE, FALSE, FALSE};
        return std::vector<pictest::Window>{
            {"8K FLASH up to its end", k8KWithEeprom, 0x3FF0, 16, nullptr, {TRUE, FALSE, FALSE}},
            {"between configuration and EEPROM", k8KWithEeprom, 0x4010, 2, tooMany, none},
            {"above the EEPROM window", k8KWithEeprom, 0x4400, 2, tooMany, none},
            {"across the FLASH end into configuration", k8KWithEeprom, 0x3FF8, 16, nullptr, {TRUE, TRUE, FALSE}},
            {"whole 256-byte EEPROM", k8KWithEeprom, 0x4200, 0x200, nullptr, {FALSE, FALSE, TRUE}},
            {"4K FLASH up to its end", k4KWithSmallEeprom, 0x1FFE, 2, nullptr, {TRUE, FALSE, FALSE}},
            {"4K FLASH one byte over", k4KWithSmallEeprom, 0x1FFE, 3, tooMany, none},
            {"whole 128-byte EEPROM", k4KWithSmallEeprom, 0x4200, 0x100, nullptr, {FALSE, FALSE, TRUE}},
            {"256 bytes into a 128-byte EEPROM", k4KWithSmallEeprom, 0x4200, 0x200, "Too many bytes in EEPROM download",
             none},
            {"EEPROM data without an EEPROM", k8KWithoutEeprom, 0x4200, 2, "EEPROM data unsupported in the PIC", none},
        };
    }();
    // A configuration word alone in a file, the module it fills, and the board's word after.
    static constexpr DWORD kConfigAddress = 0x400E;
    static inline const std::vector<BYTE> kConfigBytes = {0x39, 0x3D};
    static constexpr int kConfigModule = 1;
    static void ExpectConfigFromFile(CPIC16Target& board) { EXPECT_EQ(board.GetConfig(), 0xBD39); }

    static constexpr int kOptionsDialog = IDD_PIC16_OPTIONS;
    static constexpr int kHelpedControls = 14;
    static constexpr bool kHelpIdsMadeFromControlIds = false;  // the dialog keeps ids of its own
    static CTargetBase& StartUpBoard() { return theQB6620Flash; }
};

struct Pic18Family {
    static constexpr char kName[] = "Pic18";
    using Fixture = Pic18Test;
    using Sim = CPic18Simulator;
    using Target = CTestPic18;
    using Space = Sim::Space;

    // The runs go to the QD5170 board, one reset prompt a whole run.
    static constexpr const char* kResetPrompt = pic18test::kResetPrompt;
    static const Sim::Variant& Variant() { return Sim::F252; }
    static std::string Image() { return pic18test::RunImage(); }

    static constexpr WORD kExpectedId = 0x0400;
    static constexpr WORD kOtherId = 0x0427;
    static constexpr WORD kDeadLineId = 0x0000;  // a dead data line reads as all zeros
    static void Fill(Sim& sim)
    {
        sim.SetCodeByte(0x10, 0x00);
        sim.SetConfigByte(8, 0x00);  // every block protected
    }
    static void ExpectUntouched(const Sim& sim)
    {
        EXPECT_EQ(sim.ChipErases(), 0);
        EXPECT_EQ(sim.CodeByte(0x10), 0x00);
        EXPECT_EQ(sim.ConfigByte(8), 0x00);
    }

    static inline const std::vector<pictest::StuckBit<Sim>> kStuckBits = {
        {"code bit stuck low", Space::Code, 0x7FFE, 2, false, "Verification of the code memory failed", 1},
        {"ID bit stuck high", Space::Id, 0, 7, true, "Verification of the ID memory failed", 1},
        {"blank EEPROM bit stuck low", Space::Eeprom, 200, 7, false, "Verification of the EEPROM memory failed", 1},
        {"watchdog postscale bit stuck low", Space::Config, 3, 1, false,
         "Verification of the configuration memory failed", 1},
    };
    // The third command of each step.
    static inline const std::vector<pictest::LineBreak> kLineBreaks = {
        {0, "", 3, "Failed to unlock PIC code protection", 1},
        {0, "Erasing the target device", 3, "Unable to erase PIC device", 1},
        {0, "Programming the code memory", 3, "Unable to program the code memory", 1},
        {0, "Programming the ID memory", 3, "Unable to program the ID memory", 1},
        {0, "Programming the EEPROM memory", 3, "Unable to program the EEPROM memory", 1},
        {0, "Verifying the code memory", 3, "Verification of the code memory failed", 1},
        {0, "Verifying the ID memory", 3, "Verification of the ID memory failed", 1},
        {0, "Verifying the EEPROM memory", 3, "Verification of the EEPROM memory failed", 1},
        {0, "Programming Configuration memory", 3, "Unable to program the configuration memory", 1},
        {0, "Verifying the Configuration memory", 3, "Verification of the configuration memory failed", 1},
    };

    static constexpr WORD kLinesDevice = pic18test::k32K;
    static inline const std::vector<pictest::Window> kWindows = [] {
        using namespace pic18test;
        const char* tooMany = "Too many bytes in FLASH download";
        const std::vector<BOOL> none = {FALSE, FALSE, FALSE, FALSE};
        return std::vector<pictest::Window>{
            {"16K code up to its end", k16KWithEeprom, 0x3FF0, 16, nullptr, {TRUE, FALSE, FALSE, FALSE}},
            {"16K code one byte over", k16KWithEeprom, 0x3FF0, 17, tooMany, none},
            {"32K code up to its end", k32K, 0x7FF0, 16, nullptr, {TRUE, FALSE, FALSE, FALSE}},
            {"32K code one byte over", k32K, 0x7FFF, 2, tooMany, none},
            {"between code and ID", k32K, 0x1FFFFF, 1, tooMany, none},
            {"whole ID window", k32K, 0x200000, 8, nullptr, {FALSE, TRUE, FALSE, FALSE}},
            {"one byte beyond the ID window", k32K, 0x200000, 9, tooMany, none},
            {"whole configuration", k32K, 0x300000, 14, nullptr, {FALSE, FALSE, TRUE, FALSE}},
            {"one byte beyond the configuration", k32K, 0x300000, 15, tooMany, none},
            {"whole 256-byte EEPROM", k32K, 0xF00000, 256, nullptr, {FALSE, FALSE, FALSE, TRUE}},
            {"one byte beyond the EEPROM", k32K, 0xF000FF, 2, tooMany, none},
            {"EEPROM data without an EEPROM", k32KWithoutEeprom, 0xF00000, 2, tooMany, none},
            {"both EEPROM bits: no room", k32KBothEepromBits, 0xF00000, 1, tooMany, none},
        };
    }();
    static constexpr DWORD kConfigAddress = 0x300000;
    static inline const std::vector<BYTE> kConfigBytes = {0x00, 0x26};
    static constexpr int kConfigModule = 2;
    static void ExpectConfigFromFile(CPIC18Target& board)
    {
        EXPECT_EQ(board.GetConfig().m_Bytes[1], 0x26);
        EXPECT_EQ(board.GetConfig().m_Bytes[2], 0xFF);
    }

    static constexpr int kOptionsDialog = IDD_PIC18_OPTIONS;
    static constexpr int kHelpedControls = 35;
    // Every control but static text has help, under MakeControlHelpId's id.
    static constexpr bool kHelpIdsMadeFromControlIds = true;
    static CTargetBase& StartUpBoard() { return theQD5170Flash; }
};

using PicFamilies = ::testing::Types<Pic16Family, Pic18Family>;

struct PicFamilyNames {
    template <class Family>
    static std::string GetName(int)
    {
        return Family::kName;
    }
};
