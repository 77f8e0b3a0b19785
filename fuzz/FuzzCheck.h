#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise found while fuzzing: reported and fatal, so that libFuzzer keeps the input
// and the corpus runner fails.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
