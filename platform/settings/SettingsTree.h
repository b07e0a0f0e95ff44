// The settings in memory: two roots, each a tree of keys holding typed values. Key and value
// names compare case-insensitively (ASCII) and keep the spelling they were first given.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/WinTypes.h"

enum class SettingsRoot { CurrentUser, LocalMachine };

// A key: its root and the names below it (no empty names, none containing a backslash).
struct SettingsKeyPath {
    SettingsRoot root = SettingsRoot::CurrentUser;
    std::vector<std::string> names;
};

struct SettingsValue {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct SettingsKey {
    std::string name;
    std::vector<SettingsValue> values;
    std::vector<std::unique_ptr<SettingsKey>> subkeys;

    SettingsKey* FindSubkey(const std::string& subName);
    // The subkey, added when missing; `created` (may be NULL) is set TRUE when it was added.
    SettingsKey* SubkeyCreated(const std::string& subName, BOOL* created);
    SettingsValue* FindValue(const std::string& valueName);
};

class CSettingsTree {
public:
    CSettingsTree();

    SettingsKey& Root(SettingsRoot root);
    SettingsKey* Find(const SettingsKeyPath& path);
    // The key at `path`, with every missing key on the way added; `created` as above.
    SettingsKey* Create(const SettingsKeyPath& path, BOOL* created);
    // The key that every copy of the program expects to find, as a fresh system would have it.
    void EnsureSoftwareKey();
    // FALSE when the tree holds nothing a user set: no value and no key but "Software".
    BOOL HoldsSettings() const;

    // The names the file gives the two roots, in the order of SettingsRoot.
    static const char* RootName(SettingsRoot root);

    SettingsKey m_roots[2];
};

// A key name the store accepts: not empty, no backslash.
bool ValidKeyName(const std::string& name);

// ASCII case-insensitive equality, the rule for key and value names.
bool SettingsNamesEqual(const std::string& a, const std::string& b);
