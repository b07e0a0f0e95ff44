// What the PIC boards' main-window tests share: the file dialogs' filters and flags.
#pragma once

#include <string>
#include <vector>

#include "platform/base/WinMessages.h"
#include "tests/support/ListEntries.h"

namespace pictest {

inline const char kLoadFilter[] = "Intel Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
inline const char kSaveFilter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";
inline const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

}  // namespace pictest
