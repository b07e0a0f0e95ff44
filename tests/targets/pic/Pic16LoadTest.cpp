// Loading Intel HEX files into the PIC16 modules: the configuration word taken over from a file,
// the settings value and the module queries; and, for PIC16 and PIC18 alike, that a load that
// fails changes nothing.
#include <memory>

#include "tests/targets/pic/Pic18TestSupport.h"

using pic16test::Bytes;
using pic16test::EepromBytes;
using pic16test::k4KWithSmallEeprom;
using pic16test::k8KWithEeprom;
using pic16test::k8KWithoutEeprom;

namespace {

// What a PIC target holds and has stored: per module its flag and image bytes, the store's
// records (a left-over one may hide under an older one in every image), the configuration word
// or record, and the settings values.
struct PicState {
    std::vector<BOOL> loaded;
    std::vector<std::vector<BYTE>> images;
    int records = 0;
    std::vector<BYTE> config;
    std::vector<DWORD> stored;
};

PicState Snapshot(CTargetBase& target)
{
    PicState state;
    for (int module = 0; module < target.GetModuleCount(); ++module) {
        state.loaded.push_back(target.IsModuleLoaded(module));
        DWORD length = 0;
        BYTE* image = target.GetModuleImage(module, &length);
        state.images.emplace_back(image, image ? image + length : image);
    }
    for (HexRecord* record = theIntelHex.m_pNewest; record; record = record->m_pOlder)
        ++state.records;
    std::string prefix = target.GetName().str() + "_Options";
    if (auto* pic16 = dynamic_cast<CPIC16Target*>(&target)) {
        state.config = Bytes({pic16->GetConfig()});
        state.stored = {StoredDword(prefix)};
    } else if (auto* pic18 = dynamic_cast<CPIC18Target*>(&target)) {
        PIC18Config config = pic18->GetConfig();
        state.config = pic18test::ConfigBytes(config);
        state.config.push_back((BYTE)config.m_wOptions);
        for (int i = 0; i < 4; ++i)
            state.stored.push_back(StoredDword(prefix + std::to_string(i)));
    }
    return state;
}

}  // namespace

class Pic16LoadTest : public Pic16Test {};

// The configuration word is read through module 1 directly when a file is given to it.
TEST_F(Pic16LoadTest, ConfigurationDataBeyondItsSixteenBytesIsRefused)
{
    ui.ExpectMessage("Too many bytes in Configuration WORD download", MB_OK, IDOK);
    EXPECT_FALSE(qd.LoadModule(1, HexFile("config.hex", 0x4000, hextext::Pattern(18, 1))));
    EXPECT_FALSE(qd.IsModuleLoaded(1));
    EXPECT_EQ(theIntelHex.GetEndAddress(NULL), 0u);
}

