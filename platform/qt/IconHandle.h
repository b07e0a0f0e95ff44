// Icons behind HICON handles: each icon resource gets one handle for the life of the program,
// and its image is made the first time a widget needs it (a GUI must exist by then).
#pragma once

#include <QIcon>

#include "platform/base/WinTypes.h"

// The handle of icon resource `id`, or NULL if there is no such resource.
HICON IconHandleForResource(UINT id);
// The image behind a handle, or NULL.
const QIcon* IconFromHandle(HICON icon);
