#include "platform/qt/QtApplication.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/qt/QtBackend.h"
#include "platform/wnd/Application.h"

namespace {

// Qt aborts the process when the display named in the environment cannot be reached. Unless
// the user chose a platform, offscreen is offered as the last resort: reaching it means the
// display failed, which is reported before the program goes on without a window.
std::unique_ptr<QApplication> StartGui(int& argc, char** argv)
{
    const char* chosen = getenv("QT_QPA_PLATFORM");
    bool fallback = !(chosen && *chosen);
    if (fallback)
        setenv("QT_QPA_PLATFORM", getenv("WAYLAND_DISPLAY") ? "wayland;xcb;offscreen" : "xcb;offscreen", 1);
    auto gui = std::make_unique<QApplication>(argc, argv);
    if (fallback) {
        unsetenv("QT_QPA_PLATFORM");
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            fprintf(stderr, "quillet: cannot open the display; running without a graphical interface\n");
            gui.reset();
        }
    }
    return gui;
}

} // namespace

int RunQtApplication(int argc, char** argv)
{
    std::unique_ptr<QApplication> gui;
    if (HasDisplay())
        gui = StartGui(argc, argv);
    else
        fprintf(stderr, "quillet: no display; running without a graphical interface\n");
    std::unique_ptr<CQtBackend> backend;
    if (gui)
        backend = std::make_unique<CQtBackend>();
    return RunApplication(argc, argv);
}
