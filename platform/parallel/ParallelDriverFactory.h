// Where the parallel-port object gets its driver from: ppdev, or a double a test installed.
#pragma once

#include <functional>
#include <memory>

#include "platform/base/ServiceSlot.h"
#include "platform/parallel/IParallelDriver.h"

class CParallelDriverFactory {
public:
    using Opener = std::function<std::unique_ptr<IParallelDriver>()>;

    // Opens the driver: the installed opener when a test installed one, else ppdev on
    // $QUILLET_LPT1 or /dev/parport0. NULL when the device cannot be opened.
    static std::unique_ptr<IParallelDriver> Open();
    // Installs `opener` (empty restores the real driver) and returns the one it replaces.
    static Opener Install(Opener opener);
    // The installed opener; empty while ppdev is in force.
    static CServiceSlot<Opener>& Slot();
};
