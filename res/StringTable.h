// The program's string resources.
#pragma once

#include "platform/base/WinTypes.h"

// The string with this id, or NULL.
LPCSTR FindStringResource(UINT id);
