// rulesmith: writes every mail user's Sieve script (vacation reply, spam filter, the user's
// own script) from the directory into the Sieve tree, as the cyrus user.
#include "msgtool.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <strings.h>
#include <vector>

namespace {

constexpr const char* kUsage =
    "ERROR:1:usage:rulesmith\nOptionally specify a single user to rebuild, otherwise all users "
    "are rebuilt\n  --uid=uid\n  --debug - enable debugging output\n";
constexpr const char* kSieveDir = "/usr/sieve";
constexpr const char* kSieveDirEnv = "QUORELLE_SIEVE_DIR";
constexpr const char* kLinkTarget = "msg.script";
constexpr const char* kTempName = "msg.script.new";

struct User {
    std::string uid;
    std::string domain;
    std::string mail;
    std::string localpart;
    bool vacation = false;
    bool has_subject = false;
    std::string subject;
    bool has_note = false;
    std::string note;
    bool spamfilter = false;
    bool spamdestroy = false;
    std::vector<std::string> allowed;
    std::vector<int> groups; // indexes into the group table
};

struct Group {
    std::string tag;
    std::string name;
    std::string domain;
    std::vector<std::string> umembers;
    std::vector<std::string> gmembers;
    std::vector<int> parents; // indexes into the group table
};

// Records live in the stores (never moved once made); the tables point at them, sorted.
std::deque<User> user_store;
std::deque<Group> group_store;
std::vector<User*> users;
std::vector<Group*> groups;
bool debug = false;
std::string sieve_root;
int failed_users = 0;

const char* tf(bool b) {
    return b ? "TRUE" : "FALSE";
}

// The RDNs of a DN as (attribute, value) pairs, values unescaped (the first value of a
// multi-valued RDN). False when the text is no DN.
using Rdns = std::vector<std::pair<std::string, std::string>>;
bool parse_dn(const std::string& dn, Rdns& rdns) {
    rdns.clear();
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(dn.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
        return false;
    for (int i = 0; parsed && parsed[i]; ++i) {
        const LDAPAVA* ava = parsed[i][0];
        rdns.emplace_back(std::string(ava->la_attr.bv_val, ava->la_attr.bv_len),
                          std::string(ava->la_value.bv_val, ava->la_value.bv_len));
    }
    ldap_dnfree(parsed);
    return true;
}

bool attr_is(const std::string& attr, const char* name) {
    return strcasecmp(attr.c_str(), name) == 0;
}

[[noreturn]] void not_in_dn(const char* name, const std::string& dn) {
    die(std::string(name) + " not found in dn: " + dn);
}

void load_users() {
    const char* attrs[] = {"uid",
                           "ou",
                           "mail",
                           "corvaneMsgVacationEnabled",
                           "corvaneMsgVacationSubject",
                           "corvaneMsgVacationMessage",
                           "corvaneMsgSpamFilterEnabled",
                           "corvaneMsgSpamDestroyEnabled",
                           "corvaneMsgSpamAllowed",
                           nullptr};
    opt_base = opt_suff;
    search_loop(
        opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgUser)"), attrs, 0,
        [](LDAPMessage* e) {
            User u;
            bool have_uid = false;
            entry_attributes(e, [&u, &have_uid](const char* attr, berval* vals) {
                if (!vals[0].bv_val)
                    return;
                const std::string first(vals[0].bv_val, vals[0].bv_len);
                if (strcasecmp(attr, "uid") == 0) {
                    u.uid = first;
                    have_uid = true;
                } else if (strcasecmp(attr, "ou") == 0) {
                    u.domain = first;
                } else if (strcasecmp(attr, "mail") == 0) {
                    u.mail = first;
                } else if (strcasecmp(attr, "corvaneMsgVacationEnabled") == 0) {
                    u.vacation = first == "TRUE";
                } else if (strcasecmp(attr, "corvaneMsgVacationSubject") == 0) {
                    u.subject = first;
                    u.has_subject = true;
                } else if (strcasecmp(attr, "corvaneMsgVacationMessage") == 0) {
                    u.note = first;
                    u.has_note = true;
                } else if (strcasecmp(attr, "corvaneMsgSpamFilterEnabled") == 0) {
                    u.spamfilter = first == "TRUE";
                } else if (strcasecmp(attr, "corvaneMsgSpamDestroyEnabled") == 0) {
                    u.spamdestroy = first == "TRUE";
                } else if (strcasecmp(attr, "corvaneMsgSpamAllowed") == 0) {
                    for (berval* v = vals; v->bv_val; ++v)
                        if (v->bv_len > 0)
                            u.allowed.emplace_back(v->bv_val, v->bv_len);
                }
            });
            // An entry without uid has no place in the Sieve tree: it is left out.
            if (!have_uid)
                return;
            u.localpart = u.mail.substr(0, u.mail.find('@'));
            user_store.push_back(std::move(u));
        },
        true);
    users.reserve(user_store.size());
    for (User& u : user_store)
        users.push_back(&u);
    std::stable_sort(users.begin(), users.end(),
                     [](const User* a, const User* b) { return a->uid < b->uid; });
}
void load_groups() {
    const char* attrs[] = {"cn", "ou", "member", nullptr};
    opt_base = opt_suff;
    search_loop(
        opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgGroup)"), attrs, 0,
        [](LDAPMessage* e) {
            Group g;
            if (!entry_first(e, "cn", g.name) || !entry_first(e, "ou", g.domain))
                return;
            g.tag = g.name + "@" + g.domain;
            Rdns rdns;
            for (const std::string& dn : entry_values(e, "member")) {
                if (dn.compare(0, 4, "uid=") == 0) {
                    if (!parse_dn(dn, rdns) || rdns.empty() || !attr_is(rdns[0].first, "uid"))
                        not_in_dn("uid", dn);
                    g.umembers.push_back(rdns[0].second);
                } else if (dn.compare(0, 3, "cn=") == 0) {
                    if (!parse_dn(dn, rdns) || rdns.empty() || !attr_is(rdns[0].first, "cn"))
                        not_in_dn("cn", dn);
                    // The member group's domain: the first ou after the container
                    // whose name holds "MSG" (ou=MSG Groups).
                    size_t i = 1;
                    while (i < rdns.size() && rdns[i].second.find("MSG") == std::string::npos)
                        ++i;
                    if (i == rdns.size())
                        not_in_dn("MSG", dn);
                    ++i;
                    while (i < rdns.size() && !attr_is(rdns[i].first, "ou"))
                        ++i;
                    if (i == rdns.size())
                        not_in_dn("ou", dn);
                    g.gmembers.push_back(rdns[0].second + "@" + rdns[i].second);
                }
            }
            group_store.push_back(std::move(g));
        });
    groups.reserve(group_store.size());
    for (Group& g : group_store)
        groups.push_back(&g);
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group* a, const Group* b) { return a->tag < b->tag; });
}

