// The program's string resources.
#pragma once

#include "platform/WinTypes.h"

// The string with this id, or NULL.
LPCSTR FindStringResource(UINT id);
