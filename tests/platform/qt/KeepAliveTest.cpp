// The windows stay alive through long waits and work on the GUI thread: they paint, run their
// timers and answer the window manager, while user input waits for the operation's end.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>

#include "platform/hid/HidrawDevice.h"
#include "platform/qt/QtUiServices.h"
#include "platform/serial/LinuxSerialPort.h"
#include "platform/threads/Synchronization.h"
#include "platform/testing/VirtualClock.h"
#include "tests/support/CountingKeepAlive.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/UserInputWindow.h"

namespace {

class KeepAliveTest : public ::testing::Test {
protected:
    void SetUp() override { QCoreApplication::processEvents(); }
    void TearDown() override { QCoreApplication::processEvents(); }

    CVirtualClock clock{1000};
    CScopedClock useClock{clock};
    CUserInputWindow window;
};

TEST_F(KeepAliveTest, ALongSleepPaintsAndRunsTimersButHoldsUserInputUntilItEnds)
{
    CCountingKeepAlive pump;
    int paints = window.Paints();
    int timers = 0;
    QTimer::singleShot(0, [&timers] { ++timers; });
    window.update();
    window.QueueKey();
    window.QueueClick();
    window.QueueCloseRequest();

    Sleep(2000);

    EXPECT_EQ(clock.Slept(), 2000u);
    EXPECT_GE(pump.Pumps(), 40);
    EXPECT_EQ(timers, 1);
    EXPECT_GT(window.Paints(), paints);
    EXPECT_EQ(window.Keys() + window.Clicks() + window.CloseRequests(), 0);
    // Held back, not lost.
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Keys(), 1);
    EXPECT_EQ(window.Clicks(), 1);
    EXPECT_EQ(window.CloseRequests(), 1);
}

TEST_F(KeepAliveTest, PumpsOnlyWhenInstalledOnItsThreadAndAtMostEveryInterval)
{
    int timers = 0;
    QTimer::singleShot(0, [&timers] { ++timers; });
    Sleep(2000);
    EXPECT_EQ(timers, 0);  // headless: nothing runs inside the wait

    CCountingKeepAlive pump;
    std::thread([] { Sleep(2000); }).join();
    EXPECT_EQ(pump.Pumps(), 0);

    for (int i = 0; i < 1000; ++i)
        KeepAlive();
    EXPECT_EQ(pump.Pumps(), 1);
    EXPECT_EQ(timers, 1);
    clock.Advance(kKeepAliveInterval - 1);
    KeepAlive();
    EXPECT_EQ(pump.Pumps(), 1);
    clock.Advance(1);
    KeepAlive();
    EXPECT_EQ(pump.Pumps(), 2);
}

TEST_F(KeepAliveTest, AnAnsweredMessageBoxIsPaintedOverAtOnce)
{
    CCountingKeepAlive pump;
    CQtUiServices ui;
    int paintsBefore = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top)) {
                // Hiding the box uncovers the window behind it.
                paintsBefore = window.Paints();
                window.update();
                box->button(QMessageBox::Ok)->click();
            }
    });
    EXPECT_EQ(ui.MessageBox("Please reset the target board (by pressing SW1)", "T", MB_OK), IDOK);
    EXPECT_GT(window.Paints(), paintsBefore);
}

// Port waits run in real time: a tty or a hidraw node does not follow the virtual clock, and
// the wait for a link's events is put on the system clock to match.
TEST_F(KeepAliveTest, LongPortWaitsKeepTheWindowAliveAndEndAtTheirTimeOut)
{
    struct Case {
        const char* name;
        std::function<bool()> waitWithNoAnswer;  // TRUE when it timed out with nothing
    };
    CPseudoTerminal pty;
    ASSERT_TRUE(pty.IsOpen());
    std::unique_ptr<CLinuxSerialPort> serial = CLinuxSerialPort::Open(CString(pty.SlavePath()));
    ASSERT_TRUE(serial);
    SerialTimeouts timeouts;
    timeouts.readTotalConstant = 300;
    ASSERT_TRUE(serial->SetTimeouts(timeouts));
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_NONBLOCK), 0);
    CHidrawDevice hid(pipeEnds[0], HidDeviceInfo{}, TRUE);
    HANDLE answer = CreateEvent(NULL, FALSE, FALSE, NULL);
    ASSERT_TRUE(answer);
    const Case cases[] = {
        {"serial read",
         [&] {
             BYTE byte = 0;
             DWORD done = 1;
             return serial->Read(&byte, 1, done) && done == 0;
         }},
        {"HID read",
         [&] {
             BYTE report[8] = {};
             return hid.ReadReport(report, sizeof report, 300, NULL) == hidTransferTimeout;
         }},
        {"link event wait",
         [&] {
             IClock* test = InstallClock(NULL);
             bool timedOut = WaitForSingleObject(answer, 300) == WAIT_TIMEOUT;
             InstallClock(test);
             return timedOut;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCountingKeepAlive pump;
        auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(c.waitWithNoAnswer());
        auto took = std::chrono::steady_clock::now() - start;
        // The ports count whole milliseconds from a start that is part-way through one.
        EXPECT_GE(took, std::chrono::milliseconds(299));
        EXPECT_LT(took, std::chrono::milliseconds(1500));
        EXPECT_GE(pump.Pumps(), 5);
    }
    close(pipeEnds[1]);
    CloseHandle(answer);
}

}  // namespace
