// Program start-up, once the GUI (platform/qt/QtApplication.h) has installed its services:
// the application object's InitInstance, the event loop when it asks for one, ExitInstance.
#pragma once

#include "platform/base/CString.h"

// Sets the application object's program name and default help path (the program's directory
// + its name + ".HLP", as the Windows start-up does), runs InitInstance and then
// ExitInstance (with the window backend's event loop between them when InitInstance returns
// TRUE). Returns ExitInstance's result; 1 when there is no application object.
int RunApplication(int argc, char** argv);

// TRUE when a display is available for the GUI (DISPLAY, WAYLAND_DISPLAY or an explicit
// QT_QPA_PLATFORM).
bool HasDisplay();

// The running program's full path ("" if unknown), and the default help path derived from it.
CString ProgramPath();
CString DefaultHelpFilePath();
// The folder part of `path` with its trailing '/'; "" for a bare file name.
CString FolderOf(const CString& path);
