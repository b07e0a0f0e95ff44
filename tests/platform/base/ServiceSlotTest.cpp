#include <gtest/gtest.h>

#include "platform/parallel/ParallelDriverFactory.h"
#include "platform/testing/VirtualClock.h"

namespace {

TEST(ServiceSlotTest, NestedScopesRestoreEachPreviousServiceAndFinallyTheDefault)
{
    IClock& system = CurrentClock();
    {
        CVirtualClock outer(1000);
        CScopedClock outerScope(outer);
        {
            CVirtualClock inner(5000);
            CScopedClock innerScope(inner);
            EXPECT_EQ(GetTickCount(), 5000u);
        }
        EXPECT_EQ(GetTickCount(), 1000u);
        Sleep(250);
        EXPECT_EQ(outer.Slept(), 250u);
    }
    EXPECT_EQ(&CurrentClock(), &system);
    EXPECT_EQ(ClockSlot().Get(), nullptr);
}

TEST(ServiceSlotTest, FunctionSlotsHandBackThePreviousFunction)
{
    int calls = 0;
    CParallelDriverFactory::Opener counting = [&calls]() -> std::unique_ptr<IParallelDriver> {
        ++calls;
        return nullptr;
    };
    {
        CScopedService<CParallelDriverFactory::Opener> scope(CParallelDriverFactory::Slot(), counting);
        EXPECT_EQ(CParallelDriverFactory::Open(), nullptr);
        CParallelDriverFactory::Opener previous = CParallelDriverFactory::Install(nullptr);
        ASSERT_TRUE(previous);
        CParallelDriverFactory::Install(previous);
        CParallelDriverFactory::Open();
    }
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(CParallelDriverFactory::Slot().Get());
}

}  // namespace
