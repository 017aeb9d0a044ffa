#include "fuzz_fork.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

// Sanitizer interfaces, present only in sanitized builds.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));
extern "C" void __lsan_do_leak_check(void) __attribute__((weak));
// The inline 8-bit coverage counters of -fsanitize=fuzzer, bounded by the linker.
extern "C" uint8_t __start___sancov_cntrs[] __attribute__((weak));
extern "C" uint8_t __stop___sancov_cntrs[] __attribute__((weak));

namespace quorellefuzz {
namespace {

constexpr size_t kTailBytes = 16384;

uint8_t* sharedCounters = nullptr;
size_t counterCount = 0;

size_t countersSize() {
    if (!__start___sancov_cntrs || !__stop___sancov_cntrs)
        return 0;
    return static_cast<size_t>(__stop___sancov_cntrs - __start___sancov_cntrs);
}

// In the child: hands its counters to the parent.
void copyCountersOut() {
    if (sharedCounters)
        std::memcpy(sharedCounters, __start___sancov_cntrs, counterCount);
}

// In the child, the first of the exit handlers to run: everything registered in the child
// (the product's statics) has run by then; what was registered before the fork belongs to
// the caller and is skipped. libFuzzer's own exit handler in particular would take the
// child's exit for the fuzz target exiting and record the input as a crash. Leaks are
// checked here, since the sanitizer's own check at exit is skipped with the rest.
void childExit(int status, void*) {
    copyCountersOut();
    if (__lsan_do_leak_check)
        __lsan_do_leak_check(); // a leak ends the child through childDeath()
    std::fflush(nullptr);
    _exit(status);
}

void childDeath() {
    copyCountersOut();
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}

int childTimeout() {
    const char* text = std::getenv("FUZZ_CHILD_TIMEOUT");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : kDefaultChildTimeout;
}

// The captured output: the whole of it with FUZZ_VERBOSE, its tail on a failure.
void printOutput(int fd, bool whole) {
    const off_t size = lseek(fd, 0, SEEK_END);
    if (size <= 0)
        return;
    off_t from = 0;
    if (!whole && size > static_cast<off_t>(kTailBytes))
        from = size - static_cast<off_t>(kTailBytes);
    std::string text(static_cast<size_t>(size - from), '\0');
    const ssize_t got = pread(fd, text.data(), text.size(), from);
    if (got > 0)
        std::fwrite(text.data(), 1, static_cast<size_t>(got), stderr);
}

} // namespace

void runInChild(const std::function<void()>& child) {
    static const int outputFd = memfd_create("fuzz-child-output", 0);
    if (outputFd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    if (!sharedCounters && countersSize() > 0) {
        counterCount = countersSize();
        void* map = mmap(nullptr, counterCount, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                         -1, 0);
        if (map != MAP_FAILED)
            sharedCounters = static_cast<uint8_t*>(map);
    }
    if (ftruncate(outputFd, 0) != 0 || lseek(outputFd, 0, SEEK_SET) != 0)
        std::abort();
    if (sharedCounters)
        std::memset(sharedCounters, 0, counterCount);

    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::abort();
    }
    if (pid == 0) {
        // The fuzzer's own handlers would report the child's end as the fuzzer's.
        for (int sig : {SIGABRT, SIGALRM, SIGINT, SIGTERM, SIGUSR1, SIGUSR2, SIGXFSZ})
            std::signal(sig, SIG_DFL);
        if (__sanitizer_set_death_callback)
            __sanitizer_set_death_callback(childDeath);
        on_exit(childExit, nullptr);
        dup2(outputFd, STDOUT_FILENO);
        dup2(outputFd, STDERR_FILENO);
        child();
        std::exit(0);
    }

    const bool verbose = std::getenv("FUZZ_VERBOSE") != nullptr;
    const time_t deadline = std::time(nullptr) + childTimeout();
    int status = 0;
    bool hung = false;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0) {
            std::perror("waitpid");
            std::abort();
        }
        if (std::time(nullptr) > deadline) {
            hung = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(1000);
    }

    if (sharedCounters) {
        for (size_t i = 0; i < counterCount; ++i)
            if (sharedCounters[i] > __start___sancov_cntrs[i])
                __start___sancov_cntrs[i] = sharedCounters[i];
    }
    if (verbose || hung || WIFSIGNALED(status))
        printOutput(outputFd, verbose);
    if (hung) {
        std::fprintf(stderr, "fuzz: the input still ran after %d s\n", childTimeout());
        std::abort();
    }
    if (WIFSIGNALED(status)) {
        std::fprintf(stderr, "fuzz: the child ended with signal %d (%s)\n", WTERMSIG(status),
                     strsignal(WTERMSIG(status)));
        std::abort();
    }
}

const std::string& scratchFile(const char* prefix, const char* name) {
    static std::string path;
    if (path.empty()) {
        std::string dir = std::string("/tmp/") + prefix + "-XXXXXX";
        if (!mkdtemp(dir.data()))
            std::abort();
        static std::string top = dir;
        static const pid_t owner = getpid(); // children end through exit() too
        path = top + "/" + name;
        std::atexit([] {
            if (getpid() != owner)
                return;
            std::error_code ignored;
            std::filesystem::remove_all(top, ignored);
        });
    }
    return path;
}

} // namespace quorellefuzz
