// The text form of the settings file, one item per line:
//   quillet-settings 1
//   key "HKEY_CURRENT_USER" "Software" "Brenlow"
//   value "Options" dword 00000105
//   value "Path" sz "C:\\Tools"
//   value "Blob" data 3 0A0B0C
//   end
// The closing "end" line tells a truncated file from a complete one. Whatever Serialize
// writes, Parse reads back to the same keys and values without damage.
#pragma once

#include <string>

#include "platform/settings/SettingsTree.h"

// What was wrong with a file: the first line that could not be used and why, and how many
// lines were left out in all. `line` 0 means the file was sound.
struct SettingsDamage {
    int line = 0;
    std::string reason;
    int linesLeftOut = 0;

    bool Found() const { return line != 0; }
};

class CSettingsFileFormat {
public:
    // Reads `text` into `tree` (which should be empty), keeping every key and value that a
    // damaged file still holds: a line that cannot be read is left out, and so are the values
    // below a key line that cannot be read. A file that does not start with this program's
    // header gives nothing, and lines after the "end" line are left out. The last line needs no final newline; but in a file without its
    // "end" line, a last line without one may have been cut short and is left out. TRUE when
    // the file was sound; otherwise `damage` says what was wrong.
    static BOOL Parse(const std::string& text, CSettingsTree& tree, SettingsDamage& damage);

    static std::string Serialize(const CSettingsTree& tree);

    // The value types the file names by word; the store itself is agnostic of types.
    static constexpr DWORD kStringType = 1;
    static constexpr DWORD kDwordType = 4;
};
