#include "platform/qt/QtUiServices.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include "platform/wnd/Dialog.h"
#include "platform/files/FileFilter.h"
#include "platform/qt/QtWaitCursorLift.h"
#include "platform/qt/WidgetHandle.h"
#include "platform/time/KeepAlive.h"

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int result;
};

std::vector<ButtonChoice> ButtonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon IconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QString FromC(const CString& text)
{
    return QString::fromUtf8(text.GetString(), text.GetLength());
}

CString ToC(const QString& text)
{
    return CString(text.toUtf8().toStdString());
}

// Qt's own file dialog (used where the desktop offers none) opens too small for its detail
// columns: the date column is cut off. It is sized from its font so that every column shows
// whole, within the screen; a larger size the user left it at is kept.
void FitToColumns(QFileDialog& dialog)
{
    QFontMetrics metrics(dialog.font());
    QSize wanted(metrics.averageCharWidth() * 110, metrics.height() * 30);
    if (QScreen* screen = dialog.screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(wanted.expandedTo(dialog.size()));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

}  // namespace

QWidget* CQtUiServices::DialogParent(CWnd* parent)
{
    if (parent && parent->m_hWnd)
        return WidgetOf(parent->m_hWnd)->window();
    CDialog* active = CDialog::GetActiveModal();
    return active && active->m_hWnd ? WidgetOf(active->m_hWnd) : nullptr;
}

int CQtUiServices::MessageBox(const CString& text, const CString& caption, UINT type)
{
    int result = RunMessageBox(text, caption, type);
    // An operation often goes on waiting after an answer: the box must not stay painted
    // over the window until it is done.
    KeepAliveNow();
    return result;
}

int CQtUiServices::RunMessageBox(const CString& text, const CString& caption, UINT type)
{
    QMessageBox box(IconFor(type), FromC(caption), FromC(text), QMessageBox::NoButton, DialogParent(NULL));
    // A text that happens to start like markup (a path with '<') must show as it stands.
    box.setTextFormat(Qt::PlainText);
    std::vector<ButtonChoice> choices = ButtonsFor(type);
    for (const ButtonChoice& choice : choices)
        box.addButton(choice.button);
    size_t defaultIndex = ((type & MB_DEFMASK) >> 8);
    if (defaultIndex >= choices.size())
        defaultIndex = 0;
    box.setDefaultButton(choices[defaultIndex].button);
    // Esc answers Cancel where there is one, OK in a one-button box, and nothing otherwise
    // (Yes/No and Abort/Retry/Ignore must be answered), as in Win32.
    for (const ButtonChoice& choice : choices)
        if (choice.result == IDCANCEL || (choices.size() == 1 && choice.result == IDOK))
            box.setEscapeButton(choice.button);
    {
        CQtWaitCursorLift lift;
        box.exec();
    }
    QAbstractButton* clicked = box.clickedButton();
    for (const ButtonChoice& choice : choices)
        if (clicked == box.button(choice.button))
            return choice.result;
    return choices.size() == 1 ? IDOK : IDCANCEL;
}

QStringList CQtUiServices::NameFilters(const CString& filter)
{
    QStringList filters;
    for (const CFileFilter::Entry& entry : CFileFilter::Parse(filter)) {
        QStringList globs;
        for (const CString& pattern : entry.patterns)
            globs << FromC(CFileFilter::CaseInsensitiveGlob(pattern));
        filters << FromC(entry.description) + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

BOOL CQtUiServices::FileDialog(const FileDialogRequest& request, std::vector<CString>& paths)
{
    paths.clear();
    QFileDialog dialog(DialogParent(request.parent));
    dialog.setAcceptMode(request.bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (request.bOpen)
        dialog.setFileMode((request.flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                           : (request.flags & OFN_FILEMUSTEXIST)  ? QFileDialog::ExistingFile
                                                                  : QFileDialog::AnyFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    // The descriptions carry their own pattern text already; show them as they are.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (!(request.flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.defaultExtension.IsEmpty())
        dialog.setDefaultSuffix(FromC(request.defaultExtension));
    dialog.setDirectory(QDir::currentPath());
    if (!request.initialName.IsEmpty())
        dialog.selectFile(FromC(request.initialName));
    FitToColumns(dialog);
    {
        CQtWaitCursorLift lift;
        if (dialog.exec() != QDialog::Accepted)
            return FALSE;
    }
    const QStringList chosen = dialog.selectedFiles();
    for (const QString& path : chosen)
        paths.push_back(ToC(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    if (paths.empty())
        return FALSE;
    // Win32 file dialogs leave the process in the chosen file's folder unless told not to.
    if (!(request.flags & OFN_NOCHANGEDIR))
        QDir::setCurrent(QFileInfo(chosen.front()).absolutePath());
    return TRUE;
}

void CQtUiServices::BeginWaitCursor()
{
    ++m_nWaitDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CQtUiServices::EndWaitCursor()
{
    if (m_nWaitDepth == 0)
        return;
    --m_nWaitDepth;
    QApplication::restoreOverrideCursor();
}
