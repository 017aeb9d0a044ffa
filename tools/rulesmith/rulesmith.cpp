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

std::vector<User> users;
std::vector<Group> groups;
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
            // An entry without uid has no place in the Sieve tree: it is left out.
            if (!entry_first(e, "uid", u.uid))
                return;
            entry_first(e, "ou", u.domain);
            entry_first(e, "mail", u.mail);
            u.localpart = u.mail.substr(0, u.mail.find('@'));
            std::string v;
            u.vacation = entry_first(e, "corvaneMsgVacationEnabled", v) && v == "TRUE";
            u.has_subject = entry_first(e, "corvaneMsgVacationSubject", u.subject);
            u.has_note = entry_first(e, "corvaneMsgVacationMessage", u.note);
            u.spamfilter = entry_first(e, "corvaneMsgSpamFilterEnabled", v) && v == "TRUE";
            u.spamdestroy = entry_first(e, "corvaneMsgSpamDestroyEnabled", v) && v == "TRUE";
            for (std::string& a : entry_values(e, "corvaneMsgSpamAllowed"))
                if (!a.empty())
                    u.allowed.push_back(std::move(a));
            users.push_back(std::move(u));
        },
        true);
    std::stable_sort(users.begin(), users.end(),
                     [](const User& a, const User& b) { return a.uid < b.uid; });
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
            groups.push_back(std::move(g));
        });
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.tag < b.tag; });
}

int find_user(const std::string& uid) {
    auto it = std::lower_bound(users.begin(), users.end(), uid,
                               [](const User& u, const std::string& k) { return u.uid < k; });
    if (it == users.end() || it->uid != uid)
        return -1;
    return static_cast<int>(it - users.begin());
}

int find_group(const std::string& tag) {
    auto it = std::lower_bound(groups.begin(), groups.end(), tag,
                               [](const Group& g, const std::string& k) { return g.tag < k; });
    if (it == groups.end() || it->tag != tag)
        return -1;
    return static_cast<int>(it - groups.begin());
}

void compile() {
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        for (const std::string& tag : groups[gi].gmembers) {
            const int m = find_group(tag);
            if (m < 0)
                die("can't find alias entry for tag: " + tag);
            groups[m].parents.push_back(static_cast<int>(gi));
        }
        for (const std::string& uid : groups[gi].umembers) {
            const int u = find_user(uid);
            if (u < 0)
                die("can't find user entry for uid: " + uid);
            users[u].groups.push_back(static_cast<int>(gi));
        }
    }
}

void print_users() {
    printf("\nUser table:\n\n");
    for (const User& u : users) {
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
    for (const Group& g : groups) {
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
    for (int p : groups[gi].parents)
        walk_parents(p, level + 1, path, visit);
    path.pop_back();
}

void print_tree() {
    printf("\nUser alias tree:\n\n");
    std::vector<int> path;
    auto visit = [](int gi, int level) {
        printf("alias:level %d:%s\n", level, groups[gi].tag.c_str());
    };
    for (const User& u : users) {
        printf("uid:%s\n", u.uid.c_str());
        printf("domain:%s\n", u.domain.c_str());
        for (int gi : u.groups)
            walk_parents(gi, 1, path, visit);
        printf("\n");
    }
}

// Text inside a Sieve quoted string: backslash before '"' and '\'.
std::string quoted(const std::string& s) {
    std::string out = "\"";
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

// Reads a whole file; false when it cannot be opened or read.
bool read_file(const std::string& path, std::string& out) {
    FILE* fp = fopen(path.c_str(), "r");
    if (!fp)
        return false;
    out.clear();
    char buf[8192];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
        out.append(buf, n);
    const bool ok = !ferror(fp);
    fclose(fp);
    return ok;
}

std::string script_text(const User& u, const std::string& custom_path) {
    std::string s = "require [\"vacation\", \"fileinto\", \"reject\", \"envelope\"];\n\n";
    if (u.vacation) {
        s += "vacation\n\t:days 1\n\t:addresses [" + quoted(u.mail) + "]\n\t:subject ";
        s += quoted(u.has_subject && !u.subject.empty() ? u.subject : "Absence Notification");
        s += "\ntext:\nThis is an automated reply:\nThis person is temporarily out of the office\n";
        if (u.has_note && !u.note.empty())
            s += "and has left the following note:\n\n" + dot_stuffed(u.note) + "\n";
        s += ".\n;\n\n";
    }
    std::string custom;
    if (read_file(custom_path, custom))
        s += "# user supplied script begins\n" + custom + "# user supplied script ends\n\n";
    if (u.spamfilter) {
        for (const std::string& a : u.allowed) {
            header_block(s, "from", a);
            s += "\n";
        }
        header_block(s, "to", u.localpart);
        header_block(s, "from", u.localpart);
        std::vector<int> path;
        auto visit = [&s](int gi, int) {
            header_block(s, "to", groups[gi].name);
            header_block(s, "cc", groups[gi].name);
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

// Writes the script through a temporary file in the user directory, renamed over the
// script, so that the mail server never sees a partly written script.
void write_script(const std::string& dir, const std::string& script, const std::string& text) {
    const std::string tmp = dir + "/" + kTempName;
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        die("cannot create " + script);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = errno;
            close(fd);
            unlink(tmp.c_str());
            die("cannot write " + script + ": " + strerror(err));
        }
        done += static_cast<size_t>(n);
    }
    if (close(fd) != 0) {
        const int err = errno;
        unlink(tmp.c_str());
        die("cannot write " + script + ": " + strerror(err));
    }
    if (rename(tmp.c_str(), script.c_str()) != 0) {
        const int err = errno;
        unlink(tmp.c_str());
        die("cannot write " + script + ": " + strerror(err));
    }
}

void process_user(const User& u) {
    if (!safe_uid(u.uid)) {
        // Refused: nothing is touched; the other users are processed, the run fails.
        report("refusing uid " + u.uid + ": not usable as a directory name");
        ++failed_users;
        return;
    }
    const unsigned char first = static_cast<unsigned char>(u.uid[0]);
    const char letter = (first >= 'a' && first <= 'z') ? static_cast<char>(first) : 'q';
    const std::string dir = sieve_root + "/" + letter + "/" + u.uid;
    const std::string link = dir + "/default";
    const std::string script = dir + "/" + kLinkTarget;
    const std::string custom = dir + "/custom.script";

    struct stat st;
    if (lstat(link.c_str(), &st) == 0) {
        char target[4096];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<size_t>(n)) != kLinkTarget) {
            if (debug)
                printf("User %s has a custom script\n", u.uid.c_str());
            unlink(script.c_str());
            return;
        }
    }

    if (!u.vacation && !u.spamfilter) {
        if (debug)
            printf("Disabling filters for user: %s\n", u.uid.c_str());
        if (stat(link.c_str(), &st) == 0) {
            unlink(script.c_str());
            unlink(link.c_str());
            unlink((dir + "/" + kTempName).c_str());
            rmdir(dir.c_str());
        }
        return;
    }

    if (debug)
        printf("Enabling filters for user: %s\n", u.uid.c_str());
    if (stat(dir.c_str(), &st) != 0 && mkdir(dir.c_str(), 0700) != 0)
        die("cannot make directory " + dir + "\n");
    if (lstat(link.c_str(), &st) != 0 && symlink(kLinkTarget, link.c_str()) != 0)
        die("cannot make symlink " + link + "\n");
    write_script(dir, script, script_text(u, custom));
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
        process_user(users[u]);
    } else {
        for (const User& u : users)
            process_user(u);
    }
    if (failed_users) {
        fflush(stdout);
        exit(1);
    }
    finish();
}
