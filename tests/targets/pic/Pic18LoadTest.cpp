// Loading Intel HEX files into the PIC18 modules: configuration bytes taken over from a file,
// the stored record, the module queries and the saved buffer.
#include "tests/targets/pic/Pic18TestSupport.h"

using pic18test::k32KWithoutEeprom;

class Pic18LoadTest : public Pic18Test {};

TEST_F(Pic18LoadTest, ConfigurationBytesInAFileReplaceTheRecordAndAreStoredAtOnce)
{
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;  // from 0x300000
        DWORD stored[4];
    } cases[] = {
        {"all fourteen",
         {0x00, 0x22, 0x0D, 0x0A, 0x00, 0x01, 0x81, 0x00, 0x0E, 0xC0, 0x0F, 0xA0, 0x0B, 0x40},
         {0x0A0D2200, 0x00810100, 0xA00FC00E, 0x0002400B}},
        {"CONFIG1L-CONFIG2H only", {0x00, 0x22, 0x0E, 0x0E}, {0x0E0E2200, 0xFFFFFFFF, 0xFFFFFFFF, 0x0002FFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qd.ClearModule(-1);
        qd.LoadOptions();
        std::string text = hextext::Image(0, {0x12, 0x34}, false) + hextext::Image(0x300000, c.bytes);
        ASSERT_TRUE(qd.LoadModule(0, folder.Write("prog.hex", text).c_str()));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(StoredDword("QD5170_Options" + std::to_string(i)), c.stored[i]) << i;
        EXPECT_EQ(qd.GetConfig().m_wOptions, PIC18Config::optVerify);
        // The loaded bytes follow the record, as far as the file has them.
        DWORD length = 0;
        BYTE* config = qd.GetModuleImage(2, &length);
        ASSERT_NE(config, (BYTE*)NULL);
        ASSERT_EQ(length, c.bytes.size());
        EXPECT_EQ(std::vector<BYTE>(config, config + length), c.bytes);
        EXPECT_TRUE(qd.IsModuleLoaded(0));
    }
}

TEST_F(Pic18LoadTest, TheRecordIsStoredAsFourDwordsEachRestoredIntoItsPlace)
{
    // Nothing stored: the board's defaults, options word included.
    EXPECT_TRUE(qd.GetConfig() == CQD5170Flash::kDefaultConfig);

    PIC18Config changed = CQD5170Flash::kDefaultConfig;
    for (int i = 0; i < 14; ++i)
        changed.m_Bytes[i] = (BYTE)(0x31 + i);
    changed.m_wOptions = 0x000E;
    qd.SetConfig(changed);
    qd.SaveOptions();
    EXPECT_EQ(StoredDword("QD5170_Options0"), 0x34333231u);
    EXPECT_EQ(StoredDword("QD5170_Options3"), 0x000E3E3Du);
    qd.SetConfig(CQD5170Flash::kDefaultConfig);
    qd.LoadOptions();
    EXPECT_TRUE(qd.GetConfig() == changed);
    EXPECT_TRUE(qd.GetDefaultConfig() == CQD5170Flash::kDefaultConfig);

    // A value that is missing or is not a DWORD leaves the default in its place only.
    DeleteSetting("QD5170_Options0");
    StoreSetting("QD5170_Options1", REG_SZ, "text", 5);
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    StoreSetting("QD5170_Options2", REG_BINARY, eight, sizeof eight);
    qd.LoadOptions();
    PIC18Config expected = CQD5170Flash::kDefaultConfig;
    expected.m_Bytes[12] = changed.m_Bytes[12];
    expected.m_Bytes[13] = changed.m_Bytes[13];
    expected.m_wOptions = changed.m_wOptions;
    EXPECT_TRUE(qd.GetConfig() == expected);
}

TEST_F(Pic18LoadTest, ModuleQueriesStayInsideTheModules)
{
    CTestPic18 small(pic18test::k16KWithEeprom);
    CTestPic18 bare(k32KWithoutEeprom);
    CString name;
    EXPECT_TRUE(small.GetModuleName(name, 0));
    EXPECT_EQ(name, "16K FLASH Memory");
    EXPECT_TRUE(qd.GetModuleName(name, 0));
    EXPECT_EQ(name, "32K FLASH Memory");
    EXPECT_TRUE(qd.GetModuleName(name, 3));
    EXPECT_EQ(name, "EEPROM Memory");
    EXPECT_EQ(qd.GetModuleCount(), 4);
    EXPECT_EQ(bare.GetModuleCount(), 3);
    name = "unchanged";
    for (int module : {-1, 4, 100})
        EXPECT_FALSE(qd.GetModuleName(name, module)) << module;
    EXPECT_FALSE(bare.GetModuleName(name, 3));
    EXPECT_EQ(name, "unchanged");

    // EEPROM bytes at 0 and 4: the image starts at 0xF00000, the gap reads erased.
    std::string text = hextext::Image(0xF00000, {0x11}, false) + hextext::Image(0xF00004, {0x55});
    ASSERT_TRUE(qd.LoadModule(0, folder.Write("eeprom.hex", text).c_str()));
    DWORD length = 0;
    BYTE* eeprom = qd.GetModuleImage(3, &length);
    ASSERT_NE(eeprom, (BYTE*)NULL);
    EXPECT_EQ(std::vector<BYTE>(eeprom, eeprom + length), (std::vector<BYTE>{0x11, 0xFF, 0xFF, 0xFF, 0x55}));
    for (int module : {-2, 4, 9}) {
        EXPECT_FALSE(qd.IsModuleLoaded(module)) << module;
        EXPECT_EQ(qd.GetModuleImage(module, &length), (BYTE*)NULL) << module;
        qd.ClearModule(module);
    }
    EXPECT_TRUE(qd.IsModuleLoaded(3));
    EXPECT_EQ(bare.GetModuleImage(3, &length), (BYTE*)NULL);
    EXPECT_EQ(qd.SelectModuleForFile("anything.hex"), 0);
}

TEST_F(Pic18LoadTest, SaveBufferWritesEveryWindowBehindItsAddressRecord)
{
    std::string text = hextext::Image(0, {0x01, 0x02, 0x03}, false) +
                       hextext::Image(0x200000, {1, 2, 3, 4, 5, 6, 7, 8}, false) +
                       hextext::Image(0x300000, pic18test::ConfigBytes(CQD5170Flash::kDefaultConfig), false) +
                       hextext::Image(0xF00000, {0xAA, 0xBB});
    ASSERT_TRUE(qd.LoadModule(0, folder.Write("all.hex", text).c_str()));
    std::string saved = folder / "saved.hex";
    ASSERT_TRUE(qd.SaveBuffer(saved.c_str()));

    auto padded = [](std::vector<BYTE> bytes) {
        bytes.resize(16, 0xFF);
        return bytes;
    };
    std::vector<BYTE> config = pic18test::ConfigBytes(CQD5170Flash::kDefaultConfig);
    std::string expected = hextext::Record(0, 0, padded({1, 2, 3})) + ":020000040020DA\r\n" +
                           hextext::Record(0, 0, padded({1, 2, 3, 4, 5, 6, 7, 8})) + ":020000040030CA\r\n" +
                           hextext::Record(0, 0, padded(config)) + ":0200000400F00A\r\n" +
                           hextext::Record(0, 0, {0xAA, 0xBB}) + ":00000001FF\r\n";
    EXPECT_EQ(CTempFolder::Read(saved), expected);
}
