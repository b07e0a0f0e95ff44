// The second line of a failure message: what went wrong, in words the user can act on (the
// path and the system's reason, the line of a file and what is wrong there, the device id that
// was read). The outcome texts stay as they are; the code that finds the cause records it here,
// per thread as Win32 keeps its last error, and the code that shows the text puts the record
// under it. Whoever starts an operation whose failure shows a text clears the record first.
#pragma once

#include "platform/base/CString.h"

class CFailureDetail {
public:
    static void Clear();
    static void Set(const CString& detail);
    static const CString& Get();
    static BOOL IsSet();

    // `text` with the recorded detail as its second line; `text` alone when none is recorded.
    static CString AddTo(const CString& text);
    // `path`: `reason`, the form every file failure takes.
    static CString ForFile(const CString& path, const CString& reason);
    // The system's words for an errno value.
    static CString SystemReason(int error);
};
