#include "platform/parallel/ParallelDriverFactory.h"

#include <mutex>

#include "platform/parallel/PpdevDriver.h"

namespace {

std::mutex& FactoryMutex()
{
    static std::mutex mutex;
    return mutex;
}

CParallelDriverFactory::Opener& InstalledOpener()
{
    static CParallelDriverFactory::Opener opener;
    return opener;
}

}  // namespace

std::unique_ptr<IParallelDriver> CParallelDriverFactory::Open()
{
    Opener opener;
    {
        std::lock_guard<std::mutex> lock(FactoryMutex());
        opener = InstalledOpener();
    }
    if (opener)
        return opener();
    return CPpdevDriver::Open(CPpdevDriver::DevicePath());
}

CParallelDriverFactory::Opener CParallelDriverFactory::Install(Opener opener)
{
    std::lock_guard<std::mutex> lock(FactoryMutex());
    Opener previous = std::move(InstalledOpener());
    InstalledOpener() = std::move(opener);
    return previous;
}
