#include "platform/base/DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

BOOL IsDebugOutputEnabled()
{
    return getenv("QUILLET_DEBUG") != NULL;
}

void OutputDebugString(LPCSTR text)
{
    if (!text || !IsDebugOutputEnabled())
        return;
    fputs(text, stderr);
    fflush(stderr);
}

void DebugTrace(const char* format, ...)
{
    if (!format || !IsDebugOutputEnabled())
        return;
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fflush(stderr);
}
