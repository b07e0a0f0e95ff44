// The settings store that stands in for the registry: typed values under case-insensitive key
// paths below two roots, kept in one text file. Every operation re-reads the file under an
// advisory lock, and every change is written to a temporary file, flushed and renamed over
// the old one, so several running copies of the program never lose each other's changes.
// A file that cannot be parsed is never overwritten: it is renamed aside and reported on
// stderr, and the store starts empty.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"

enum class SettingsRoot { CurrentUser, LocalMachine };

// A key: its root and the names below it (no empty names, none containing a backslash).
struct SettingsKeyPath {
    SettingsRoot root = SettingsRoot::CurrentUser;
    std::vector<std::string> names;
};

class CSettingsStore {
public:
    // The store kept in `filePath`; its folder is created on the first write.
    explicit CSettingsStore(std::string filePath);

    // $XDG_CONFIG_HOME/quillet/settings.txt, with ~/.config for an unset XDG_CONFIG_HOME.
    static std::string DefaultFilePath();

    const std::string& FilePath() const { return m_filePath; }

    BOOL KeyExists(const SettingsKeyPath& key);
    // Creates the key and every missing key above it. ERROR_SUCCESS or ERROR_ACCESS_DENIED
    // (the file could not be written). `created` tells whether the key was new.
    LONG CreateKey(const SettingsKeyPath& key, BOOL* created);
    // ERROR_FILE_NOT_FOUND when the key or the value is missing. REG_SZ data come without
    // their terminating zero.
    LONG QueryValue(const SettingsKeyPath& key, const std::string& name, DWORD* type,
                    std::vector<BYTE>* data);
    // Creates the key when it vanished meanwhile (another copy cannot delete keys, but a user
    // may edit the file).
    LONG SetValue(const SettingsKeyPath& key, const std::string& name, DWORD type,
                  const std::vector<BYTE>& data);
    LONG DeleteValue(const SettingsKeyPath& key, const std::string& name);

    // Names of the values and of the subkeys of `key`, as stored (empty when it is missing).
    std::vector<std::string> ValueNames(const SettingsKeyPath& key);
    std::vector<std::string> SubkeyNames(const SettingsKeyPath& key);

    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

private:
    struct Tree;
    class Session;

    std::string m_filePath;
    std::mutex m_mutex;
};

// The installed store; empty while the default is in force.
CServiceSlot<CSettingsStore*>& SettingsStoreSlot();
// The store in force: the one at DefaultFilePath() unless a test installed another.
CSettingsStore& CurrentSettingsStore();
// Installs `store` (NULL restores the default) and returns the one it replaces (NULL when the
// default was in force).
CSettingsStore* InstallSettingsStore(CSettingsStore* store);

// ASCII case-insensitive equality, the rule for key and value names.
bool SettingsNamesEqual(const std::string& a, const std::string& b);
