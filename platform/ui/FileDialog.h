// Open and save file dialogs. The dialog itself is shown by the UI services (IUiServices::
// FileDialog); this object keeps the request and the chosen paths in the Win32 manner.
#pragma once

#include <vector>

#include "platform/ui/UiServices.h"
#include "platform/base/WinMessages.h"

struct __POSITION;
typedef __POSITION* POSITION;

class CFileDialog {
public:
    // `filter` in the "desc|pattern|desc|pattern||" form; patterns may list several globs
    // separated by ';'. `flags` are OFN_* flags.
    CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = NULL, LPCSTR fileName = NULL,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = NULL, CWnd* parent = NULL);
    virtual ~CFileDialog() = default;

    // IDOK when the user chose (at least one) file, else IDCANCEL.
    virtual INT_PTR DoModal();

    // The first chosen path (full path), empty before a confirmed DoModal.
    CString GetPathName() const;
    CString GetFileName() const;  // file name of the first path
    CString GetFileExt() const;   // its extension without the dot
    // Iteration over all chosen paths, in the order the dialog gave them.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& position) const;

    // The Win32 dialog limits the names to a caller's buffer; here names are never cut, so
    // this only records the size for callers that set it.
    void SetFileNameBufferSize(int characters) { m_nBufferSize = characters; }

    struct OpenFileName {
        DWORD Flags = 0;
        LPCSTR lpstrInitialDir = NULL;
        LPCSTR lpstrTitle = NULL;
    } m_ofn;

private:
    FileDialogRequest m_request;
    std::vector<CString> m_paths;
    int m_nBufferSize = MAX_PATH;
};
