// Loading Intel HEX files into either PIC family: each memory window up to its limit and past
// it, with the message that refuses the file, and a file of configuration alone.
#include "tests/targets/pic/PicFamilies.h"

template <class Family>
class PicLoadTest : public Family::Fixture {
};
TYPED_TEST_SUITE(PicLoadTest, PicFamilies, PicFamilyNames);

TYPED_TEST(PicLoadTest, ModuleWindowsAndLimits)
{
    for (const pictest::Window& c : TypeParam::kWindows) {
        SCOPED_TRACE(c.what);
        typename TypeParam::Target target(c.device);
        if (c.message)
            this->ui.ExpectMessage(c.message, MB_OK, IDOK);
        BOOL ok = target.LoadModule(0, this->HexFile("file.hex", c.address, hextext::Pattern(c.bytes, 0x21)));
        this->ui.VerifyAndClear();
        EXPECT_EQ(ok, c.message == nullptr);
        std::vector<BOOL> loaded;
        for (int module = 0; module < (int)c.loaded.size(); ++module)
            loaded.push_back(target.IsModuleLoaded(module));
        EXPECT_EQ(loaded, c.loaded);
        EXPECT_EQ(target.CanProgram(), c.loaded[0]);
        target.ClearModule(-1);
    }
}

TYPED_TEST(PicLoadTest, AFileOfConfigurationOnlyLeavesTheCodeFlagAsItWas)
{
    auto& board = this->qd;
    CString config = this->HexFile("config.hex", TypeParam::kConfigAddress, TypeParam::kConfigBytes);
    ASSERT_TRUE(board.LoadModule(0, config));
    EXPECT_TRUE(board.IsModuleLoaded(TypeParam::kConfigModule));
    EXPECT_FALSE(board.CanProgram());
    board.ClearModule(-1);
    ASSERT_TRUE(board.LoadModule(0, this->HexFile("code.hex", 0, {1, 0, 2, 0})));
    board.ClearModule(TypeParam::kConfigModule);
    ASSERT_TRUE(board.LoadModule(0, config));
    EXPECT_TRUE(board.CanProgram());
    // Clearing the module does not change the configuration it set.
    board.ClearModule(TypeParam::kConfigModule);
    TypeParam::ExpectConfigFromFile(board);
}
