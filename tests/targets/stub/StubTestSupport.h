// Shared pieces of the stub-download board tests: a fixture that puts a board target back to a
// known state, with scripted UI services on which each test lists the prompts it expects.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/settings/Registry.h"
#include "targets/stub/QB2300FLASH.h"
#include "targets/stub/QP0700FLASH.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/stub/HexText.h"

inline void StoreStubSettings(const char* prefix, const std::string& thin, DWORD options)
{
    HKEY key = theApp.OpenSettingsKey();
    ASSERT_NE(key, (HKEY)NULL);
    std::string thinName = std::string(prefix) + "_ThinDefault";
    std::string optionsName = std::string(prefix) + "_Options";
    RegSetValueEx(key, thinName.c_str(), 0, REG_SZ, (const BYTE*)thin.c_str(), (DWORD)thin.size() + 1);
    RegSetValueEx(key, optionsName.c_str(), 0, REG_DWORD, (const BYTE*)&options, sizeof options);
    RegCloseKey(key);
}

inline std::string ReadStoredString(const char* name)
{
    HKEY key = theApp.OpenSettingsKey();
    char buffer[2048] = {};
    DWORD size = sizeof buffer - 1;
    LONG result = RegQueryValueEx(key, name, NULL, NULL, (LPBYTE)buffer, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(buffer) : std::string("<absent>");
}

inline DWORD ReadStoredDword(const char* name)
{
    HKEY key = theApp.OpenSettingsKey();
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof value;
    RegQueryValueEx(key, name, NULL, NULL, (LPBYTE)&value, &size);
    RegCloseKey(key);
    return value;
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

    CTempFolder folder;
    CScriptedUi ui;
    CQB2300Flash& board = theQB2300Flash;
    CQP0700Flash& kit = theQP0700Flash;
};
