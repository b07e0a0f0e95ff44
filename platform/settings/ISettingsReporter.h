// Where the settings store tells the user about a settings file it had to keep aside and about
// changes it could not save. The store always writes these to stderr as well; a GUI installs
// a reporter so that its user sees them too.
#pragma once

#include <string>

class ISettingsReporter {
public:
    virtual ~ISettingsReporter() = default;
    // `text` names the file and the reason, in sentences for the user. Called on the thread
    // that used the store once the store has let go of its locks, so it may show a modal
    // message; the store may be used again from inside it.
    virtual void ReportSettingsProblem(const std::string& text) = 0;
};
