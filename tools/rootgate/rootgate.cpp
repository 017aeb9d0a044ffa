// rootgate: the privileged operations of the web administration. Replaces or reads one of two
// system configuration files, copies the Cyrus mailbox list to the product's data directory,
// and starts, stops, restarts or reloads one of four services through the at queue.
//
// Installed set-user-id root and started by the web server's user: nothing of the caller is
// trusted. The environment is replaced by a fixed one, umask and working directory are fixed,
// descriptors 0-2 are made sure to be open, the source of --write is opened with the caller's
// own rights, replaced files are written to a temporary file and renamed over the original,
// and programs are started by absolute path with an argument vector, never through a shell.
#include "msgtool.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/auxv.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "ERROR:1:usage:rootgate\n"
    "Exactly one of the following must be present:\n"
    "  --write=dstname - replace the --write file with the contents of --from\n"
    "    --from=srcname\n"
    "  --read=filename - send the given filename to stdout\n"
    "  --rm=filename - remove the specified file\n"
    "  --backup - backup the cyrus mailboxes.db file\n"
    "  --service=servicename - give the service name\n"
    "      current services are ldap, postfix, cyrus, and leafshow\n"
    "    --action=actioname - action to take with the given service\n"
    "      can be start, stop, restart, reload\n";

// The files that may be written or read.
const char* const kFiles[] = {"/etc/postfix/main.cf", "/etc/ldap/slapd.conf"};

// The services and the actions each allows.
struct ServiceRule {
    const char* name;
    bool start, stop, restart, reload;
};
const ServiceRule kServices[] = {
    {"postfix", true, true, true, true},
    {"leafshow", true, true, true, true},
    {"cyrus", true, true, true, false},
    {"ldap", false, false, true, false},
};

constexpr const char* kMailboxList = "/var/imap/mailboxes.db";
// The product's data directory; `msg` below it is created when missing.
constexpr const char* kDataDir = "/var/opt/quorelle/msg";
constexpr const char* kMailboxCopy = "/var/opt/quorelle/msg/mailboxes.db";
constexpr const char* kWebUser = "httpd";
constexpr const char* kInitDir = "/etc/init.d";
constexpr const char* kAt = "/usr/bin/at";
constexpr const char* kAtdPidFile = "/run/atd.pid";
// A system that keeps its Linux programs under /linux and its own at under /dunmere/usr/bin.
constexpr const char* kDunmere = "/dunmere";
constexpr const char* kDunmereAtDir = "/dunmere/usr/bin";
constexpr const char* kSafePath = "/usr/sbin:/usr/bin:/sbin:/bin";
constexpr int kServiceGap = 3; // seconds after each queued job
constexpr mode_t kNewFileMode = 0644;
constexpr mode_t kNewDirMode = 0755;

// The test build works below a fixed directory of the build tree, set when it is compiled;
// the installed program uses the system paths as they are.
#ifdef ROOTGATE_TEST_ROOT
const std::string kRoot = ROOTGATE_TEST_ROOT;
#else
const std::string kRoot;
#endif

std::string sys_path(const char* path) {
    return kRoot + path;
}

// The caller, as it was before the switch to root.
uid_t caller_uid = 0;
gid_t caller_gid = 0;
std::vector<gid_t> caller_groups;

std::string errtext() {
    return strerror(errno);
}

// ---------------------------------------------------------------- start-up

// Descriptors 0-2 are open afterwards (on /dev/null when the caller closed them), so that no
// file opened later can become standard input, output or error.
void open_standard_fds() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int got = open("/dev/null", O_RDWR);
        if (got != fd)
            _exit(1);
    }
}

// The caller's environment, signal state, umask and working directory are left behind.
// Returns the msg.conf path to read: the override is honoured only when the program is not
// running set-user-id (and never in the test build).
std::string fixed_environment() {
#ifdef ROOTGATE_TEST_ROOT
    std::string conf = sys_path(kMsgConfPath);
#else
    std::string conf = getauxval(AT_SECURE) ? std::string(kMsgConfPath)
                                            : tool_path(kMsgConfEnv, kMsgConfPath);
#endif
    clearenv();
    setenv("PATH", kSafePath, 1);
    umask(022);
    if (chdir("/") != 0)
        die("Cannot change to /: " + errtext());
    // Dispositions and the mask are inherited across exec: start from known ones. Write
    // failures (a full disk, a file-size limit, a closed pipe) are reported, not fatal signals.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGCHLD, SIG_DFL);
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    return conf;
}

