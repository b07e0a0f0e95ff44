// A shown top-level window that counts the key presses, mouse presses, close requests and
// paints it receives. The Queue functions put input in Qt's window-system queue as a display
// would deliver it (the offscreen platform included), so a pump that holds user input back can
// be told from one that does not.
#pragma once

#include <QWidget>

class CUserInputWindow : public QWidget {
public:
    CUserInputWindow();

    void QueueKey();
    void QueueClick();
    void QueueCloseRequest();

    int Keys() const { return m_keys; }
    int Clicks() const { return m_clicks; }
    int CloseRequests() const { return m_closeRequests; }
    int Paints() const { return m_paints; }

protected:
    bool event(QEvent* event) override;

private:
    int m_keys = 0;
    int m_clicks = 0;
    int m_closeRequests = 0;
    int m_paints = 0;
};
