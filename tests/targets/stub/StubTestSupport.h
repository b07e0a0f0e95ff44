// Shared pieces of the stub-download board tests: a fixture that puts a board target back to a
// known state, with scripted UI services on which each test lists the prompts it expects.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "targets/stub/QB2300FLASH.h"
#include "targets/stub/QP0700FLASH.h"
#include "tests/support/ScopedDelayFactor.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/StoredSettings.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/stub/HexText.h"

inline void StoreStubSettings(const std::string& prefix, const std::string& thin, DWORD options)
{
    StoreString(prefix + "_ThinDefault", thin);
    StoreDword(prefix + "_Options", options);
}

class StubBoardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StoreStubSettings("QB2300", "", 0);
        StoreStubSettings("QP0700", "", 0);
        board.LoadOptions();
        kit.LoadOptions();
        board.ClearModule(-1);
    }
    void TearDown() override
    {
        // Forget the default 'thin' stub first: a test may leave one that does not exist, and
        // clearing would then try to reload it and report the missing file.
        StoreStubSettings("QB2300", "", 0);
        board.LoadOptions();
        board.ClearModule(-1);
    }

    void UseMode(CQB2300Flash& target, const char* prefix, DWORD options, const std::string& thin = "")
    {
        StoreStubSettings(prefix, thin, options);
        target.LoadOptions();
    }

    // Writes `data` at `address` as an Intel HEX file and returns its path.
    std::string HexFile(const std::string& name, DWORD address, const std::vector<BYTE>& data)
    {
        return folder.Write(name, hextext::Image(address, data));
    }

    // Selecting a target in the main window calibrates the busy-wait delay against the tick
    // counter, which a virtual clock never moves; these boards do not use the delay.
    CScopedDelayFactor delayFactor;
    CTempFolder folder;
    CScriptedUi ui;
    CQB2300Flash& board = theQB2300Flash;
    CQP0700Flash& kit = theQP0700Flash;
};
