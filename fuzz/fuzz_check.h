// What the fuzz targets share: a check that aborts with a message, so a
// broken property shows up as a crash to the fuzzer and a failed replay.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Reads a text a decoder produced to its end, so a missing terminator or a
// pointer into freed memory shows up, and checks it stays below a bound.
inline void FuzzTouch(const char* text, size_t limit = size_t{1} << 30) {
    if (text != nullptr) {
        FUZZ_CHECK(std::strlen(text) < limit);
    }
}
