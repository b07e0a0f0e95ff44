// The images behind HICON handles (platform/wnd/IconResource.h), made once per icon the first
// time a widget needs one (a GUI must exist by then).
#pragma once

#include <QIcon>

#include "platform/wnd/IconResource.h"

// The image behind a handle, or NULL.
const QIcon* IconFromHandle(HICON icon);
