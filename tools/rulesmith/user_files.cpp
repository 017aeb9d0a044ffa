#include "user_files.h"

#include "sieve_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr const char* kLinkName = "default";
constexpr const char* kLinkTarget = "msg.script";
constexpr const char* kTempName = "msg.script.new";
constexpr const char* kCustomName = "custom.script";

// A uid names a directory below the Sieve tree: it must be one path component.
bool safe_uid(std::string_view uid) {
    return !uid.empty() && uid != "." && uid != ".." && uid.find('/') == std::string_view::npos &&
           uid.find('\0') == std::string_view::npos;
}

// The user directory being processed. Names inside it are read through the one-letter
// directory (short lookups, no descriptor of its own). Before anything in it is created,
// replaced or removed it is opened, never through a link, and the changes go through that
// descriptor: a user directory that is a link leads nowhere outside the tree. Full paths are
// made only for the messages.
struct UserDir {
    int parent = AT_FDCWD;     // the one-letter directory
    const char* rel = nullptr; // the user directory, relative to parent
    int fd = -1;               // the user directory itself, once opened for a change
    const std::string* letter = nullptr;
    std::string_view uid;
    std::string* buf = nullptr; // where at() builds a path

    ~UserDir() {
        if (fd >= 0)
            close(fd);
    }
    std::string abs() const { return *letter + "/" + std::string(uid); }
    std::string full(const char* name) const { return abs() + "/" + name; }

    // The descriptor and path under which the name inside the user directory is found; the
    // path stays valid until the next call.
    std::pair<int, const char*> at(const char* name) const {
        if (fd >= 0)
            return {fd, name};
        buf->assign(rel);
        *buf += '/';
        *buf += name;
        return {parent, buf->c_str()};
    }
};

// Opens the user directory without following a link: 1 opened, 0 absent, -1 not a directory
// (a symbolic link or another file), with errno set.
int open_user_dir(UserDir& d) {
    if (d.fd >= 0)
        return 1;
    d.fd = openat(d.parent, d.rel, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (d.fd >= 0)
        return 1;
    return errno == ENOENT ? 0 : -1;
}

// The user directory opened for a change (made first when absent and make is set); false,
// after a message, when it is refused: a link or no directory.
bool open_for_change(UserDir& d, bool make) {
    int opened = open_user_dir(d);
    if (opened == 0 && make) {
        if (mkdirat(d.parent, d.rel, 0700) != 0 || (opened = open_user_dir(d)) != 1)
            die("cannot make directory " + d.abs() + "\n");
    }
    if (opened >= 0)
        return true;
    const int err = errno;
    struct stat st;
    const bool is_link =
        fstatat(d.parent, d.rel, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    report("refusing user directory " + d.abs() + ": " +
           (is_link ? std::string("a symbolic link")
                    : err == ENOTDIR ? std::string("not a directory") : strerror(err)));
    return false;
}

// Reads the user's own script into out; false when there is none to copy: missing,
// unreadable, or no regular file (a FIFO is never waited on).
bool read_custom(const UserDir& d, std::string& out) {
    const auto [dirfd, path] = d.at(kCustomName);
    const int fd = openat(dirfd, path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    out.clear();
    char buf[8192];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) != 0) {
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return n == 0;
}

// True when the script holds exactly text (not followed if a link). The file is read with
// room for one byte more than text, so a longer file shows as different.
bool same_content(const UserDir& d, const std::string& text, std::string& old) {
    const auto [dirfd, path] = d.at(kLinkTarget);
    const int fd = openat(dirfd, path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    old.resize(text.size() + 1);
    size_t done = 0;
    for (;;) {
        const ssize_t n = read(fd, &old[done], old.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
        if (done == old.size())
            break;
    }
    close(fd);
    return done == text.size() && memcmp(old.data(), text.data(), done) == 0;
}

// Creates the temporary script, exclusively and never through a link. A file of that name is
// left over from a run that was killed (or planted): it is removed first, not written through.
int create_temp(const UserDir& d) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(d.fd, kTempName, flags, 0600);
    int err = errno;
    if (fd < 0 && err == EEXIST && unlinkat(d.fd, kTempName, 0) == 0) {
        fd = openat(d.fd, kTempName, flags, 0600);
        err = errno;
    }
    if (fd < 0)
        die("cannot create " + d.full(kTempName) + ": " + strerror(err));
    return fd;
}

// Writes the script through a temporary file in the (opened) user directory, renamed over
// the script, so that the mail server never sees a partly written script.
void write_script(const UserDir& d, const std::string& text) {
    const int fd = create_temp(d);
    auto fail = [&](int err) {
        unlinkat(d.fd, kTempName, 0);
        die("cannot write " + d.full(kLinkTarget) + ": " + strerror(err));
    };
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = errno;
            close(fd);
            fail(err);
        }
        done += static_cast<size_t>(n);
    }
    if (close(fd) != 0)
        fail(errno);
    if (renameat(d.fd, kTempName, d.fd, kLinkTarget) != 0)
        fail(errno);
}

// The script's parts from the user record; the group names are gathered into scratch.
sieve::ScriptParts script_parts(const Directory& dir, const User& u, UserScratch& scratch,
                                bool have_custom) {
    sieve::ScriptParts p;
    p.mail = u.mail;
    p.localpart = u.localpart;
    p.vacation = u.vacation;
    if (u.has_subject)
        p.subject = u.subject;
    if (u.has_note)
        p.note = u.note;
    p.custom = have_custom ? &scratch.custom : nullptr;
    p.spamfilter = u.spamfilter;
    p.spamdestroy = u.spamdestroy;
    p.allowed = u.allowed;
    p.nallowed = static_cast<size_t>(u.nallowed);
    scratch.groups.clear();
    if (u.spamfilter) {
        auto visit = [&](int gi, int) { scratch.groups.push_back(dir.groups[gi]->name); };
        for (int k = 0; k < u.ngroups; ++k)
            walk_parents(dir, dir.user_groups[u.first_group + k], 1, scratch.path, visit);
    }
    p.groups = scratch.groups.data();
    p.ngroups = scratch.groups.size();
    return p;
}

} // namespace

