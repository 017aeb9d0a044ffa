// rulesmith: writes every mail user's Sieve script (vacation reply, spam filter, the user's
// own script) from the directory into the Sieve tree, as the cyrus user.
//
// The parts: directory.cpp reads the users and groups and compiles the group nesting;
// user_files.cpp does the file work of each user; sieve_text.cpp builds the script text.
#include "directory.h"
#include "msgtool.h"
#include "user_files.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "ERROR:1:usage:rulesmith\nOptionally specify a single user to rebuild, otherwise all users "
    "are rebuilt\n  --uid=uid\n  --debug - enable debugging output\n";
constexpr const char* kSieveDir = "/usr/sieve";
constexpr const char* kSieveDirEnv = "QUORELLE_SIEVE_DIR";

// The files are written as cyrus: the effective user changes for the rest of the run.
void become_cyrus() {
    const passwd* pw = getpwnam("cyrus");
    if (!pw)
        die("rulesmith: Cannot find pw entry for user cyrus");
    if (seteuid(pw->pw_uid) != 0)
        die(std::string("rulesmith: Cannot switch to user cyrus: ") + strerror(errno));
    umask(077);
#if defined(__SANITIZE_ADDRESS__)
    // Sanitizer builds only: the leak check at exit inspects the process through ptrace, which
    // a process whose effective user changed may only do with root's capabilities back.
    atexit([] {
        if (seteuid(0) != 0)
            perror("seteuid");
    });
#endif
}

struct Options {
    bool debug = false;
    bool one_user = false;
    std::string uid;
};

Options parse_args(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (opt_value(argv[i], "--uid=", value)) {
            argcheck("uid", value);
            o.uid = value;
            o.one_user = true;
        } else if (strcmp(argv[i], "--debug") == 0) {
            o.debug = true;
        } else {
            usage();
        }
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    tool_init({"rulesmith", kUsage, true, true, false});
    if (geteuid() != 0)
        die("rulesmith: Must run as user root");
    parse_conf();
    become_cyrus();
    const Options opt = parse_args(argc, argv);
    SieveTree tree(tool_path(kSieveDirEnv, kSieveDir));

    // Load: bind, read users and groups.
    opt_user.clear();
    opt_pass.clear();
    do_bind();
    Directory dir;
    {
        ReadScratch scratch;
        load_directory(dir, scratch, opt.debug);
    }

    // Compile: each user's groups and each group's parents.
    compile(dir);
    if (opt.debug)
        print_tree(dir);

    // Process: the files of one user or of every user.
    UserScratch scratch;
    int refused = 0;
    if (opt.one_user) {
        const int u = dir.find_user(opt.uid);
        if (u < 0)
            die("can't find user entry for uid: " + opt.uid);
        refused += !process_user(dir, *dir.users[u], tree, scratch, opt.debug);
    } else {
        for (const User* u : dir.users)
            refused += !process_user(dir, *u, tree, scratch, opt.debug);
    }
    if (refused) {
        fflush(stdout);
        exit(1);
    }
    finish();
}
