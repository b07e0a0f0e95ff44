// The program's start-up with Qt: the QApplication on the user's display, the Qt side of the
// platform installed once for the whole run (QtBackend.h), then RunApplication.
#pragma once

// Returns the program's exit status: 1, with the reason on standard error, when the window
// cannot be shown (no display named, a display that cannot be opened, a Qt platform plugin
// that cannot start), without running the application.
int RunQtApplication(int argc, char** argv);
