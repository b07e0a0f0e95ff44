// The reasons a port would not open, as the user reads them under the outcome text.
#include <gtest/gtest.h>

#include <cerrno>

#include <csignal>

#include <fcntl.h>
#include <grp.h>
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
    F rootOnly = Failure(F::portSerial, EACCES, "/dev/ttyUSB0", "COM1:");
    rootOnly.m_strNodeAccess = "owner root, group root, mode 0600";
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
        {rootOnly,
         "/dev/ttyUSB0: permission denied, and no group you could join may open it (owner root, group root, mode "
         "0600). The administrator must give access, for example with a udev rule that sets GROUP=\"dialout\" and "
         "MODE=\"0660\" for it, and add your user to that group."},
        {Failure(F::portSerial, EBUSY, "/dev/ttyS0", "COM1:", "picocom (process 812)"),
         "/dev/ttyS0: busy, in use by picocom (process 812)."},
        {Failure(F::portSerial, EBUSY, "COM4:"), "COM4: busy, in use by another program."},
        {Failure(F::portSerial, ENOTTY, "/dev/null"), "/dev/null: not a serial port."},
        {Failure(F::portParallel, ENOTTY, "/dev/null"),
         "/dev/null: not a parallel port. The programmer drives the parallel port through ppdev (/dev/parport0)."},
        {noUart, "/dev/ttyS1: there is no serial port hardware (UART) behind this device. Choose the port the board is "
                 "connected to, or set QUILLET_COM2 to the device to use, such as a USB adapter (/dev/ttyUSB0)."},
        {F(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.failure.Describe(), c.text);
}

TEST(PortOpenFailure, BusyDevicesNameTheirHolder)
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
}

TEST(PortOpenFailure, DeniedNodesNameTheirOwnGroupOrSayNoGroupHelps)
{
    CTempFolder folder;
    std::string node = folder.Write("ttyX", "");
    // A group other than root's that this process may give the node to.
    gid_t other = getegid();
    for (const group* entry; other == 0 && (entry = getgrent()) != NULL;)
        other = entry->gr_gid;
    endgrent();
    ASSERT_NE(other, 0u);
    const group* otherEntry = getgrgid(other);
    ASSERT_NE(otherEntry, (const group*)NULL);
    const std::string otherName = otherEntry->gr_name;
    struct Case {
        gid_t gid;
        mode_t mode;
        const char* group;  // named as the remedy; empty when joining a group cannot help
        const char* access;
    } cases[] = {
        {other, 0660, otherName.c_str(), ""},
        {0, 0600, "", "group root, mode 0600"},
        {0, 0660, "", "group root, mode 0660"},
        {other, 0640, "", "mode 0640"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        if (chown(node.c_str(), (uid_t)-1, c.gid) != 0)
            continue;  // only root may hand a node to root's group
        chmod(node.c_str(), c.mode);
        F denied = F::FromError(F::portSerial, node.c_str(), EACCES);
        EXPECT_EQ(denied.m_strGroup, c.group);
        EXPECT_EQ(denied.m_strNodeAccess.IsEmpty(), !*c.access);
        if (*c.access) {
            EXPECT_NE(denied.m_strNodeAccess.Find(c.access), -1) << denied.m_strNodeAccess.GetString();
        }
    }
    // What cannot be looked at gets the usual group.
    EXPECT_EQ(F::FromError(F::portParallel, (folder / "gone").c_str(), EACCES).m_strGroup, "lp");
}

}  // namespace
