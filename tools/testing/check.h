// Checks for the plain C++ tests of the directory tools and the Outlook add-in (no test
// framework): a failed check prints where and what, counts, and the run goes on, so one run
// shows every failure. main() ends with `return check::result();`.
//
//   CHECK(cond)       fails unless cond is true
//   CHECK_EQ(a, b)    fails unless a == b; prints both values when they can be printed
//
// Plain C++17 and the standard library only: the add-in's tests include this file too.
#pragma once

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>

namespace check {

inline int& failures() {
    static int n = 0;
    return n;
}

inline void fail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what.c_str());
    ++failures();
}

template <typename T, typename = void>
struct printable : std::false_type {};
template <typename T>
struct printable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<const T&>())>>
    : std::true_type {};

template <typename T>
std::string show(const T& v) {
    if constexpr (printable<T>::value) {
        std::ostringstream os;
        os << '[' << v << ']';
        return os.str();
    } else {
        return "(a value that cannot be printed)";
    }
}

template <typename A, typename B>
void equal(const A& a, const B& b, const char* texta, const char* textb, const char* file, int line) {
    if (!(a == b))
        fail(file, line, std::string(texta) + " == " + textb + ": " + show(a) + " != " + show(b));
}

// The exit status of the test program: 0 when every check passed.
inline int result() {
    if (failures() != 0) {
        std::fprintf(stderr, "%d check(s) failed\n", failures());
        return 1;
    }
    std::printf("all checks passed\n");
    return 0;
}

} // namespace check

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::check::fail(__FILE__, __LINE__, #cond);                                              \
    } while (0)

#define CHECK_EQ(a, b) ::check::equal((a), (b), #a, #b, __FILE__, __LINE__)