int SieveTree::letter_fd(std::string_view uid, const std::string*& path) {
    const unsigned char first = static_cast<unsigned char>(uid[0]);
    const unsigned char letter = (first >= 'a' && first <= 'z') ? first : 'q';
    if (!opened_[letter]) {
        path_[letter] = root_ + "/" + static_cast<char>(letter);
        fd_[letter] = open(path_[letter].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        opened_[letter] = true;
    }
    path = &path_[letter];
    return fd_[letter] >= 0 ? fd_[letter] : AT_FDCWD;
}

bool process_user(const Directory& dir, const User& u, SieveTree& tree, UserScratch& scratch,
                  bool debug) {
    if (!safe_uid(u.uid)) {
        // Refused: nothing is touched; the other users are processed, the run fails.
        report("refusing uid " + std::string(u.uid) + ": not usable as a directory name");
        return false;
    }
    UserDir d;
    d.uid = u.uid;
    d.buf = &scratch.name;
    d.parent = tree.letter_fd(u.uid, d.letter);
    if (d.parent == AT_FDCWD) {
        scratch.dir = d.abs();
        d.rel = scratch.dir.c_str();
    } else {
        d.rel = u.uid.data(); // NUL-terminated in the store
    }

    // One readlink tells whether the link exists (not following it) and what it names.
    char target[4096];
    const auto [linkfd, linkpath] = d.at(kLinkName);
    const ssize_t n = readlinkat(linkfd, linkpath, target, sizeof target);
    const bool link_exists = n >= 0 || errno == EINVAL; // EINVAL: there, but no link
    if (n >= 0 && std::string_view(target, static_cast<size_t>(n)) != kLinkTarget) {
        if (debug)
            printf("User %s has a custom script\n", u.uid.data());
        if (!open_for_change(d, false))
            return false;
        unlinkat(d.fd, kLinkTarget, 0);
        return true;
    }

    if (!u.vacation && !u.spamfilter) {
        if (debug)
            printf("Disabling filters for user: %s\n", u.uid.data());
        struct stat st;
        if (link_exists && fstatat(linkfd, linkpath, &st, 0) == 0) {
            if (!open_for_change(d, false))
                return false;
            unlinkat(d.fd, kLinkTarget, 0);
            unlinkat(d.fd, kLinkName, 0);
            unlinkat(d.fd, kTempName, 0);
            unlinkat(d.parent, d.rel, AT_REMOVEDIR);
        }
        return true;
    }

    if (debug)
        printf("Enabling filters for user: %s\n", u.uid.data());
    if (!link_exists) {
        if (!open_for_change(d, true))
            return false;
        if (symlinkat(kLinkTarget, d.fd, kLinkName) != 0)
            die("cannot make symlink " + d.full(kLinkName) + "\n");
    }
    const bool have_custom = read_custom(d, scratch.custom);
    sieve::script_text(script_parts(dir, u, scratch, have_custom), scratch.text);
    // A script that already holds the text is left as it is.
    if (same_content(d, scratch.text, scratch.old))
        return true;
    if (!open_for_change(d, false))
        return false;
    write_script(d, scratch.text);
    return true;
}
