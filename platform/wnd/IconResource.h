// Icons behind HICON handles: each icon resource gets one handle for the life of the program;
// the toolkit makes the image from the resource's lines the first time a widget shows it.
#pragma once

#include "platform/base/WinTypes.h"

// The handle of icon resource `id`, or NULL if there is no such resource.
HICON IconHandleForResource(UINT id);
// The XPM lines behind a handle, or NULL for a handle that is none of ours.
const char* const* IconImageOf(HICON icon);
