// Test entry point: a headless Qt application, and a private settings folder so that no test
// reads or writes the user's real settings; every test fails on a prompt it did not expect.
#include <cstdlib>
#include <string>

#include <QApplication>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/StrictUiListener.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char folder[] = "/tmp/quillet-tests-XXXXXX";
    if (mkdtemp(folder))
        setenv("XDG_CONFIG_HOME", folder, 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    InstallStrictUiListener();
    int result = RUN_ALL_TESTS();
    std::string cleanup = std::string("rm -rf '") + folder + "'";
    if (system(cleanup.c_str()) != 0) {
    }
    return result;
}
