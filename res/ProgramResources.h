// The hand-over of the program's resource tables to the platform, which finds strings, icons,
// dialog templates and data blocks only through what is installed.
#pragma once

// Installs the tables of res/ (platform/base/ResourceTables.h). Every program calls it before
// anything reads a table; calling it again changes nothing.
void InstallProgramResources();
