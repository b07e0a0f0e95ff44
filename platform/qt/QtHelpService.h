// Help in the GUI: one non-modal help window (a text browser) for topics and the contents, and a
// small popup label for control help that closes at the next click or key.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QTextBrowser>

#include "platform/help/HelpServiceBase.h"

class QWidget;

class CQtHelpService : public CHelpServiceBase {
public:
    ~CQtHelpService() override;

    void Quit() override;
    BOOL IsOpen() const override;

    // For inspection: the help window's browser and the popup, while they exist.
    QTextBrowser* Browser() const { return m_browser; }
    QLabel* Popup() const { return m_popup; }
    // The help window's title for a topic: the program's name, then the topic's title unless
    // that already names the program.
    static QString WindowTitle(const QString& topicTitle);

protected:
    void PresentTopic(const CHelpFile& file, const CHelpFile::Topic& topic) override;
    void PresentPopup(const CString& text, POINT position) override;
    void PresentIndex(const CHelpFile& file) override;

private:
    void EnsureWindow();
    void ShowHtml(const QString& title, const QString& html);

    QPointer<QWidget> m_window;
    QPointer<QTextBrowser> m_browser;
    QPointer<QLabel> m_popup;
    CHelpFile m_shown;  // the file behind the index's links
};