// The caller must be root or the web server's user; then the process becomes root entirely
// (user and group, no supplementary groups), keeping the caller's ids for opening the source
// of --write.
void become_root() {
    caller_uid = getuid();
    caller_gid = getgid();
    const passwd* pw = getpwuid(caller_uid);
    if (!pw || !(pw->pw_uid == 0 || strcmp(pw->pw_name, kWebUser) == 0))
        die("must be user root or httpd user to run this command");
    const int n = getgroups(0, nullptr);
    if (n > 0) {
        caller_groups.resize(static_cast<size_t>(n));
        const int got = getgroups(n, caller_groups.data());
        caller_groups.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    if (setgroups(0, nullptr) != 0 || setgid(0) != 0 || setuid(0) != 0)
        die("Cannot set user id to root (is the program installed set-user-id root?): " +
            errtext());
}

// ---------------------------------------------------------------- files

bool allowed_file(const std::string& path) {
    for (const char* f : kFiles) {
        if (path == f)
            return true;
    }
    return false;
}

// Opens path for reading as a regular file (no terminal, never blocking on a FIFO); -1 with
// errno set otherwise.
int open_regular(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Opens the source of --write with the caller's user, group and supplementary groups.
int open_as_caller(const std::string& path) {
    if (setgroups(caller_groups.size(), caller_groups.data()) != 0 || setegid(caller_gid) != 0 ||
        seteuid(caller_uid) != 0)
        die("Cannot take the caller's user id: " + errtext());
    const int fd = open_regular(path);
    const int err = errno;
    if (seteuid(0) != 0 || setegid(0) != 0 || setgroups(0, nullptr) != 0)
        die("Cannot return to user id root: " + errtext());
    errno = err;
    return fd;
}

bool write_all(int fd, const char* data, size_t len) {
    while (len > 0) {
        const ssize_t n = write(fd, data, len);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

// Copies everything from in to out. Returns 0, or 'r' / 'w' for a read / write failure
// (errno set).
int copy_fd(int in, int out) {
    char buf[65536];
    for (;;) {
        const ssize_t n = read(in, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return 'r';
        }
        if (n == 0)
            return 0;
        if (!write_all(out, buf, static_cast<size_t>(n)))
            return 'w';
    }
}

std::string random_suffix() {
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char raw[8];
    if (getrandom(raw, sizeof raw, 0) != static_cast<ssize_t>(sizeof raw)) {
        const unsigned long v = static_cast<unsigned long>(getpid()) * 2654435761UL ^
                                static_cast<unsigned long>(time(nullptr));
        memcpy(raw, &v, sizeof raw < sizeof v ? sizeof raw : sizeof v);
    }
    std::string s;
    for (unsigned char c : raw)
        s += digits[c % (sizeof digits - 1)];
    return s;
}

// Replaces target with the contents of the open source: a temporary file in the target's
// directory, created exclusively, with the original's owner, group and mode (root, 0644 for a
// new file), written, synced and renamed over the target; then the directory is synced. On
// any failure the target is left as it was and the temporary file is removed. A target that
// is a symbolic link or not a regular file is refused.
void replace_file(int src, const std::string& src_name, const std::string& target) {
    const std::string cannot_write = "Cannot open " + target + " for write";
    const size_t slash = target.rfind('/');
    const std::string dir = slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = target.substr(slash + 1);
    const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        die(cannot_write);

    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = kNewFileMode;
    struct stat st;
    if (fstatat(dfd, base.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(st.st_mode))
            die(cannot_write);
        owner = st.st_uid;
        group = st.st_gid;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        die(cannot_write);
    }

    // No terminal signal may end the copy between creating and renaming the temporary file.
    sigset_t block, old;
    sigemptyset(&block);
    for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP, SIGTTIN, SIGTTOU})
        sigaddset(&block, s);
    sigprocmask(SIG_BLOCK, &block, &old);

    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = "." + base + ".rootgate-" + random_suffix();
        fd = openat(dfd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        die(cannot_write);

    auto fail = [&](const std::string& text) {
        const int err = errno;
        close(fd);
        unlinkat(dfd, tmp.c_str(), 0);
        errno = err;
        die(text + ": " + errtext());
    };
    // Owner first: changing it clears the set-id bits that fchmod then sets again.
    if (fchown(fd, owner, group) != 0 || fchmod(fd, mode) != 0)
        fail("Cannot set owner and mode of " + target);
    const int copied = copy_fd(src, fd);
    if (copied == 'r')
        fail("Cannot read " + src_name);
    if (copied == 'w' || fsync(fd) != 0)
        fail("Cannot write " + target);
    if (close(fd) != 0) {
        fd = -1;
        const int err = errno;
        unlinkat(dfd, tmp.c_str(), 0);
        errno = err;
        die("Cannot write " + target + ": " + errtext());
    }
    if (renameat(dfd, tmp.c_str(), dfd, base.c_str()) != 0) {
        const int err = errno;
        unlinkat(dfd, tmp.c_str(), 0);
        errno = err;
        die("Cannot write " + target + ": " + errtext());
    }
    if (fsync(dfd) != 0)
        die("Cannot sync directory " + dir + ": " + errtext());
    close(dfd);
    sigprocmask(SIG_SETMASK, &old, nullptr);
}

void do_write(const std::string& target, const std::string& source) {
    const int src = open_as_caller(source);
    if (src < 0)
        die("Cannot open " + source + " for read");
    replace_file(src, source, sys_path(target.c_str()));
    close(src);
}

void do_read(const std::string& file) {
    const std::string path = sys_path(file.c_str());
    const int fd = open_regular(path);
    if (fd < 0)
        exit(1);
    const int copied = copy_fd(fd, STDOUT_FILENO);
    if (copied == 'r')
        die("Cannot read " + path + ": " + errtext());
    if (copied == 'w')
        die("Cannot write standard output: " + errtext());
    close(fd);
}

// Creates the data directory and its parents below the root when missing.
void make_data_dir() {
    const std::string full = sys_path(kDataDir);
    for (size_t pos = kRoot.size() + 1; pos <= full.size(); ++pos) {
        if (pos != full.size() && full[pos] != '/')
            continue;
        const std::string part = full.substr(0, pos);
        if (mkdir(part.c_str(), kNewDirMode) == 0 || errno == EEXIST) {
            struct stat st;
            if (stat(part.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                continue;
            errno = ENOTDIR;
        }
        die("Cannot create directory " + part + ": " + errtext());
    }
}

void do_backup() {
    const std::string source = sys_path(kMailboxList);
    const int src = open_regular(source);
    if (src < 0)
        die("Cannot open " + source + " for read");
    make_data_dir();
    replace_file(src, source, sys_path(kMailboxCopy));
    close(src);
}

// ---------------------------------------------------------------- services

const ServiceRule* find_service(const std::string& name) {
    for (const ServiceRule& r : kServices) {
        if (name == r.name)
            return &r;
    }
    return nullptr;
}

bool action_allowed(const ServiceRule& r, const std::string& action) {
    return (action == "start" && r.start) || (action == "stop" && r.stop) ||
           (action == "restart" && r.restart) || (action == "reload" && r.reload);
}

bool is_dir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether the atd named by its pid file is alive.
bool atd_running() {
    FILE* fp = fopen(kAtdPidFile, "re");
    if (!fp)
        return false;
    long pid = 0;
    const bool got = fscanf(fp, "%ld", &pid) == 1 && pid > 0;
    fclose(fp);
    if (!got)
        return false;
    char comm_path[64];
    snprintf(comm_path, sizeof comm_path, "/proc/%ld/comm", pid);
    fp = fopen(comm_path, "re");
    if (!fp)
        return false;
    char comm[64] = "";
    const bool read = fgets(comm, sizeof comm, fp) != nullptr;
    fclose(fp);
    return read && strncmp(comm, "atd", 3) == 0;
}

// Queues one job with `at now`: at is started by absolute path with the fixed environment;
// the job text (built from the allow-lists only) goes to its standard input, its standard
// error is passed on. Returns 0 when the job was queued for a running atd, else the exit
// status to end with (at's own status, 128 + the signal that ended it, or 1).
int queue_job(const std::string& at, const std::string& at_dir, const std::string& job,
              bool check_atd) {
    int in[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        report("Cannot create a pipe: " + errtext());
        return 1;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        report("Cannot start " + at + ": " + errtext());
        return 1;
    }
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (chdir(at_dir.c_str()) != 0)
            _exit(126);
        signal(SIGXFSZ, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        const std::string path_var = std::string("PATH=") + kSafePath;
        char* const argv[] = {const_cast<char*>("at"), const_cast<char*>("now"), nullptr};
        char* const envp[] = {const_cast<char*>(path_var.c_str()), nullptr};
        execve(at.c_str(), argv, envp);
        _exit(127);
    }
    close(in[0]);
    close(err[1]);
    const bool sent = write_all(in[1], job.data(), job.size());
    close(in[1]);
    std::string messages;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(err[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        messages.append(buf, static_cast<size_t>(n));
        write_all(STDERR_FILENO, buf, static_cast<size_t>(n));
    }
    close(err[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            report("Cannot wait for " + at + ": " + errtext());
            return 1;
        }
    }
    std::string what = job.substr(0, job.size() - 1);
    if (WIFSIGNALED(status)) {
        report(at + " was killed by signal " + std::to_string(WTERMSIG(status)) + ": " + what +
               " not queued");
        return 128 + WTERMSIG(status);
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (code != 0) {
        report(at + " failed with status " + std::to_string(code) + ": " + what + " not queued");
        return code;
    }
    if (!sent) {
        report("Cannot pass the job to " + at + ": " + what + " not queued");
        return 1;
    }
    // at exits with 0 also when no atd runs: the job then waits in the queue.
    const bool no_atd = messages.find("No atd running") != std::string::npos ||
                        messages.find("daemon not running") != std::string::npos ||
                        messages.find("Can't signal atd") != std::string::npos ||
                        (check_atd && !atd_running());
    if (no_atd) {
        report("warning: no atd is running: " + what + " waits in the at queue");
        return 1;
    }
    return 0;
}

int run_service_action(const std::string& service, const std::string& action) {
    int status;
    if (is_dir(sys_path(kDunmere))) {
        const std::string job =
            "(cd /linux/bin; ./bash -c '/etc/rc.d/init.d/" + service + " " + action + "')\n";
        const std::string dir = sys_path(kDunmereAtDir);
        status = queue_job(dir + "/at", dir, job, false);
    } else {
        status = queue_job(kAt, "/", sys_path(kInitDir) + "/" + service + " " + action + "\n",
                           true);
    }
    // The script runs later as an at job; give it time to start.
    sleep(kServiceGap);
    return status;
}

void do_service(const std::string& service, const std::string& action) {
    int status = 0;
    if (action == "start")
        status = run_service_action(service, "stop");
    const int last = run_service_action(service, action);
    exit(status != 0 ? status : last);
}

// ---------------------------------------------------------------- command line

void check_value(const char* name, const std::string& value) {
    argcheck(name, value);
    if (value.empty())
        die(std::string("--") + name + " cannot be null value");
}

} // namespace

int main(int argc, char** argv) {
    open_standard_fds();
    tool_init({"rootgate", kUsage, false, false, false});
    // An empty vector (which the kernel may turn into one empty string) is no call of ours.
    if (argc < 1 || !argv[0] || !argv[0][0])
        die("empty argument vector");
    const std::string conf = fixed_environment();
    become_root();
    parse_conf_file(conf);

    std::string write_file, from_file, read_file, service, action;
    bool have_from = false, have_action = false, have_service = false;
    bool do_w = false, do_r = false, do_b = false;
    int mains = 0;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (opt_value(argv[i], "--write=", value)) {
            check_value("write", value);
            write_file = value;
            do_w = true;
            ++mains;
        } else if (opt_value(argv[i], "--from=", value)) {
            check_value("from", value);
            from_file = value;
            have_from = true;
        } else if (opt_value(argv[i], "--read=", value)) {
            check_value("read", value);
            read_file = value;
            do_r = true;
            ++mains;
        } else if (opt_value(argv[i], "--service=", value)) {
            check_value("service", value);
            service = value;
            have_service = true;
            ++mains;
        } else if (opt_value(argv[i], "--action=", value)) {
            check_value("action", value);
            action = value;
            have_action = true;
        } else if (strcmp(argv[i], "--backupdb") == 0) {
            do_b = true;
            ++mains;
        } else {
            usage();
        }
    }
    if (mains != 1)
        usage();
    if (do_w && (!have_from || !allowed_file(write_file)))
        usage();
    if (do_r && !allowed_file(read_file))
        usage();
    if (have_service) {
        const ServiceRule* rule = find_service(service);
        if (!rule || !have_action || !action_allowed(*rule, action))
            usage();
    }

    do_getpass();
    // The caller proves the administrator's password: another DN, or an empty password (an
    // unauthenticated bind that a server may accept as anonymous), is refused before binding.
    if (opt_user != opt_adminuser || opt_pass.empty())
        die("Must authenticate to ldap as the admin user");
    do_bind();

    if (do_w)
        do_write(write_file, from_file);
    else if (do_r)
        do_read(read_file);
    else if (do_b)
        do_backup();
    else
        do_service(service, action);
    finish();
}
