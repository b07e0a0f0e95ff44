// Real (steady) time in milliseconds, for tests and simulators that time what really happened
// while the program under test may be running on a virtual clock.
#pragma once

#include <chrono>
#include <cstdint>

inline int64_t RealMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
