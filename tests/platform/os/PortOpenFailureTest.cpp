// The reasons a port would not open, as the user reads them under the outcome text.
#include <gtest/gtest.h>

#include <cerrno>

#include <csignal>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/os/PortOpenFailure.h"
#include "tests/support/TempFolder.h"

namespace {

using F = CPortOpenFailure;

F Failure(F::Port port, int error, const char* device, const char* portName = "", const char* holder = "")
{
    F failure(port, F::KindOfError(error), device, error);
    failure.m_strPortName = portName;
    failure.m_strHolder = holder;
    return failure;
}

TEST(PortOpenFailure, EveryReasonSaysWhatToDo)
{
    F noUart(F::portSerial, F::kindNoUart, "/dev/ttyS1");
    noUart.m_strPortName = "COM2:";
    struct Case {
        F failure;
        const char* text;
    } cases[] = {
        {Failure(F::portSerial, ENOENT, "/dev/ttyUSB0", "COM1:"),
         "/dev/ttyUSB0: no such device. Check that the port or its adapter is present and plugged in, or set "
         "QUILLET_COM1 to the device to use."},
        {Failure(F::portSerial, EACCES, "/dev/ttyS0", "COM1:"),
         "/dev/ttyS0: permission denied. Add your user to the 'dialout' group (sudo usermod -aG dialout $USER), "
         "then log out and in again."},
        {Failure(F::portParallel, EACCES, "/dev/parport0"),
         "/dev/parport0: permission denied. Add your user to the 'lp' group (sudo usermod -aG lp $USER), then log "
         "out and in again."},
        {Failure(F::portSerial, EBUSY, "/dev/ttyS0", "COM1:", "picocom (process 812)"),
         "/dev/ttyS0: busy, in use by picocom (process 812)."},
        {Failure(F::portSerial, EBUSY, "COM4:"), "COM4: busy, in use by another program."},
        {Failure(F::portSerial, ENOTTY, "/dev/null"), "/dev/null: not a serial port."},
        {Failure(F::portParallel, ENOTTY, "/dev/null"),
         "/dev/null: not a parallel port. The programmer drives the parallel port through ppdev (/dev/parport0)."},
        {noUart,
         "/dev/ttyS1: there is no serial port hardware (UART) behind this device. Choose the port the board is "
         "connected to, or set QUILLET_COM2 to the device to use, such as a USB adapter (/dev/ttyUSB0)."},
        {F(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.failure.Describe(), c.text);
}

TEST(PortOpenFailure, BusyDevicesNameTheirHolderAndDeniedOnesTheirGroup)
{
    CTempFolder folder;
    std::string path = folder.Write("port", "");
    // This process is never its own holder.
    int own = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(own, 0);
    EXPECT_EQ(F::FromError(F::portSerial, path.c_str(), EBUSY, "nobody").m_strHolder, "nobody");
    close(own);

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        int held = open(path.c_str(), O_RDONLY);
        char mark = held < 0 ? 'x' : 'o';
        if (write(ready[1], &mark, 1) == 1)
            pause();
        _exit(0);
    }
    char mark = 0;
    ASSERT_EQ(read(ready[0], &mark, 1), 1);
    F busy = F::FromError(F::portSerial, path.c_str(), EBUSY, "nobody");
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(mark, 'o');
    EXPECT_EQ(busy.m_nKind, F::kindBusy);
    EXPECT_NE(busy.m_strHolder.Find(CString("(process ") + std::to_string(child).c_str() + ")"), -1)
        << busy.m_strHolder.GetString();

    // A file whose group may not write it names the usual group instead.
    EXPECT_EQ(F::FromError(F::portParallel, path.c_str(), EACCES).m_strGroup, "lp");
}

}  // namespace
