#include "platform/qt/QtHelpService.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/qt/WidgetHandle.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/WinApp.h"

namespace {

QString FromC(const CString& text)
{
    return QString::fromUtf8(text.GetString(), text.GetLength());
}

QString TopicHtml(const CHelpFile::Topic& topic)
{
    QString text = FromC(CHelpFile::Reflow(topic.text)).toHtmlEscaped();
    return QStringLiteral("<h3>") + FromC(topic.title).toHtmlEscaped() + QStringLiteral("</h3><p>") +
           text.replace(QLatin1Char('\n'), QStringLiteral("<br>")) + QStringLiteral("</p>");
}

// The window of the running modal dialog, or NULL. The help window and the popups are its
// children: its modality lets them through while it still blocks every other window.
QWidget* RunningDialogWindow()
{
    CDialog* dialog = CDialog::GetActiveModal();
    QWidget* widget = dialog && dialog->m_hWnd ? WidgetOf(dialog->m_hWnd) : nullptr;
    return widget ? widget->window() : nullptr;
}

// A non-modal dialog of the running dialog, so that window managers keep it above that one (a
// plain window goes behind a modal dialog). Esc dismisses it alone.
class CHelpWindow : public QWidget {
public:
    CHelpWindow() : QWidget(RunningDialogWindow(), Qt::Dialog) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            close();
        else
            QWidget::keyPressEvent(event);
    }
};

// A control's help text. Any click or key closes it, as a Win32 help popup does; a plain
// QLabel ignores both, and an open popup that never closes takes every input of the program.
class CHelpPopup : public QLabel {
public:
    explicit CHelpPopup(const QString& text) : QLabel(text, RunningDialogWindow(), Qt::Popup | Qt::FramelessWindowHint)
    {
        setTextFormat(Qt::PlainText);
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void mousePressEvent(QMouseEvent*) override { close(); }
    void keyPressEvent(QKeyEvent*) override { close(); }
};

}  // namespace

CQtHelpService::~CQtHelpService()
{
    // The window's link handler refers to this object, so the window must not outlive it.
    // Widgets cannot be deleted once the application object is gone (the program's end).
    if (qApp) {
        delete m_popup;
        delete m_window;
    }
}

void CQtHelpService::EnsureWindow()
{
    // Each dialog that asks for help takes the window over: the dialog run before it blocks it.
    if (m_window && m_window->parentWidget() != RunningDialogWindow())
        m_window->setParent(RunningDialogWindow(), m_window->windowFlags());
    if (m_window)
        return;
    m_window = new CHelpWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    m_window->resize(480, 400);
    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    m_browser = new QTextBrowser(m_window);
    m_browser->setOpenLinks(false);
    layout->addWidget(m_browser);
    m_window->setFocusProxy(m_browser);
    QObject::connect(m_browser, &QTextBrowser::anchorClicked, m_browser, [this](const QUrl& url) {
        bool ok = false;
        DWORD id = (DWORD)url.path().toULongLong(&ok, 0);
        const CHelpFile::Topic* topic = ok ? m_shown.Find(id) : nullptr;
        if (topic)
            ShowHtml(FromC(topic->title), TopicHtml(*topic));
    });
}

QString CQtHelpService::WindowTitle(const QString& topicTitle)
{
    // The main window's topic is called after the program itself.
    QString program = QString::fromUtf8(AfxGetAppName());
    if (topicTitle.isEmpty() || topicTitle.contains(program))
        return topicTitle.isEmpty() ? program : topicTitle;
    return program + QStringLiteral(" - ") + topicTitle;
}

void CQtHelpService::ShowHtml(const QString& title, const QString& html)
{
    EnsureWindow();
    m_window->setWindowTitle(WindowTitle(title));
    m_browser->setHtml(html);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CQtHelpService::PresentTopic(const CHelpFile& file, const CHelpFile::Topic& topic)
{
    m_shown = file;
    ShowHtml(FromC(topic.title), TopicHtml(topic));
}

void CQtHelpService::PresentIndex(const CHelpFile& file)
{
    m_shown = file;
    auto link = [](const CHelpFile::Topic& topic) {
        return QStringLiteral("<a href=\"topic:0x%1\">").arg(topic.contextId, 0, 16) +
               FromC(CHelpFile::ContentsTitle(topic)).toHtmlEscaped() + QStringLiteral("</a>");
    };
    QString html = QStringLiteral("<h3>Contents</h3><ul>");
    for (const CHelpFile::ContentsEntry& entry : file.Contents()) {
        html += QStringLiteral("<li>") + link(*entry.topic);
        if (!entry.controls.empty()) {
            html += QStringLiteral("<ul>");
            for (const CHelpFile::Topic* control : entry.controls)
                html += QStringLiteral("<li>") + link(*control) + QStringLiteral("</li>");
            html += QStringLiteral("</ul>");
        }
        html += QStringLiteral("</li>");
    }
    html += QStringLiteral("</ul>");
    ShowHtml(QStringLiteral("Contents"), html);
}

void CQtHelpService::PresentPopup(const CString& text, POINT position)
{
    if (m_popup)
        m_popup->close();
    m_popup = new CHelpPopup(FromC(CHelpFile::Reflow(text)));
    m_popup->setWordWrap(true);
    m_popup->setMaximumWidth(360);
    m_popup->setMargin(6);
    m_popup->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_popup->setStyleSheet(QStringLiteral("background: #ffffe1; color: black;"));
    m_popup->adjustSize();
    m_popup->move(position.x, position.y);
    m_popup->show();
}

void CQtHelpService::Quit()
{
    if (m_popup)
        m_popup->close();
    if (m_window)
        m_window->close();
}

BOOL CQtHelpService::IsOpen() const
{
    return m_window && m_window->isVisible();
}
