// Runs one fuzz input in a child process: for code that ends the process on bad input (a
// fatal message, die()) or that runs only once per process (the engine singleton's init()).
//
// The child's end decides the verdict: any exit status is a normal end (an expected fatal
// message ends with status 1); a signal (a crash, a sanitizer report, which aborts in the
// child) or a run past the time limit is re-raised in the caller as abort(), after the
// tail of the child's standard error has been printed, so that the fuzzer (or the corpus
// driver) records the input as a crash.
//
// Under the fuzzer the child's coverage counters are copied back into the caller's, so
// coverage found in the child guides the mutations as if the input had run in-process.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quorellefuzz {

// Seconds a child may run; FUZZ_CHILD_TIMEOUT overrides it.
constexpr int kDefaultChildTimeout = 10;

// Runs child() in a forked process (its standard output and error captured; with
// FUZZ_VERBOSE set they are printed after each run). child() may return (status 0) or end
// the process in any way.
void runInChild(const std::function<void()>& child);

// The path of a file named `name` in a directory of its own, made once per process under
// /tmp with `prefix` ("fuzz-msgconf") and removed when the fuzzing process ends (not when a
// child ends: a child may end anywhere, so it leaves nothing behind itself).
const std::string& scratchFile(const char* prefix, const char* name);

} // namespace quorellefuzz
