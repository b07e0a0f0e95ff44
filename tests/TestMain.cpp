// Test entry point: a headless Qt application, and a private settings folder so that no test
// reads or writes the user's real settings; every test fails on a prompt it did not expect.
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/qt/QtBackend.h"
#include "res/ProgramResources.h"
#include "tests/support/StrictUiListener.h"

int main(int argc, char** argv)
{
    // A test program that links the application object has the resource tables from the start
    // (app/Globals.cpp); no other reads a table before this point.
    InstallProgramResources();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char folder[] = "/tmp/quillet-tests-XXXXXX";
    bool privateSettings = mkdtemp(folder) != nullptr;
    if (privateSettings)
        setenv("XDG_CONFIG_HOME", folder, 1);
    QApplication app(argc, argv);
    CQtBackend backend;
    ::testing::InitGoogleTest(&argc, argv);
    InstallStrictUiListener();
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    if (privateSettings)
        std::filesystem::remove_all(folder, ignored);
    return result;
}
