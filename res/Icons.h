// The program's icon resources.
#pragma once

#include "platform/base/WinTypes.h"

// Icon resource `id` as the lines of an XPM image, or NULL.
const char* const* FindIconResource(UINT id);
