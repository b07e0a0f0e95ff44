// String resources of the program (res/StringTable.cpp).
#pragma once

#include "platform/base/CString.h"

// The string with this id into `text`; FALSE (and `text` emptied) if there is none.
BOOL LoadString(UINT id, CString& text);
