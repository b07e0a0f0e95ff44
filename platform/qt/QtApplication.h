// The program's start-up with Qt: the QApplication on the user's display, the Qt side of the
// platform installed once for the whole run (QtBackend.h), then RunApplication.
#pragma once

// Returns the program's exit status.
int RunQtApplication(int argc, char** argv);
