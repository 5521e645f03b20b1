#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run when a property of a parser's result does not hold; libFuzzer keeps the
// input that led there as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
