#include "platform/ui/ConsoleUiServices.h"

#include <cstdio>

int CConsoleUiServices::SafeAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;  // OK/Cancel, Yes/No/Cancel, Retry/Cancel
    }
}

int CConsoleUiServices::MessageBox(const CString& text, const CString& caption, UINT type)
{
    fprintf(stderr, "%s: %s\n", caption.GetString(), text.GetString());
    return SafeAnswer(type);
}

BOOL CConsoleUiServices::FileDialog(const FileDialogRequest&, std::vector<CString>& paths)
{
    paths.clear();
    return FALSE;
}
