// The benchmarks' clock.
#pragma once

#include <windows.h>

// Seconds from an arbitrary start, to the resolution of the performance counter.
inline double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}
