#include "platform/qt/QtApplication.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/qt/QtBackend.h"
#include "platform/wnd/Application.h"

namespace {

// Nothing can be loaded or programmed without the main dialog, so a start without a window is
// a failed start: a launcher or a script must see it in the status.
const int kNoWindowStatus = 1;

int NoWindow(const std::string& reason)
{
    fprintf(stderr, "quillet: cannot show the program window: %s\n", reason.c_str());
    return kNoWindowStatus;
}

bool IsHeadlessPlatform(const std::string& platforms)
{
    return platforms.rfind("offscreen", 0) == 0 || platforms.rfind("minimal", 0) == 0;
}

std::string DisplayName()
{
    const char* wayland = getenv("WAYLAND_DISPLAY");
    const char* x = getenv("DISPLAY");
    return wayland && *wayland ? wayland : x ? x : "";
}

// Qt aborts the process when no platform in its list can start (a display that cannot be
// reached, a plugin that does not exist). Offscreen is offered as the last resort instead:
// reaching it means that every platform that shows a window failed. A headless platform the
// user chose on purpose (scripted runs) is kept as it is.
std::unique_ptr<QApplication> StartGui(int& argc, char** argv, std::string& failure)
{
    const char* chosen = getenv("QT_QPA_PLATFORM");
    std::string platforms = chosen && *chosen ? chosen : getenv("WAYLAND_DISPLAY") ? "wayland;xcb" : "xcb";
    bool fallback = !IsHeadlessPlatform(platforms);
    if (fallback)
        setenv("QT_QPA_PLATFORM", (platforms + ";offscreen").c_str(), 1);
    auto gui = std::make_unique<QApplication>(argc, argv);
    if (!fallback)
        return gui;
    if (chosen && *chosen)
        setenv("QT_QPA_PLATFORM", chosen, 1);
    else
        unsetenv("QT_QPA_PLATFORM");
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        failure = chosen && *chosen ? "the Qt platform \"" + platforms + "\" cannot start"
                                    : "the display \"" + DisplayName() + "\" cannot be opened";
        gui.reset();
    }
    return gui;
}

}  // namespace

int RunQtApplication(int argc, char** argv)
{
    if (!HasDisplay())
        return NoWindow("there is no display (DISPLAY and WAYLAND_DISPLAY are not set)");
    std::string failure;
    std::unique_ptr<QApplication> gui = StartGui(argc, argv, failure);
    if (!gui)
        return NoWindow(failure);
    CQtBackend backend;
    return RunApplication(argc, argv);
}
