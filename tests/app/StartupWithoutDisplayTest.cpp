// The program started where it cannot show its window: it says so on standard error and ends
// with a failing status, so a launcher or a script sees that it did not run. The built program
// is started as a user would start it, with an environment made for each case.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TempFolder.h"

namespace {

struct Outcome {
    bool exited = false;  // FALSE: killed by a signal (an abort) or still running at the limit
    int status = -1;
    std::string errors;
};

// Runs the program with exactly `environment`, waiting at most 20 s for it to end.
Outcome RunProgram(const std::vector<std::string>& environment)
{
    Outcome outcome;
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0)
        return outcome;
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char program[] = QUILLET_PROGRAM;
    char* argv[] = {program, nullptr};
    pid_t child = fork();
    if (child == 0) {
        dup2(errorPipe[1], STDERR_FILENO);
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execve(program, argv, envp.data());
        _exit(127);
    }
    close(errorPipe[1]);
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char buffer[4096];
    for (;;) {
        pollfd entry = {errorPipe[0], POLLIN, 0};
        if (poll(&entry, 1, 100) > 0) {
            ssize_t got = read(errorPipe[0], buffer, sizeof buffer);
            if (got <= 0)
                break;
            outcome.errors.append(buffer, (size_t)got);
        }
        if (std::chrono::steady_clock::now() > limit) {
            kill(child, SIGKILL);
            break;
        }
    }
    close(errorPipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.exited = WIFEXITED(status);
    outcome.status = outcome.exited ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(StartupWithoutDisplayTest, ThereIsNoWindowToShowSoTheProgramFailsWithAClearMessage)
{
    struct Case {
        const char* name;
        std::vector<std::string> display;  // what the environment says of the display
    };
    const Case cases[] = {
        {"no display at all", {}},
        {"an empty display name", {"DISPLAY=", "WAYLAND_DISPLAY="}},
        {"a platform plugin that does not exist", {"QT_QPA_PLATFORM=nosuchplugin"}},
        {"an X display nobody serves", {"DISPLAY=:9999", "QT_QPA_PLATFORM=xcb"}},
        {"the default platforms and an X display nobody serves", {"DISPLAY=:9999"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder home;
        std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "HOME=" + home.Path(),
                                                "XDG_CONFIG_HOME=" + home.Path(), "XDG_RUNTIME_DIR=" + home.Path()};
        environment.insert(environment.end(), c.display.begin(), c.display.end());
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* value = getenv(name))
                environment.push_back(std::string(name) + "=" + value);
        Outcome outcome = RunProgram(environment);
        EXPECT_TRUE(outcome.exited) << outcome.errors;
        EXPECT_EQ(outcome.status, 1) << outcome.errors;
        EXPECT_NE(outcome.errors.find("quillet: cannot show the program window"), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find("Dialog 102"), std::string::npos) << outcome.errors;
    }
}

}  // namespace
