// Window handles stand for widgets; these convert between the two. Qt-side only.
#pragma once

#include <QWidget>

#include "platform/base/WinMessages.h"

inline QWidget* WidgetOf(HWND hWnd)
{
    return reinterpret_cast<QWidget*>(hWnd);
}

inline HWND HandleOf(QWidget* widget)
{
    return reinterpret_cast<HWND>(widget);
}

// TRUE when widgets can be shown to a person: an application object exists and its platform
// is not a headless one (offscreen, minimal) where a modal loop would wait forever.
bool IsInteractiveGui();
// TRUE when widgets can be created at all.
bool HasWidgetApplication();