int find_user(const std::string& uid) {
    auto it = std::lower_bound(users.begin(), users.end(), uid,
                               [](const User* u, const std::string& k) { return u->uid < k; });
    if (it == users.end() || (*it)->uid != uid)
        return -1;
    return static_cast<int>(it - users.begin());
}

int find_group(const std::string& tag) {
    auto it = std::lower_bound(groups.begin(), groups.end(), tag,
                               [](const Group* g, const std::string& k) { return g->tag < k; });
    if (it == groups.end() || (*it)->tag != tag)
        return -1;
    return static_cast<int>(it - groups.begin());
}

void compile() {
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        for (const std::string& tag : groups[gi]->gmembers) {
            const int m = find_group(tag);
            if (m < 0)
                die("can't find alias entry for tag: " + tag);
            groups[m]->parents.push_back(static_cast<int>(gi));
        }
        for (const std::string& uid : groups[gi]->umembers) {
            const int u = find_user(uid);
            if (u < 0)
                die("can't find user entry for uid: " + uid);
            users[u]->groups.push_back(static_cast<int>(gi));
        }
    }
}

void print_users() {
    printf("\nUser table:\n\n");
    for (const User* up : users) {
        const User& u = *up;
        printf("uid:%s\n", u.uid.c_str());
        printf("domain:%s\n", u.domain.c_str());
        printf("vacationenabled:%s\n", tf(u.vacation));
        if (u.has_subject)
            printf("vacationsubject:%s\n", u.subject.c_str());
        if (u.has_note)
            printf("vacationmessage:%s\n", u.note.c_str());
        printf("spamfilterenabled:%s\n", tf(u.spamfilter));
        printf("spamdestroyenabled:%s\n", tf(u.spamdestroy));
        for (const std::string& a : u.allowed)
            printf("spamallowed:%s\n", a.c_str());
        printf("\n");
    }
}

void print_groups() {
    printf("\nAlias table:\n\n");
    for (const Group* gp : groups) {
        const Group& g = *gp;
        printf("tag:%s\n", g.tag.c_str());
        printf("name:%s\n", g.name.c_str());
        printf("domain:%s\n", g.domain.c_str());
        for (const std::string& m : g.umembers)
            printf("umember:%s\n", m.c_str());
        for (const std::string& m : g.gmembers)
            printf("amember:%s\n", m.c_str());
        printf("\n");
    }
}

