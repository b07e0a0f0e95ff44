// The settings store that stands in for the registry: typed values under case-insensitive key
// paths below two roots, kept in one text file. Every operation re-reads the file under an
// advisory lock, and every change is written to a temporary file, flushed and renamed over
// the old one, so several running copies of the program never lose each other's changes.
// A damaged file is never overwritten: it is renamed aside, whatever it still holds is kept
// (and written anew), and the user is told which file was kept. A change that cannot be
// written is reported once, until a later change is written again.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"
#include "platform/settings/SettingsTree.h"

class ISettingsReporter;

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
    LONG QueryValue(const SettingsKeyPath& key, const std::string& name, DWORD* type, std::vector<BYTE>* data);
    // Creates the key when it vanished meanwhile (another copy cannot delete keys, but a user
    // may edit the file). Data are stored as given: a string with zero bytes in it reads back
    // with them. ERROR_ACCESS_DENIED when the file could not be written (reported to the user).
    LONG SetValue(const SettingsKeyPath& key, const std::string& name, DWORD type, const std::vector<BYTE>& data);
    LONG DeleteValue(const SettingsKeyPath& key, const std::string& name);

    // Names of the values and of the subkeys of `key`, as stored (empty when it is missing).
    std::vector<std::string> ValueNames(const SettingsKeyPath& key);
    std::vector<std::string> SubkeyNames(const SettingsKeyPath& key);

    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

private:
    class Session;

    // Runs `action` on a locked session, then hands what went wrong to the reporter.
    template <typename Action>
    auto WithSession(bool forWrite, Action action);
    // Queued reports go out only once every lock is let go (m_mutex held while queuing).
    void Report(const std::string& text);
    void DeliverReports();

    std::string m_filePath;
    std::mutex m_mutex;
    std::vector<std::string> m_reports;
    // A failing write is reported once, until a write succeeds again.
    bool m_bWriteFailureReported = false;
    // A damaged file that cannot be moved aside is met by every session; reported once.
    bool m_bStuckDamageReported = false;
};

// The installed store; empty while the default is in force.
CServiceSlot<CSettingsStore*>& SettingsStoreSlot();
// The store in force: the one at DefaultFilePath() unless a test installed another.
CSettingsStore& CurrentSettingsStore();
// Installs `store` (NULL restores the default) and returns the one it replaces (NULL when the
// default was in force).
CSettingsStore* InstallSettingsStore(CSettingsStore* store);

// Installs `reporter` for every store (NULL: stderr only) and returns the one it replaces.
ISettingsReporter* InstallSettingsReporter(ISettingsReporter* reporter);
