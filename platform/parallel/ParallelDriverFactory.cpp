#include "platform/parallel/ParallelDriverFactory.h"

#include "platform/parallel/PpdevDriver.h"

CServiceSlot<CParallelDriverFactory::Opener>& CParallelDriverFactory::Slot()
{
    static CServiceSlot<Opener> slot;
    return slot;
}

std::unique_ptr<IParallelDriver> CParallelDriverFactory::Open()
{
    // A copy: a test may replace the opener while a port opens on another thread.
    Opener opener = Slot().Get();
    if (opener)
        return opener();
    return CPpdevDriver::Open(CPpdevDriver::DevicePath());
}

CParallelDriverFactory::Opener CParallelDriverFactory::Install(Opener opener)
{
    return Slot().Install(std::move(opener));
}
