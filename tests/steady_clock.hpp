// Wall-clock waits for the process tests. <chrono> (and <filesystem>, which
// includes it) cannot be compiled with code page 949 string literals: one of
// its literals is a micro sign, so the tests keep to the C clock.
#pragma once

#include <time.h>
#include <unistd.h>

// Milliseconds on a clock that never jumps.
inline long long now_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

inline void sleep_ms(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }
