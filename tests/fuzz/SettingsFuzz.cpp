// libFuzzer target for the settings-file parser. Whatever an input holds, the keys and values
// read from it are written out and read again: the written text must read without damage and
// give the same keys and values, and writing those once more must give the same text. So the
// store never writes a file that it would then refuse or read differently. A broken promise
// aborts, so libFuzzer reports it like a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/settings/SettingsFileFormat.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        abort();
}

// Same names (exactly as spelled), same values in the same order, same subkeys.
bool SameKey(const SettingsKey& a, const SettingsKey& b)
{
    if (a.name != b.name || a.values.size() != b.values.size() || a.subkeys.size() != b.subkeys.size())
        return false;
    for (size_t i = 0; i < a.values.size(); ++i) {
        const SettingsValue& x = a.values[i];
        const SettingsValue& y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data)
            return false;
    }
    for (size_t i = 0; i < a.subkeys.size(); ++i)
        if (!SameKey(*a.subkeys[i], *b.subkeys[i]))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text((const char*)data, size);
    CSettingsTree read;
    SettingsDamage damage;
    BOOL sound = CSettingsFileFormat::Parse(text, read, damage);
    Require(sound == !damage.Found());
    Require(!damage.Found() || (damage.line >= 1 && !damage.reason.empty()));

    std::string written = CSettingsFileFormat::Serialize(read);
    CSettingsTree again;
    Require(CSettingsFileFormat::Parse(written, again, damage));
    Require(SameKey(read.m_roots[0], again.m_roots[0]) && SameKey(read.m_roots[1], again.m_roots[1]));
    Require(CSettingsFileFormat::Serialize(again) == written);
    return 0;
}
