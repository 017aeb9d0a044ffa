#ifndef SV_SCENARIOCHECK_H
#define SV_SCENARIOCHECK_H

// Checks for the programs that run one whole engine scenario per process (no QtTest
// runner: init() runs once per process). A failed check prints where and what, counts, and
// the scenario goes on, so one run shows every failure. The program ends with
// `return vantortest::scenarioFailures() ? 1 : status;`.
//
//   CHECK(cond)              fails unless cond is true
//   CHECK_EQ(actual, expected)  compares as QStrings; a null string differs from an empty one

#include <QString>

#include <cstdio>

namespace vantortest {

inline int& scenarioFailures() {
    static int failures = 0;
    return failures;
}

} // namespace vantortest

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "FAIL: %s:%d: %s\n", __FILE__, __LINE__, #cond);                  \
            ++vantortest::scenarioFailures();                                                      \
        }                                                                                          \
    } while (0)

#define CHECK_EQ(actual, expected)                                                                 \
    do {                                                                                           \
        const QString a_ = (actual);                                                               \
        const QString e_ = (expected);                                                             \
        if (a_ != e_ || a_.isNull() != e_.isNull()) {                                              \
            std::fprintf(stderr, "FAIL: %s:%d: %s\n  actual:   %s\n  expected: %s\n", __FILE__,    \
                         __LINE__, #actual,                                                        \
                         qUtf8Printable(a_.isNull() ? QStringLiteral("(null)") : a_),              \
                         qUtf8Printable(e_.isNull() ? QStringLiteral("(null)") : e_));             \
            ++vantortest::scenarioFailures();                                                      \
        }                                                                                          \
    } while (0)

#endif
