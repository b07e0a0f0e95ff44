#include "platform/ui/FileDialog.h"

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter,
                         CWnd* parent)
{
    m_request.bOpen = openFileDialog;
    m_request.defaultExtension = defaultExtension ? defaultExtension : "";
    m_request.initialName = fileName ? fileName : "";
    m_request.filter = filter ? filter : "";
    m_request.parent = parent;
    m_ofn.Flags = flags;
}

INT_PTR CFileDialog::DoModal()
{
    m_request.flags = m_ofn.Flags;
    m_paths.clear();
    std::vector<CString> chosen;
    if (!Ui().FileDialog(m_request, chosen) || chosen.empty())
        return IDCANCEL;
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT))
        chosen.resize(1);
    m_paths = std::move(chosen);
    return IDOK;
}

CString CFileDialog::GetPathName() const
{
    return m_paths.empty() ? CString() : m_paths.front();
}

CString CFileDialog::GetFileName() const
{
    CString path = GetPathName();
    int slash = path.ReverseFind('/');
    return slash < 0 ? path : path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

// Positions are 1-based indexes into the chosen paths, so that NULL ends the iteration.
POSITION CFileDialog::GetStartPosition() const
{
    return m_paths.empty() ? NULL : (POSITION)(uintptr_t)1;
}

CString CFileDialog::GetNextPathName(POSITION& position) const
{
    size_t index = (size_t)(uintptr_t)position;
    if (index == 0 || index > m_paths.size()) {
        position = NULL;
        return CString();
    }
    CString path = m_paths[index - 1];
    position = index < m_paths.size() ? (POSITION)(uintptr_t)(index + 1) : NULL;
    return path;
}
