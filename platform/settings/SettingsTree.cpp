#include "platform/settings/SettingsTree.h"

namespace {

const char* const s_rootNames[2] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

int RootIndex(SettingsRoot root)
{
    return root == SettingsRoot::LocalMachine ? 1 : 0;
}

}  // namespace

bool SettingsNamesEqual(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'a' && x <= 'z')
            x = (unsigned char)(x - 32);
        if (y >= 'a' && y <= 'z')
            y = (unsigned char)(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

bool ValidKeyName(const std::string& name)
{
    return !name.empty() && name.find('\\') == std::string::npos;
}

SettingsKey* SettingsKey::FindSubkey(const std::string& subName)
{
    for (auto& subkey : subkeys)
        if (SettingsNamesEqual(subkey->name, subName))
            return subkey.get();
    return NULL;
}

SettingsKey* SettingsKey::SubkeyCreated(const std::string& subName, BOOL* created)
{
    if (SettingsKey* existing = FindSubkey(subName))
        return existing;
    subkeys.push_back(std::make_unique<SettingsKey>());
    subkeys.back()->name = subName;
    if (created)
        *created = TRUE;
    return subkeys.back().get();
}

SettingsValue* SettingsKey::FindValue(const std::string& valueName)
{
    for (auto& value : values)
        if (SettingsNamesEqual(value.name, valueName))
            return &value;
    return NULL;
}

CSettingsTree::CSettingsTree()
{
    m_roots[0].name = s_rootNames[0];
    m_roots[1].name = s_rootNames[1];
}

const char* CSettingsTree::RootName(SettingsRoot root)
{
    return s_rootNames[RootIndex(root)];
}

SettingsKey& CSettingsTree::Root(SettingsRoot root)
{
    return m_roots[RootIndex(root)];
}

SettingsKey* CSettingsTree::Find(const SettingsKeyPath& path)
{
    SettingsKey* key = &Root(path.root);
    for (const std::string& name : path.names) {
        key = key->FindSubkey(name);
        if (!key)
            return NULL;
    }
    return key;
}

SettingsKey* CSettingsTree::Create(const SettingsKeyPath& path, BOOL* created)
{
    SettingsKey* key = &Root(path.root);
    for (const std::string& name : path.names)
        key = key->SubkeyCreated(name, created);
    return key;
}

void CSettingsTree::EnsureSoftwareKey()
{
    m_roots[0].SubkeyCreated("Software", NULL);
}

BOOL CSettingsTree::HoldsSettings() const
{
    for (const SettingsKey& root : m_roots) {
        if (!root.values.empty())
            return TRUE;
        for (const auto& subkey : root.subkeys)
            if (&root != &m_roots[0] || !SettingsNamesEqual(subkey->name, "Software") || !subkey->values.empty() ||
                !subkey->subkeys.empty())
                return TRUE;
    }
    return FALSE;
}