TEST_F(Pic16LoadTest, AConfigurationWordInAFileReplacesTheDeviceBitsAndIsStored)
{
    struct Case {
        const char* what;
        WORD before;
        std::vector<BYTE> bytes;  // from store byte 0x400E
        WORD after;
    } cases[] = {
        {"options kept", 0xB139, {0x72, 0x3F}, 0xBF72},
        {"brown-out enables the power-up timer", 0x4000, {0x7A, 0x3F}, 0x7F72},
        {"bits 14 and 15 of the file ignored", 0x0000, {0x7A, 0xFF}, 0x3F72},
        {"low byte alone takes the blank high byte", 0x8000, {0x31}, 0xBF31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qd.ClearModule(-1);
        qd.SetConfig(c.before);
        std::string text = hextext::Image(0, Bytes({0x2805}), false) + hextext::Image(0x400E, c.bytes);
        ASSERT_TRUE(qd.LoadModule(0, folder.Write("prog.hex", text).c_str()));
        EXPECT_EQ(qd.GetConfig(), c.after);
        EXPECT_EQ(StoredDword("QD5140_Options"), c.after);
        // The loaded bytes follow the word, so a saved buffer carries it.
        DWORD length = 0;
        BYTE* config = qd.GetModuleImage(1, &length);
        ASSERT_NE(config, (BYTE*)NULL);
        ASSERT_EQ(length, 0x0E + c.bytes.size());
        EXPECT_EQ(config[0x0E], (BYTE)(c.after & 0xFF));
        if (c.bytes.size() == 2) {
            EXPECT_EQ(config[0x0F], (BYTE)((c.after >> 8) & 0x3F));
        }
        EXPECT_TRUE(qd.IsModuleLoaded(0));
    }
}

TEST_F(Pic16LoadTest, ModuleQueriesStayInsideTheModules)
{
    struct Case {
        WORD capability;
        const char* flashName;
        int count;
    } cases[] = {
        {0x0000, "2K FLASH Memory", 2},
        {0x0021, "4K FLASH Memory", 3},
        {0x0002, "8K FLASH Memory", 2},
        {0x0003, " FLASH Memory", 2},
    };
    for (const Case& c : cases) {
        CTestPic16 target(c.capability);
        CString name = "left over";
        EXPECT_TRUE(target.GetModuleName(name, 0));
        EXPECT_EQ(name, c.flashName);
        EXPECT_EQ(target.GetModuleCount(), c.count);
        name = "left over";
        EXPECT_EQ(target.GetModuleName(name, 2), c.count == 3);
        EXPECT_EQ(name, c.count == 3 ? "EEPROM Memory" : "left over");
        for (int outside : {-1, c.count, 100}) {
            name = "left over";
            EXPECT_FALSE(target.GetModuleName(name, outside));
            EXPECT_EQ(name, "left over");
            EXPECT_FALSE(target.IsModuleLoaded(outside));
            EXPECT_FALSE(target.LoadModule(outside, "/no/such/file.hex"));
            target.ClearModule(outside);
        }
        EXPECT_EQ(target.SelectModuleForFile("any.hex"), 0);
        CString filter;
        EXPECT_FALSE(target.GetFileFilter(filter));
        EXPECT_EQ(filter, "Intel Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||");
    }

    // EEPROM bytes 0 and 2 loaded: the word between reads blank.
    std::string text = hextext::Image(0x4200, EepromBytes({0x11}), false) + hextext::Image(0x4204, EepromBytes({0x22}));
    ASSERT_TRUE(qd.LoadModule(0, folder.Write("eeprom.hex", text).c_str()));
    DWORD length = 0;
    BYTE* eeprom = qd.GetModuleImage(2, &length);
    ASSERT_NE(eeprom, (BYTE*)NULL);
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(std::vector<BYTE>(eeprom, eeprom + 6), (std::vector<BYTE>{0x11, 0x00, 0xFF, 0x3F, 0x22, 0x00}));
    EXPECT_EQ(qd.GetModuleImage(0, &length), (BYTE*)NULL);
    EXPECT_EQ(qd.GetModuleImage(3, &length), (BYTE*)NULL);
    EXPECT_EQ(qd.GetModuleImage(-2, &length), (BYTE*)NULL);
}

TEST_F(Pic16LoadTest, SettingsValueAndSavedBuffer)
{
    struct Case {
        bool stored;
        DWORD value;
        WORD config;
    } cases[] = {{false, 0, 0xB139}, {true, 0x3D39, 0x3D39}, {true, 0x7FFF0000 | 0xB1F1, 0xB1F1}};
    for (const Case& c : cases) {
        if (c.stored)
            StoreDword("QD5140_Options", c.value);
        else
            DeleteSetting("QD5140_Options");
        EXPECT_EQ(qd.LoadOptions(), 1);
        EXPECT_EQ(qd.GetConfig(), c.config);
        EXPECT_EQ(qd.GetDefaultConfig(), 0xB139);
    }

    // A saved buffer carries the current configuration word and reads back the same.
    std::string text = hextext::Image(0, Bytes({0x2805, 0x0186}), false) + hextext::Image(0x400E, {0x39, 0x3D});
    ASSERT_TRUE(qd.LoadModule(0, folder.Write("prog.hex", text).c_str()));
    qd.SetConfig(0x8F7A);
    qd.SaveOptions();
    EXPECT_EQ(StoredDword("QD5140_Options"), 0x8F7Au);
    std::string saved = folder / "saved.hex";
    ASSERT_TRUE(qd.SaveBuffer(saved.c_str()));
    qd.ClearModule(-1);
    qd.SetConfig(0x0000);
    ASSERT_TRUE(qd.LoadModule(0, saved.c_str()));
    // Bits 14 and 15 never reach a file; the brown-out rule clears bit 3.
    EXPECT_EQ(qd.GetConfig(), 0x0F72);
    DWORD length = 0;
    BYTE* flash = qd.GetModuleImage(0, &length);
    // The writer keeps whole 16-byte lines, so the FLASH module now ends at 0x10.
    ASSERT_EQ(length, 16u);
    EXPECT_EQ(std::vector<BYTE>(flash, flash + 4), Bytes({0x2805, 0x0186}));
}

// After a good file, every way a load can fail (the file, the reader, each limit) leaves the
// modules, the configuration and the settings exactly as they were. Each bad file carries
// FLASH data and an all-protecting configuration that must not get through.
TEST_F(Pic16LoadTest, AFileThatFailsOrIsRefusedChangesNothingOnPic16OrPic18)
{
    using hextext::Image;
    enum Family { pic16, pic18 };
    const std::string end = ":00000001FF\r\n";
    const std::string badRecord = ":0100000000FE\r\n";
    const std::string flash = Image(0, {0xEE, 0xEE}, false);
    const std::string word16 = flash + Image(0x400E, {0x00, 0x00}, false);
    // After any other part: it sets its own extended address.
    const std::string config18 = Image(0x300000, std::vector<BYTE>(14, 0x00), false);
    const char* tooMany = "Too many bytes in FLASH download";
    struct Case {
        const char* what;
        Family family;
        WORD device;
        std::string text;  // empty: no such file
        const char* message;
        int module = 0;
    } cases[] = {
        {"cannot be opened", pic16, k8KWithEeprom, "", nullptr},
        {"a bad record", pic16, k8KWithEeprom, word16 + badRecord, nullptr},
        {"no end record", pic16, k8KWithEeprom, word16, nullptr},
        {"FLASH outside the windows", pic16, k8KWithEeprom, word16 + Image(0x4010, {1, 2}), tooMany},
        {"configuration beyond its 16 bytes", pic16, k8KWithEeprom, Image(0x4000, std::vector<BYTE>(18, 0x00)),
         "Too many bytes in Configuration WORD download", 1},
        {"EEPROM data without an EEPROM", pic16, k8KWithoutEeprom, word16 + Image(0x4200, {1, 0}),
         "EEPROM data unsupported in the PIC"},
        {"EEPROM beyond its size", pic16, k4KWithSmallEeprom, word16 + Image(0x4200, hextext::Pattern(0x200, 5)),
         "Too many bytes in EEPROM download"},
        {"cannot be opened", pic18, pic18test::k16KWithEeprom, "", nullptr},
        {"a bad record", pic18, pic18test::k16KWithEeprom, flash + config18 + badRecord, nullptr},
        {"no end record", pic18, pic18test::k16KWithEeprom, flash + config18, nullptr},
        {"code beyond its size", pic18, pic18test::k16KWithEeprom, flash + Image(0x4000, {1}, false) + config18 + end,
         tooMany},
        {"beyond the ID window", pic18, pic18test::k16KWithEeprom,
         flash + Image(0x200000, hextext::Pattern(9, 3), false) + config18 + end, tooMany},
        {"beyond the EEPROM", pic18, pic18test::k16KWithEeprom, flash + Image(0xF000FF, {1, 2}, false) + config18 + end,
         tooMany},
        {"EEPROM data without an EEPROM", pic18, pic18test::k32KWithoutEeprom,
         flash + Image(0xF00000, {1}, false) + config18 + end, tooMany},
    };
    DeleteSetting("TESTPIC_Options");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.family == pic16 ? "PIC16 " : "PIC18 ") + c.what);
        std::unique_ptr<CTargetBase> target;
        std::string good;
        if (c.family == pic16) {
            auto pic = std::make_unique<CTestPic16>(c.device);
            pic->SetConfig(0xBF72);
            target = std::move(pic);
            good = Image(0, Bytes({0x2805, 0x0186}), false);
            // The other devices load no word first, so that one taken from a refused file shows.
            if (c.device == k8KWithEeprom)
                good += Image(0x400E, {0x72, 0x3F}, false);
            if (c.device & CPIC16Target::capEeprom)
                good += Image(0x4200, EepromBytes({0x11}), false);
        } else {
            target = std::make_unique<CTestPic18>(c.device);
            good = Image(0, {0x12, 0x34}, false) + Image(0x200000, {1, 2, 3, 4, 5, 6, 7, 8}, false) +
                   Image(0x300000, {0x00, 0x22, 0x0D, 0x0A}, false);
            if (c.device & CPIC18Target::devEepromMask)
                good += Image(0xF00000, {0xAA}, false);
        }
        ASSERT_TRUE(target->LoadModule(0, folder.Write("good.hex", good + end).c_str()));
        const PicState before = Snapshot(*target);

        std::string path = c.text.empty() ? folder / "missing.hex" : folder.Write("bad.hex", c.text);
        if (c.text.empty())
            ui.ExpectMessage("Unable to open download file\n" + path + ": No such file or directory", MB_OK, IDOK);
        else if (c.message)
            ui.ExpectMessage(c.message, MB_OK, IDOK);
        EXPECT_FALSE(target->LoadModule(c.module, path.c_str()));
        ui.VerifyAndClear();

        const PicState after = Snapshot(*target);
        EXPECT_EQ(after.loaded, before.loaded);
        EXPECT_EQ(after.images, before.images);
        EXPECT_EQ(after.records, before.records);
        EXPECT_EQ(after.config, before.config);
        EXPECT_EQ(after.stored, before.stored);
        target->ClearModule(-1);
    }
    DeleteSetting("TESTPIC_Options");
    pic18test::DeleteStoredRecord("TESTPIC18");
}
