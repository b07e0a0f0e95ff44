#include "platform/qt/QtKeepAlive.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

namespace {

bool s_pumping = false;

}  // namespace

BOOL CQtKeepAlive::OnPumpThread() const
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void CQtKeepAlive::Pump()
{
    // A paint or a timer that ends up here again gets no second pass inside the first.
    if (s_pumping)
        return;
    s_pumping = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // The input held back stays queued, but the dispatcher counts its wake-up as spent: without
    // a new one the event loop would leave it there until the next event arrives.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
    s_pumping = false;
}