// Walks a group and, depth first, its parents, calling visit(group, level) for each. A group
// already on the current path is not followed again, so nesting cycles end.
template <typename Visit>
void walk_parents(int gi, int level, std::vector<int>& path, Visit& visit) {
    if (std::find(path.begin(), path.end(), gi) != path.end())
        return;
    visit(gi, level);
    path.push_back(gi);
    for (int p : groups[gi]->parents)
        walk_parents(p, level + 1, path, visit);
    path.pop_back();
}

void print_tree() {
    printf("\nUser alias tree:\n\n");
    std::vector<int> path;
    auto visit = [](int gi, int level) {
        printf("alias:level %d:%s\n", level, groups[gi]->tag.c_str());
    };
    for (const User* u : users) {
        printf("uid:%s\n", u->uid.c_str());
        printf("domain:%s\n", u->domain.c_str());
        for (int gi : u->groups)
            walk_parents(gi, 1, path, visit);
        printf("\n");
    }
}

// Text inside a Sieve quoted string: backslash before '"' and '\'.
std::string quoted(const std::string& s) {
    std::string out = "\"";
    if (s.find_first_of("\"\\") == std::string::npos) {
        out += s;
        out += '"';
        return out;
    }
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// Text inside a Sieve "text:" block: a line beginning with "." gets another "." in front, so
// that no line of the value can end the block.
std::string dot_stuffed(const std::string& s) {
    std::string out;
    bool line_start = true;
    for (char c : s) {
        if (line_start && c == '.')
            out += '.';
        out += c;
        line_start = c == '\n';
    }
    return out;
}

void header_block(std::string& out, const char* header, const std::string& value) {
    out += "if header :contains \"";
    out += header;
    out += "\" ";
    out += quoted(value);
    out += " {\n\tkeep;\n\tstop;\n}\n";
}

std::string script_text(const User& u, const std::string* custom) {
    std::string s;
    s.reserve(1024);
    s += "require [\"vacation\", \"fileinto\", \"reject\", \"envelope\"];\n\n";
    if (u.vacation) {
        s += "vacation\n\t:days 1\n\t:addresses [" + quoted(u.mail) + "]\n\t:subject ";
        s += quoted(u.has_subject && !u.subject.empty() ? u.subject : "Absence Notification");
        s += "\ntext:\nThis is an automated reply:\nThis person is temporarily out of the office\n";
        if (u.has_note && !u.note.empty())
            s += "and has left the following note:\n\n" + dot_stuffed(u.note) + "\n";
        s += ".\n;\n\n";
    }
    if (custom)
        s += "# user supplied script begins\n" + *custom + "# user supplied script ends\n\n";
    if (u.spamfilter) {
        for (const std::string& a : u.allowed) {
            header_block(s, "from", a);
            s += "\n";
        }
        header_block(s, "to", u.localpart);
        header_block(s, "from", u.localpart);
        std::vector<int> path;
        auto visit = [&s](int gi, int) {
            header_block(s, "to", groups[gi]->name);
            header_block(s, "cc", groups[gi]->name);
            s += "\n";
        };
        for (int gi : u.groups)
            walk_parents(gi, 1, path, visit);
        if (!u.spamdestroy)
            s += "fileinto \"inbox.spam\";\n";
        s += "discard;\n";
    }
    return s;
}

// A uid names a directory below the Sieve tree: it must be one path component.
bool safe_uid(const std::string& uid) {
    return !uid.empty() && uid != "." && uid != ".." && uid.find('/') == std::string::npos &&
           uid.find('\0') == std::string::npos;
}

// A user directory: names inside it are resolved against the one-letter directory, opened
// once, which keeps the path lookups short; full paths are for the messages.
struct UserDir {
    int fd;
    std::string rel;
    std::string abs;
    std::string at(const char* name) const { return rel + "/" + name; }
    std::string full(const char* name) const { return abs + "/" + name; }
};

UserDir user_dir(const std::string& uid) {
    static int letter_fd[256];
    static bool opened[256];
    const unsigned char first = static_cast<unsigned char>(uid[0]);
    const unsigned char letter = (first >= 'a' && first <= 'z') ? first : 'q';
    const std::string letter_dir = sieve_root + "/" + static_cast<char>(letter);
    if (!opened[letter]) {
        letter_fd[letter] = open(letter_dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        opened[letter] = true;
    }
    UserDir d;
    d.abs = letter_dir + "/" + uid;
    if (letter_fd[letter] >= 0) {
        d.fd = letter_fd[letter];
        d.rel = uid;
    } else {
        d.fd = AT_FDCWD;
        d.rel = d.abs;
    }
    return d;
}

// Reads a whole file; false when it cannot be opened or read.
bool read_file(int dirfd, const std::string& path, std::string& out) {
    const int fd = openat(dirfd, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
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

// True when the file holds exactly text (not followed if a link). The file is read with room
// for one byte more than text, so a longer file shows as different.
bool same_content(int dirfd, const std::string& path, const std::string& text) {
    const int fd = openat(dirfd, path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string old(text.size() + 1, '\0');
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
    return done == text.size() && old.compare(0, done, text) == 0;
}

// Writes the script through a temporary file in the user directory, renamed over the
// script, so that the mail server never sees a partly written script. A script that already
// holds the text is left as it is.
void write_script(const UserDir& d, const std::string& text) {
    const std::string script = d.at(kLinkTarget);
    if (same_content(d.fd, script, text))
        return;
    const std::string tmp = d.at(kTempName);
    const std::string shown = d.full(kLinkTarget);
    const int fd =
        openat(d.fd, tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        die("cannot create " + shown);
    auto fail = [&](int err) {
        unlinkat(d.fd, tmp.c_str(), 0);
        die("cannot write " + shown + ": " + strerror(err));
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
    if (renameat(d.fd, tmp.c_str(), d.fd, script.c_str()) != 0)
        fail(errno);
}

void process_user(const User& u) {
    if (!safe_uid(u.uid)) {
        // Refused: nothing is touched; the other users are processed, the run fails.
        report("refusing uid " + u.uid + ": not usable as a directory name");
        ++failed_users;
        return;
    }
    const UserDir d = user_dir(u.uid);
    const std::string link = d.at("default");
    const std::string script = d.at(kLinkTarget);

    // One readlink tells whether the link exists (not following it) and what it names.
    char target[4096];
    const ssize_t n = readlinkat(d.fd, link.c_str(), target, sizeof target);
    const bool link_exists = n >= 0 || errno == EINVAL; // EINVAL: there, but no link
    if (n >= 0 && std::string(target, static_cast<size_t>(n)) != kLinkTarget) {
        if (debug)
            printf("User %s has a custom script\n", u.uid.c_str());
        unlinkat(d.fd, script.c_str(), 0);
        return;
    }

    struct stat st;
    if (!u.vacation && !u.spamfilter) {
        if (debug)
            printf("Disabling filters for user: %s\n", u.uid.c_str());
        if (link_exists && fstatat(d.fd, link.c_str(), &st, 0) == 0) {
            unlinkat(d.fd, script.c_str(), 0);
            unlinkat(d.fd, link.c_str(), 0);
            unlinkat(d.fd, d.at(kTempName).c_str(), 0);
            unlinkat(d.fd, d.rel.c_str(), AT_REMOVEDIR);
        }
        return;
    }

    if (debug)
        printf("Enabling filters for user: %s\n", u.uid.c_str());
    // With the link in place the directory exists.
    if (!link_exists && fstatat(d.fd, d.rel.c_str(), &st, 0) != 0 &&
        mkdirat(d.fd, d.rel.c_str(), 0700) != 0)
        die("cannot make directory " + d.abs + "\n");
    if (!link_exists && symlinkat(kLinkTarget, d.fd, link.c_str()) != 0)
        die("cannot make symlink " + d.full("default") + "\n");
    std::string custom;
    const bool have_custom = read_file(d.fd, d.at("custom.script"), custom);
    write_script(d, script_text(u, have_custom ? &custom : nullptr));
}

} // namespace

int main(int argc, char** argv) {
    tool_init({"rulesmith", kUsage, true, true});
    if (geteuid() != 0)
        die("rulesmith: Must run as user root");
    parse_conf();

    const passwd* pw = getpwnam("cyrus");
    if (!pw)
        die("rulesmith: Cannot find pw entry for user cyrus");
    const uid_t cyrus = pw->pw_uid;
    if (seteuid(cyrus) != 0)
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

    std::string only_uid;
    bool have_uid = false;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (opt_value(argv[i], "--uid=", value)) {
            argcheck("uid", value);
            only_uid = value;
            have_uid = true;
        } else if (strcmp(argv[i], "--debug") == 0) {
            debug = true;
        } else {
            usage();
        }
    }
    sieve_root = tool_path(kSieveDirEnv, kSieveDir);

    opt_user.clear();
    opt_pass.clear();
    do_bind();

    load_users();
    if (debug)
        print_users();
    load_groups();
    if (debug)
        print_groups();
    compile();
    if (debug)
        print_tree();

    if (have_uid) {
        const int u = find_user(only_uid);
        if (u < 0)
            die("can't find user entry for uid: " + only_uid);
        process_user(*users[u]);
    } else {
        for (const User* u : users)
            process_user(*u);
    }
    if (failed_users) {
        fflush(stdout);
        exit(1);
    }
    finish();
}
