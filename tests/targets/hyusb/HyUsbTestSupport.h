// Shared pieces of the QB7740 kit's tests: the kit put back to its start state with no stored
// options, scripted prompts, a fake main-dialog host, a virtual clock and the fake HID platform.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "platform/testing/VirtualClock.h"
#include "targets/hyusb/QB7740FLASH.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempFolder.h"

inline void StoreKitOptions(DWORD options)
{
    StoreDword("QB7740_Options", options);
}

// An image whose every byte tells its address apart from its neighbours'.
inline std::string KitImage(size_t length, BYTE seed = 0)
{
    std::string image(length, '\0');
    for (size_t i = 0; i < length; ++i)
        image[i] = (char)((i * 7 + (i >> 8) + seed) & 0xFF);
    return image;
}

class HyUsbKitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteSetting("QB7740_Options");
        ASSERT_EQ(kit.LoadOptions(), 1);
        kit.ClearModule(-1);
    }
    void TearDown() override { kit.ClearModule(-1); }

    // Writes a .bin of `length` bytes and loads it; the file's contents are returned.
    std::string LoadImage(size_t length = 0x10000, BYTE seed = 0, const std::string& name = "image.bin")
    {
        std::string image = KitImage(length, seed);
        EXPECT_TRUE(kit.LoadModule(0, folder.Write(name, image).c_str()));
        return image;
    }

    CTempFolder folder;
    CScriptedUi ui;
    CFakeTargetHost host;
    CVirtualClock clock;
    CScopedClock useClock{clock};
    CFakeHidPlatform hid;
    CQB7740Flash& kit = theQB7740Flash;
};
