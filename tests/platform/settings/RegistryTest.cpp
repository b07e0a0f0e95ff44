#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/settings/RegKeyGuard.h"
#include "platform/settings/Registry.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/TempFolder.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = InstallSettingsStore(&m_store);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Brenlow\\Marrowind", 0, NULL,
                                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &m_key, NULL));
    }
    void TearDown() override
    {
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(m_key));
        InstallSettingsStore(m_previous);
    }

    CTempFolder m_folder;
    CSettingsStore m_store{m_folder / "settings.txt"};
    CSettingsStore* m_previous = NULL;
    HKEY m_key = NULL;
};

TEST_F(RegistryTest, OpeningFindsOnlyExistingKeys)
{
    HKEY key = (HKEY)1;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &key));
    EXPECT_EQ(NULL, key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\brenlow", 0, KEY_ALL_ACCESS, &key));
    HKEY product = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(key, "MARROWIND", 0, KEY_READ, &product));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(product));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    // A closed handle is no longer a key.
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    DWORD size = 4;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueEx(key, "Options", NULL, NULL, NULL, &size));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));
}

TEST_F(RegistryTest, AGuardClosesItsKeyWhenItsScopeEnds)
{
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key));
    {
        CRegKeyGuard guard(key);
        EXPECT_EQ(key, (HKEY)guard);
        CRegKeyGuard none(NULL);
    }
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

TEST_F(RegistryTest, CreateReportsWhetherTheKeyIsNew)
{
    HKEY key = NULL;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(m_key, "QB2300", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                                            &key, &disposition));
    EXPECT_EQ((DWORD)REG_CREATED_NEW_KEY, disposition);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyEx(m_key, "qb2300", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                                            &key, &disposition));
    EXPECT_EQ((DWORD)REG_OPENED_EXISTING_KEY, disposition);
    RegCloseKey(key);
}

TEST_F(RegistryTest, QuerySizesFollowTheWin32Rules)
{
    const char text[] = "COM1:";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(m_key, "Port", 0, REG_SZ, (const BYTE*)text, sizeof text));

    // No buffer: size and type only.
    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueEx(m_key, "port", NULL, &type, NULL, &size));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ((DWORD)sizeof text, size);

    // Too small: the needed size, and the buffer untouched.
    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    size = 3;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueEx(m_key, "Port", NULL, &type, (LPBYTE)buffer, &size));
    EXPECT_EQ((DWORD)sizeof text, size);
    EXPECT_EQ('x', buffer[0]);

    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueEx(m_key, "Port", NULL, &type, (LPBYTE)buffer, &size));
    EXPECT_EQ((DWORD)sizeof text, size);
    EXPECT_STREQ(text, buffer);

    // A string written without its terminating zero still reads back with one.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(m_key, "Bare", 0, REG_SZ, (const BYTE*)"abc", 3));
    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueEx(m_key, "Bare", NULL, &type, (LPBYTE)buffer, &size));
    EXPECT_EQ(4u, size);
    EXPECT_STREQ("abc", buffer);

    // Eight bytes do not fit a DWORD.
    const BYTE eight[8] = {5, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(m_key, "Options", 0, REG_BINARY, eight, sizeof eight));
    DWORD options = 0;
    size = sizeof options;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueEx(m_key, "Options", NULL, &type, (LPBYTE)&options, &size));
    EXPECT_EQ(8u, size);

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueEx(m_key, "Absent", NULL, &type, NULL, &size));
}

TEST_F(RegistryTest, DwordValuesAndDeletion)
{
    DWORD written = 0xA5000105;
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueEx(m_key, "QD5140_Options", 0, REG_DWORD, (const BYTE*)&written, sizeof written));
    DWORD read = 0, type = 0, size = sizeof read;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueEx(m_key, "qd5140_options", NULL, &type, (LPBYTE)&read, &size));
    EXPECT_EQ(written, read);
    EXPECT_EQ((DWORD)REG_DWORD, type);

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValue(m_key, "QD5140_OPTIONS"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueEx(m_key, "QD5140_Options", NULL, NULL, NULL, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValue(m_key, "QD5140_Options"));
}

}  // namespace

namespace {

TEST_F(RegistryTest, SubkeysAreEnumeratedByIndexWithTheWin32SizeRules)
{
    for (const char* name : {"/usr/bin", "Second"}) {
        HKEY key = NULL;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyEx(m_key, name, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL));
        RegCloseKey(key);
    }
    char name[16];
    DWORD length = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyEx(m_key, 0, name, &length, NULL, NULL, NULL, NULL));
    EXPECT_STREQ("/usr/bin", name);
    EXPECT_EQ(8u, length) << "the length comes back without the terminator";
    length = 6;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyEx(m_key, 1, name, &length, NULL, NULL, NULL, NULL))
        << "six characters need seven with the terminator";
    length = 7;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumKeyEx(m_key, 1, name, &length, NULL, NULL, NULL, NULL));
    EXPECT_STREQ("Second", name);
    length = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyEx(m_key, 2, name, &length, NULL, NULL, NULL, NULL));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegEnumKeyEx(NULL, 0, name, &length, NULL, NULL, NULL, NULL));
}

}  // namespace
