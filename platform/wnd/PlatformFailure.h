// Misuse the dialog layer meets and a test must see: a dialog nobody answers, a control that
// does not exist, a dialog that cannot be shown. The default prints to stderr; tests install
// a hook that turns each report into a failure.
#pragma once

#include <functional>
#include <string>

#include "platform/base/ServiceSlot.h"

typedef std::function<void(const std::string&)> PlatformFailureHook;
// Installs `hook` (empty: stderr) and returns the previous one.
PlatformFailureHook SetPlatformFailureHook(PlatformFailureHook hook);
void ReportPlatformFailure(const std::string& message);
