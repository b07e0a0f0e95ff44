// What a target may ask of the window that runs it while it programs or browses: the progress
// bar and its text, the control level, and the shared file dialog. The main dialog implements
// it; tests of a target family install a double instead, so no target needs the main dialog.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

class CProgressCtrl;
class CStatic;

class ITargetHost {
public:
    virtual ~ITargetHost() = default;

    // The bar to range, step and position, and the text of the current step. Both are reset
    // by the next SetControlState.
    virtual CProgressCtrl* GetProgressCtrl() = 0;
    virtual CStatic* GetProgressText() = 0;

    // Applies control level `level` (values from 4 to 254 act as 3); 255 re-applies the
    // stored level. Also puts the progress text back and disables and zeroes the bar.
    virtual void SetControlState(BYTE level) = 0;

    // The shared file dialog. `flags` with the sign bit set asks for a save dialog; the rest
    // of `flags` is added to the dialog's usual flags. On confirmation stores the full path in
    // `*path` and returns TRUE; otherwise leaves `*path` alone. FALSE at once for a NULL path
    // or an empty filter.
    virtual BOOL BrowseForFile(CString* path, LPCSTR filter, int flags) = 0;
};
