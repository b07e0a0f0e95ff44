// String resources of the program, from the tables it installed (platform/base/ResourceTables.h).
#pragma once

#include "platform/base/CString.h"

// The string with this id, or NULL if there is none.
LPCSTR StringResource(UINT id);
// The application's title in the string table, or NULL.
LPCSTR AppTitleResource();
// The string with this id into `text`; FALSE (and `text` emptied) if there is none.
BOOL LoadString(UINT id, CString& text);
