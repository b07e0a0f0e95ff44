// UI services of the GUI: Qt message boxes with the Win32 buttons and icons, Qt file dialogs,
// the wait cursor as an override cursor.
#pragma once

#include <QStringList>

#include "platform/ui/UiServices.h"

class QWidget;

class CQtUiServices : public IUiServices {
public:
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    BOOL FileDialog(const FileDialogRequest& request, std::vector<CString>& paths) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The "desc|pattern||" filter as Qt name filters: the description keeps its text, the
    // patterns match without regard to case, and "*.*" matches every file.
    static QStringList NameFilters(const CString& filter);

private:
    static QWidget* DialogParent(CWnd* parent);
    static int RunMessageBox(const CString& text, const CString& caption, UINT type);
    int m_nWaitDepth = 0;
};
