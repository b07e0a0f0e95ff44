// Start-up time: from the process's start (and from main) until the main dialog is on screen
// with its event loop running. The goal is under 0.5 s. Runs the real start-up with a private
// settings folder and closes the dialog once it is shown. Needs a display: run it under
// `xvfb-run -a` on a machine without one (offscreen runs are for scripted tests only).
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <time.h>
#include <unistd.h>

#include "app/QuilletApp.h"
#include "platform/qt/QtApplication.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point s_mainEntered;
double s_shownAfterMain = -1;
double s_bootSecondsAtShown = -1;

const char s_title[] = "Brenlow FLASH Programmer";

double BootSeconds()
{
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Seconds since boot at which this process started (resolution: one clock tick).
double ProcessStartBootSeconds()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    // Field 22 (starttime) is the 20th after the command name.
    for (int i = 0; i < 20 && fields >> field; ++i) {}
    if (field.empty() || !isdigit((unsigned char)field[0]))
        return -1;
    return std::stod(field) / sysconf(_SC_CLK_TCK);
}

void CloseMainDialogWhenShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == s_title) {
            s_shownAfterMain = std::chrono::duration<double>(Clock::now() - s_mainEntered).count();
            s_bootSecondsAtShown = BootSeconds();
            widget->close();
            return;
        }
    }
    QTimer::singleShot(1, CloseMainDialogWhenShown);
}

// Runs at the end of the QApplication constructor, inside the real start-up.
void WatchForMainDialog()
{
    QTimer::singleShot(0, CloseMainDialogWhenShown);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForMainDialog)

int main(int argc, char** argv)
{
    s_mainEntered = Clock::now();
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) {
        printf("no display: run this under xvfb-run -a\n");
        return 0;
    }
    char folder[] = "/tmp/quillet-bench-XXXXXX";
    bool privateSettings = mkdtemp(folder) != NULL;
    if (privateSettings)
        setenv("XDG_CONFIG_HOME", folder, 1);

    // Naming the application object pulls it (and the other global objects defined beside it)
    // out of the static library.
    if (AfxGetApp() != &theApp)
        printf("unexpected application object\n");
    RunQtApplication(argc, argv);

    std::error_code ignored;
    if (privateSettings)
        std::filesystem::remove_all(folder, ignored);
    if (s_shownAfterMain < 0) {
        printf("the main dialog was never shown\n");
        return 0;
    }
    double fromStart = s_bootSecondsAtShown - ProcessStartBootSeconds();
    printf("main dialog shown %.3f s after main, %.2f s after the process started (goal < 0.5 s)\n", s_shownAfterMain,
           fromStart);
    return 0;
}
