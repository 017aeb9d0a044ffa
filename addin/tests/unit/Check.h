// Minimal checks for the add-in's unit tests: a failed check is reported and fails the run.
#pragma once

#include <cstdio>
#include <string>

namespace checks {
inline int& failures() {
    static int n = 0;
    return n;
}
inline void fail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what.c_str());
    ++failures();
}
} // namespace checks

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond))                                                                               \
            checks::fail(__FILE__, __LINE__, #cond);                                               \
    } while (0)

#define CHECK_EQ(a, b)                                                                             \
    do {                                                                                           \
        if (!((a) == (b)))                                                                         \
            checks::fail(__FILE__, __LINE__, #a " == " #b);                                        \
    } while (0)
