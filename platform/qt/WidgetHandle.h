// Window handles stand for the peers of widgets; these convert between a handle and its
// widget. Qt-side only.
#pragma once

#include <QWidget>

#include "platform/base/WinMessages.h"

// The widget behind a handle, or NULL.
QWidget* WidgetOf(HWND hWnd);
// The handle of a widget: its peer, made on first use with the kind the widget's class asks
// for (button, combo box, edit, label, list box, progress bar, or a plain window). NULL for
// NULL.
HWND HandleOf(QWidget* widget);

// TRUE when widgets can be shown to a person: an application object exists and its platform
// is not a headless one (offscreen, minimal) where a modal loop would wait forever.
bool IsInteractiveGui();
// TRUE when widgets can be created at all.
bool HasWidgetApplication();
