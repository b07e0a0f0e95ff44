// Debugging output for developers. Nothing is written unless the environment variable
// QUILLET_DEBUG is set (to anything), so that a user never sees these lines; when it is set,
// they go to stderr.
#pragma once

#include "platform/base/WinTypes.h"

// Writes `text` as it stands (no line break is added).
void OutputDebugString(LPCSTR text);

// printf-style debugging line, the counterpart of the class library's TRACE.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// TRUE when debugging output is switched on; checked on every call, so tests may switch it.
BOOL IsDebugOutputEnabled();
