#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "platform/qt/DialogWindowPeer.h"
#include "platform/qt/QtUiServices.h"
#include "res/resource.h"
#include "tests/support/TempFolder.h"

namespace {

// Answers the next message box from the event loop, as a user would, and records it.
struct CBoxAnswer {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    bool hasEscape = false;
    Qt::TextFormat format = Qt::AutoText;
};

int Show(UINT type, const std::function<void(QMessageBox&)>& press, CBoxAnswer* seen)
{
    auto record = std::make_shared<CBoxAnswer>();
    QTimer::singleShot(0, [record, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        record->icon = box->icon();
        if (box->defaultButton())
            record->defaultButton = box->defaultButton()->text();
        record->hasEscape = box->escapeButton() != nullptr;
        record->format = box->textFormat();
        for (QAbstractButton* button : box->buttons())
            record->buttons << button->text();
        press(*box);
    });
    CQtUiServices ui;
    int result = ui.MessageBox("Question text", "Caption", type);
    *seen = *record;
    return result;
}

void Press(QMessageBox& box, QMessageBox::StandardButton which)
{
    box.button(which)->click();
}

TEST(QtUiServicesTest, ButtonsIconsAndAnswersMapToWin32)
{
    CBoxAnswer seen;
    EXPECT_EQ(Show(
                  MB_YESNO | MB_ICONQUESTION, [](QMessageBox& b) { Press(b, QMessageBox::No); }, &seen),
              IDNO);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons.size(), 2);
    EXPECT_FALSE(seen.hasEscape);           // Yes/No must be answered
    EXPECT_EQ(seen.format, Qt::PlainText);  // a path with '<' is no markup

    EXPECT_EQ(Show(
                  MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONEXCLAMATION,
                  [](QMessageBox& b) { Press(b, QMessageBox::Yes); }, &seen),
              IDYES);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons.size(), 3);
    EXPECT_EQ(seen.defaultButton.remove(QLatin1Char('&')), QStringLiteral("No"));
    EXPECT_TRUE(seen.hasEscape);

    EXPECT_EQ(Show(
                  MB_ABORTRETRYIGNORE | MB_ICONHAND, [](QMessageBox& b) { Press(b, QMessageBox::Ignore); }, &seen),
              IDIGNORE);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    EXPECT_EQ(Show(
                  MB_OK | MB_ICONINFORMATION, [](QMessageBox& b) { b.reject(); }, &seen),
              IDOK);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_TRUE(seen.hasEscape);

    EXPECT_EQ(Show(
                  MB_OKCANCEL, [](QMessageBox& b) { b.reject(); }, &seen),
              IDCANCEL);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(Show(
                  MB_RETRYCANCEL, [](QMessageBox& b) { Press(b, QMessageBox::Retry); }, &seen),
              IDRETRY);
}

TEST(QtUiServicesTest, SaveDialogAsksBeforeReplacingOnlyWhenTold)
{
    for (DWORD flags : {(DWORD)OFN_OVERWRITEPROMPT, (DWORD)0}) {
        bool asks = false, seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            asks = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->reject();
        });
        FileDialogRequest request;
        request.bOpen = FALSE;
        request.flags = flags;
        request.filter = "Intel Hex Files (*.hex)|*.hex||";
        std::vector<CString> paths;
        CQtUiServices ui;
        EXPECT_FALSE(ui.FileDialog(request, paths));
        EXPECT_TRUE(seen);
        EXPECT_EQ(asks, flags != 0);
    }
}

// The file dialog shows every detail column whole: its title and its contents fit, and no
// column runs past the view.
TEST(QtUiServicesTest, FileDialogsOpenWideEnoughForTheirColumns)
{
    CTempFolder folder;
    folder.Write("a-long-enough-file-name-for-an-image.hex", ":00000001FF\n");
    std::vector<std::string> cut;
    int shown = 0;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* details = dialog ? dialog->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
        if (!details)
            return;
        QApplication::processEvents();
        QHeaderView* header = details->header();
        QAbstractItemModel* model = details->model();
        QModelIndex root = details->rootIndex();
        int total = 0;
        for (int column = 0; column < header->count(); ++column, ++shown) {
            int needed = header->sectionSizeHint(column);
            for (int row = 0; column > 0 && row < model->rowCount(root); ++row)
                needed = std::max(needed, details->sizeHintForIndex(model->index(row, column, root)).width());
            total += header->sectionSize(column);
            if (header->sectionSize(column) < needed)
                cut.push_back(model->headerData(column, Qt::Horizontal).toString().toStdString());
        }
        if (total > details->viewport()->width())
            cut.push_back("past the view");
        dialog->reject();
    });
    QString here = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder.Path()));
    CQtUiServices ui;
    FileDialogRequest request;
    request.filter = "Intel Hex Files (*.hex)|*.hex||";
    std::vector<CString> paths;
    EXPECT_FALSE(ui.FileDialog(request, paths));
    QDir::setCurrent(here);
    EXPECT_EQ(shown, 4);
    EXPECT_EQ(cut, std::vector<std::string>());
}

TEST(QtUiServicesTest, WaitCursorNestsAndUnbalancedEndsAreIgnored)
{
    CQtUiServices ui;
    ui.BeginWaitCursor();
    ui.BeginWaitCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.EndWaitCursor();
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ui.EndWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui.EndWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// An operation that asks the user lifts its wait cursor while the question is open.
TEST(QtUiServicesTest, TheWaitCursorGivesWayWhileTheUserIsAskedAndComesBackAfter)
{
    CQtUiServices ui;
    struct Case {
        const char* name;
        std::function<void()> ask;
    } cases[] = {
        {"message box", [&] { ui.MessageBox("Please reset the target board (by pressing SW1)", "T", MB_OK); }},
        {"file dialog",
         [&] {
             FileDialogRequest request;
             request.filter = "Intel Hex Files (*.hex)|*.hex||";
             std::vector<CString> paths;
             ui.FileDialog(request, paths);
         }},
        {"dialog",
         [] {
             CDialogWindowPeer dialog(nullptr, *FindDialogTemplate(IDD_CLEAR_CHOICE), nullptr);
             dialog.RunLoop();
         }},
    };
    auto shape = [] {
        return QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
    };
    ui.BeginWaitCursor();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Qt::CursorShape asking = Qt::BlankCursor;
        QTimer::singleShot(0, [&] {
            asking = shape();
            if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                open->done(0);
        });
        c.ask();
        EXPECT_EQ(asking, Qt::ArrowCursor);
        EXPECT_EQ(shape(), Qt::WaitCursor);
    }
    ui.EndWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
