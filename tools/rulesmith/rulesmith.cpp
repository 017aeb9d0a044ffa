// rulesmith: writes every mail user's Sieve script (vacation reply, spam filter, the user's
// own script) from the directory into the Sieve tree, as the cyrus user.
#include "msgtool.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
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

// Text kept for the whole run: NUL-terminated copies packed into large blocks, never freed
// (the blocks stay listed, so they remain reachable until the exit).
class TextStore {
public:
    char* alloc(size_t n, size_t align = 1) {
        size_t pad = (align - reinterpret_cast<uintptr_t>(cur_) % align) % align;
        if (pad + n > left_) {
            const size_t size = std::max(n + align, kBlock);
            blocks_.push_back(static_cast<char*>(malloc(size)));
            if (!blocks_.back())
                die("Malloc out of memory");
            cur_ = blocks_.back();
            left_ = size;
            pad = (align - reinterpret_cast<uintptr_t>(cur_) % align) % align;
        }
        char* p = cur_ + pad;
        cur_ += pad + n;
        left_ -= pad + n;
        return p;
    }
    std::string_view copy(const char* data, size_t n) {
        char* p = alloc(n + 1);
        if (n)
            memcpy(p, data, n);
        p[n] = '\0';
        return {p, n};
    }
    std::string_view copy(const berval& v) { return copy(v.bv_val, v.bv_len); }
    template <typename T> T* array(size_t n) {
        return reinterpret_cast<T*>(alloc(n * sizeof(T) + 1, alignof(T)));
    }

private:
    static constexpr size_t kBlock = 1 << 20;
    std::vector<char*> blocks_;
    char* cur_ = nullptr;
    size_t left_ = 0;
};

// Every string of a record is NUL-terminated in the store, so data() can be printed with %s.
struct User {
    std::string_view uid;
    std::string_view domain;
    std::string_view mail;
    std::string_view localpart;
    bool vacation = false;
    bool has_subject = false;
    std::string_view subject;
    bool has_note = false;
    std::string_view note;
    bool spamfilter = false;
    bool spamdestroy = false;
    const std::string_view* allowed = nullptr;
    int nallowed = 0;
    int first_group = 0; // the user's groups: user_groups[first_group, + ngroups)
    int ngroups = 0;
};

struct Group {
    std::string_view tag;
    std::string_view name;
    std::string_view domain;
    const std::string_view* umembers = nullptr;
    int numembers = 0;
    const std::string_view* gmembers = nullptr;
    int ngmembers = 0;
    int first_parent = 0; // the parents: group_parents[first_parent, + nparents)
    int nparents = 0;
};

// Records live in the stores (never moved once made); the tables point at them, sorted.
TextStore text;
std::deque<User> user_store;
std::deque<Group> group_store;
std::vector<User*> users;
std::vector<Group*> groups;
std::vector<int> user_groups;   // indexes into the group table, per user in table order
std::vector<int> group_parents; // indexes into the group table, per group in table order
bool debug = false;
std::string sieve_root;
int failed_users = 0;

const char* tf(bool b) {
    return b ? "TRUE" : "FALSE";
}

bool name_is(const berval& name, const char* want, size_t len) {
    return name.bv_len == len && strncasecmp(name.bv_val, want, len) == 0;
}
#define NAME_IS(name, lit) name_is(name, lit, sizeof(lit) - 1)

// Calls fn(name, values, count) for each attribute of an entry, in the order received. The
// names and values point into the message (not NUL-terminated); values is reused between
// calls.
template <typename Fn> void for_attributes(LDAPMessage* e, Fn&& fn) {
    static std::vector<berval> vals;
    BerElement* ber = nullptr;
    berval dn = {0, nullptr};
    if (ldap_get_dn_ber(ld, e, &ber, &dn) != LDAP_SUCCESS) {
        if (ber)
            ber_free(ber, 0);
        return;
    }
    for (;;) {
        // PartialAttribute ::= SEQUENCE { type, vals SET OF value }
        berval name = {0, nullptr};
        if (ber_scanf(ber, "{m", &name) == LBER_ERROR)
            break;
        vals.clear();
        ber_len_t len = 0;
        char* last = nullptr;
        for (ber_tag_t t = ber_first_element(ber, &len, &last); t != LBER_DEFAULT;
             t = ber_next_element(ber, &len, last)) {
            berval v = {0, nullptr};
            if (ber_get_stringbv(ber, &v, LBER_BV_NOTERM) == LBER_DEFAULT)
                break;
            vals.push_back(v);
        }
        fn(name, vals.data(), vals.size());
    }
    ber_free(ber, 0);
}

void add_user(LDAPMessage* e) {
    static std::vector<std::string_view> allowed;
    allowed.clear();
    User u;
    bool have_uid = false;
    for_attributes(e, [&](const berval& name, const berval* vals, size_t n) {
        if (n == 0)
            return;
        const berval& first = vals[0];
        auto is_true = [&first] {
            return first.bv_len == 4 && memcmp(first.bv_val, "TRUE", 4) == 0;
        };
        if (NAME_IS(name, "uid")) {
            u.uid = text.copy(first);
            have_uid = true;
        } else if (NAME_IS(name, "ou")) {
            u.domain = text.copy(first);
        } else if (NAME_IS(name, "mail")) {
            u.mail = text.copy(first);
        } else if (NAME_IS(name, "corvaneMsgVacationEnabled")) {
            u.vacation = is_true();
        } else if (NAME_IS(name, "corvaneMsgVacationSubject")) {
            u.subject = text.copy(first);
            u.has_subject = true;
        } else if (NAME_IS(name, "corvaneMsgVacationMessage")) {
            u.note = text.copy(first);
            u.has_note = true;
        } else if (NAME_IS(name, "corvaneMsgSpamFilterEnabled")) {
            u.spamfilter = is_true();
        } else if (NAME_IS(name, "corvaneMsgSpamDestroyEnabled")) {
            u.spamdestroy = is_true();
        } else if (NAME_IS(name, "corvaneMsgSpamAllowed")) {
            for (size_t i = 0; i < n; ++i)
                if (vals[i].bv_len > 0)
                    allowed.push_back(text.copy(vals[i]));
        }
    });
    // An entry without uid has no place in the Sieve tree: it is left out.
    if (!have_uid)
        return;
    u.localpart = u.mail.substr(0, u.mail.find('@'));
    if (!allowed.empty()) {
        std::string_view* list = text.array<std::string_view>(allowed.size());
        std::copy(allowed.begin(), allowed.end(), list);
        u.allowed = list;
        u.nallowed = static_cast<int>(allowed.size());
    }
    user_store.push_back(u);
}

[[noreturn]] void not_in_dn(const char* name, const berval& dn) {
    die(std::string(name) + " not found in dn: " + std::string(dn.bv_val, dn.bv_len));
}

bool attr_is(const LDAPAVA* ava, const char* name) {
    return ava->la_attr.bv_len == strlen(name) &&
           strncasecmp(ava->la_attr.bv_val, name, ava->la_attr.bv_len) == 0;
}

bool starts_with(const berval& v, const char* prefix, size_t len) {
    return v.bv_len >= len && memcmp(v.bv_val, prefix, len) == 0;
}

void add_group(LDAPMessage* e) {
    static std::vector<std::string_view> umembers;
    static std::vector<std::string_view> gmembers;
    static std::vector<berval> members;
    members.clear();
    umembers.clear();
    gmembers.clear();
    Group g;
    // Each attribute counts at its first appearance only; cn or ou without a value is missing.
    bool seen_cn = false, seen_ou = false, seen_member = false;
    bool have_cn = false, have_ou = false;
    for_attributes(e, [&](const berval& name, const berval* vals, size_t n) {
        if (!seen_cn && NAME_IS(name, "cn")) {
            seen_cn = true;
            if ((have_cn = n > 0))
                g.name = text.copy(vals[0]);
        } else if (!seen_ou && NAME_IS(name, "ou")) {
            seen_ou = true;
            if ((have_ou = n > 0))
                g.domain = text.copy(vals[0]);
        } else if (!seen_member && NAME_IS(name, "member")) {
            seen_member = true;
            members.assign(vals, vals + n);
        }
    });
    if (!have_cn || !have_ou)
        return;
    for (const berval& dn : members) {
        {
            {
                const bool is_uid = starts_with(dn, "uid=", 4);
                if (!is_uid && !starts_with(dn, "cn=", 3))
                    continue;
                // Unescaped RDN values come from the parsed DN (the first value of a
                // multi-valued RDN).
                berval copy = dn;
                LDAPDN parsed = nullptr;
                if (ldap_bv2dn(&copy, &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS || !parsed ||
                    !parsed[0] || !attr_is(parsed[0][0], is_uid ? "uid" : "cn")) {
                    if (parsed)
                        ldap_dnfree(parsed);
                    not_in_dn(is_uid ? "uid" : "cn", dn);
                }
                const berval& first = parsed[0][0]->la_value;
                if (is_uid) {
                    umembers.push_back(text.copy(first));
                } else {
                    // The member group's domain: the first ou after the container whose
                    // name holds "MSG" (ou=MSG Groups).
                    size_t i = 1;
                    auto holds_msg = [](const berval& v) {
                        return std::string_view(v.bv_val, v.bv_len).find("MSG") !=
                               std::string_view::npos;
                    };
                    while (parsed[i] && !holds_msg(parsed[i][0]->la_value))
                        ++i;
                    if (!parsed[i]) {
                        ldap_dnfree(parsed);
                        not_in_dn("MSG", dn);
                    }
                    ++i;
                    while (parsed[i] && !attr_is(parsed[i][0], "ou"))
                        ++i;
                    if (!parsed[i]) {
                        ldap_dnfree(parsed);
                        not_in_dn("ou", dn);
                    }
                    const berval& ou = parsed[i][0]->la_value;
                    char* tag = text.alloc(first.bv_len + 1 + ou.bv_len + 1);
                    memcpy(tag, first.bv_val, first.bv_len);
                    tag[first.bv_len] = '@';
                    memcpy(tag + first.bv_len + 1, ou.bv_val, ou.bv_len);
                    tag[first.bv_len + 1 + ou.bv_len] = '\0';
                    gmembers.emplace_back(tag, first.bv_len + 1 + ou.bv_len);
                }
                ldap_dnfree(parsed);
            }
        }
    }
    char* tag = text.alloc(g.name.size() + 1 + g.domain.size() + 1);
    memcpy(tag, g.name.data(), g.name.size());
    tag[g.name.size()] = '@';
    memcpy(tag + g.name.size() + 1, g.domain.data(), g.domain.size());
    tag[g.name.size() + 1 + g.domain.size()] = '\0';
    g.tag = std::string_view(tag, g.name.size() + 1 + g.domain.size());
    auto keep = [](const std::vector<std::string_view>& v, const std::string_view*& list,
                   int& count) {
        std::string_view* a = text.array<std::string_view>(v.size());
        std::copy(v.begin(), v.end(), a);
        list = a;
        count = static_cast<int>(v.size());
    };
    keep(umembers, g.umembers, g.numembers);
    keep(gmembers, g.gmembers, g.ngmembers);
    group_store.push_back(g);
}

void print_users();
void print_groups();

// Both searches are kept outstanding on the connection at once, so that the server works on
// the groups while the users are read. Messages of the group search that arrive before the
// user search is complete are kept and taken afterwards: the users are loaded (and printed)
// first, and a fault in a group entry shows only after that, as when the searches ran one
// after the other.
void load_directory() {
    const char* user_attrs[] = {"uid",
                                "ou",
                                "mail",
                                "corvaneMsgVacationEnabled",
                                "corvaneMsgVacationSubject",
                                "corvaneMsgVacationMessage",
                                "corvaneMsgSpamFilterEnabled",
                                "corvaneMsgSpamDestroyEnabled",
                                "corvaneMsgSpamAllowed",
                                nullptr};
    const char* group_attrs[] = {"cn", "ou", "member", nullptr};
    opt_base = opt_suff;
    int user_msg = 0;
    if (search_begin(opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgUser)"), user_attrs, 0,
                     user_msg) != LDAP_SUCCESS)
        search_begin_failed(true);
    int group_msg = 0;
    const bool groups_started =
        search_begin(opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgGroup)"), group_attrs, 0,
                     group_msg) == LDAP_SUCCESS;

    std::vector<LDAPMessage*> early_groups;
    bool groups_done = !groups_started;
    for (;;) {
        LDAPMessage* res = nullptr;
        const int type = search_next(LDAP_RES_ANY, res);
        const int id = ldap_msgid(res);
        if (id == user_msg) {
            if (type == LDAP_RES_SEARCH_RESULT) {
                search_check_result(res);
                break;
            }
            if (type == LDAP_RES_SEARCH_ENTRY)
                add_user(res);
        } else if (groups_started && id == group_msg) {
            early_groups.push_back(res);
            if (type == LDAP_RES_SEARCH_RESULT)
                groups_done = true;
            continue;
        }
        ldap_msgfree(res);
    }
    users.reserve(user_store.size());
    for (User& u : user_store)
        users.push_back(&u);
    std::stable_sort(users.begin(), users.end(),
                     [](const User* a, const User* b) { return a->uid < b->uid; });
    if (debug)
        print_users();

    if (!groups_started)
        search_begin_failed(false);
    auto take_group = [](int type, LDAPMessage* res) {
        if (type == LDAP_RES_SEARCH_RESULT) {
            search_check_result(res);
            return;
        }
        if (type == LDAP_RES_SEARCH_ENTRY)
            add_group(res);
        ldap_msgfree(res);
    };
    for (LDAPMessage* res : early_groups)
        take_group(ldap_msgtype(res), res);
    early_groups = std::vector<LDAPMessage*>();
    while (!groups_done) {
        LDAPMessage* res = nullptr;
        const int type = search_next(group_msg, res);
        groups_done = type == LDAP_RES_SEARCH_RESULT;
        take_group(type, res);
    }
    groups.reserve(group_store.size());
    for (Group& g : group_store)
        groups.push_back(&g);
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group* a, const Group* b) { return a->tag < b->tag; });
    if (debug)
        print_groups();
}

// Exact-match index over a sorted table: an open-addressing hash of the keys, holding for
// each key its first position in the table (what a search by halving for the lowest match
// finds).
class KeyIndex {
public:
    template <typename Rec> void build(const std::vector<Rec*>& table, std::string_view Rec::*key) {
        size_t size = 16;
        while (size < table.size() * 2)
            size <<= 1;
        slots_.assign(size, -1);
        mask_ = size - 1;
        keys_.resize(table.size());
        for (size_t i = 0; i < table.size(); ++i) {
            keys_[i] = table[i]->*key;
            size_t h = hash(keys_[i]) & mask_;
            while (slots_[h] >= 0 && keys_[slots_[h]] != keys_[i])
                h = (h + 1) & mask_;
            if (slots_[h] < 0)
                slots_[h] = static_cast<int>(i);
        }
    }
    int find(std::string_view key) const {
        if (keys_.empty())
            return -1;
        for (size_t h = hash(key) & mask_; slots_[h] >= 0; h = (h + 1) & mask_)
            if (keys_[slots_[h]] == key)
                return slots_[h];
        return -1;
    }

private:
    static size_t hash(std::string_view s) {
        uint64_t h = 1469598103934665603ull;
        for (unsigned char c : s)
            h = (h ^ c) * 1099511628211ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
    std::vector<int> slots_;
    std::vector<std::string_view> keys_;
    size_t mask_ = 0;
};

KeyIndex user_index;
KeyIndex group_index;

int find_user(std::string_view uid) {
    return user_index.find(uid);
}

// Lists, for each of n owners, the values paired with it, in the order of the pairs.
void fill_lists(size_t n, const std::vector<std::pair<int, int>>& pairs, std::vector<int>& out,
                const std::function<void(int, int, int)>& set) {
    std::vector<int> count(n + 1, 0);
    for (const auto& p : pairs)
        ++count[p.first + 1];
    for (size_t i = 0; i < n; ++i)
        count[i + 1] += count[i];
    for (size_t i = 0; i < n; ++i)
        set(static_cast<int>(i), count[i], count[i + 1] - count[i]);
    out.assign(pairs.size(), 0);
    for (const auto& p : pairs)
        out[count[p.first]++] = p.second;
}

void compile() {
    user_index.build(users, &User::uid);
    group_index.build(groups, &Group::tag);
    std::vector<std::pair<int, int>> parent_of; // (member group, parent group)
    std::vector<std::pair<int, int>> group_of;  // (user, group)
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const Group& g = *groups[gi];
        for (int k = 0; k < g.ngmembers; ++k) {
            const int m = group_index.find(g.gmembers[k]);
            if (m < 0)
                die("can't find alias entry for tag: " + std::string(g.gmembers[k]));
            parent_of.emplace_back(m, static_cast<int>(gi));
        }
        for (int k = 0; k < g.numembers; ++k) {
            const int u = user_index.find(g.umembers[k]);
            if (u < 0)
                die("can't find user entry for uid: " + std::string(g.umembers[k]));
            group_of.emplace_back(u, static_cast<int>(gi));
        }
    }
    fill_lists(groups.size(), parent_of, group_parents, [](int i, int first, int count) {
        groups[i]->first_parent = first;
        groups[i]->nparents = count;
    });
    fill_lists(users.size(), group_of, user_groups, [](int i, int first, int count) {
        users[i]->first_group = first;
        users[i]->ngroups = count;
    });
}

void print_users() {
    printf("\nUser table:\n\n");
    for (const User* up : users) {
        const User& u = *up;
        printf("uid:%s\n", u.uid.data());
        printf("domain:%s\n", u.domain.data());
        printf("vacationenabled:%s\n", tf(u.vacation));
        if (u.has_subject)
            printf("vacationsubject:%s\n", u.subject.data());
        if (u.has_note)
            printf("vacationmessage:%s\n", u.note.data());
        printf("spamfilterenabled:%s\n", tf(u.spamfilter));
        printf("spamdestroyenabled:%s\n", tf(u.spamdestroy));
        for (int i = 0; i < u.nallowed; ++i)
            printf("spamallowed:%s\n", u.allowed[i].data());
        printf("\n");
    }
}

void print_groups() {
    printf("\nAlias table:\n\n");
    for (const Group* gp : groups) {
        const Group& g = *gp;
        printf("tag:%s\n", g.tag.data());
        printf("name:%s\n", g.name.data());
        printf("domain:%s\n", g.domain.data());
        for (int i = 0; i < g.numembers; ++i)
            printf("umember:%s\n", g.umembers[i].data());
        for (int i = 0; i < g.ngmembers; ++i)
            printf("amember:%s\n", g.gmembers[i].data());
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
    const Group& g = *groups[gi];
    for (int k = 0; k < g.nparents; ++k)
        walk_parents(group_parents[g.first_parent + k], level + 1, path, visit);
    path.pop_back();
}

void print_tree() {
    printf("\nUser alias tree:\n\n");
    std::vector<int> path;
    auto visit = [](int gi, int level) {
        printf("alias:level %d:%s\n", level, groups[gi]->tag.data());
    };
    for (const User* u : users) {
        printf("uid:%s\n", u->uid.data());
        printf("domain:%s\n", u->domain.data());
        for (int k = 0; k < u->ngroups; ++k)
            walk_parents(user_groups[u->first_group + k], 1, path, visit);
        printf("\n");
    }
}

// Appends s as a Sieve quoted string: backslash before '"' and '\'.
void append_quoted(std::string& out, std::string_view s) {
    out += '"';
    size_t from = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"' || s[i] == '\\') {
            out.append(s.data() + from, i - from);
            out += '\\';
            from = i;
        }
    }
    out.append(s.data() + from, s.size() - from);
    out += '"';
}

// Appends s as text inside a Sieve "text:" block: a line beginning with "." gets another "."
// in front, so that no line of the value can end the block.
void append_dot_stuffed(std::string& out, std::string_view s) {
    bool line_start = true;
    for (char c : s) {
        if (line_start && c == '.')
            out += '.';
        out += c;
        line_start = c == '\n';
    }
}

void header_block(std::string& out, const char* header, std::string_view value) {
    out += "if header :contains \"";
    out += header;
    out += "\" ";
    append_quoted(out, value);
    out += " {\n\tkeep;\n\tstop;\n}\n";
}

// Builds the script of a user into s (replacing its contents).
void script_text(const User& u, const std::string* custom, std::string& s) {
    s.clear();
    s += "require [\"vacation\", \"fileinto\", \"reject\", \"envelope\"];\n\n";
    if (u.vacation) {
        s += "vacation\n\t:days 1\n\t:addresses [";
        append_quoted(s, u.mail);
        s += "]\n\t:subject ";
        append_quoted(s, u.has_subject && !u.subject.empty() ? u.subject : "Absence Notification");
        s += "\ntext:\nThis is an automated reply:\nThis person is temporarily out of the office\n";
        if (u.has_note && !u.note.empty()) {
            s += "and has left the following note:\n\n";
            append_dot_stuffed(s, u.note);
            s += "\n";
        }
        s += ".\n;\n\n";
    }
    if (custom) {
        s += "# user supplied script begins\n";
        s += *custom;
        s += "# user supplied script ends\n\n";
    }
    if (u.spamfilter) {
        for (int i = 0; i < u.nallowed; ++i) {
            header_block(s, "from", u.allowed[i]);
            s += "\n";
        }
        header_block(s, "to", u.localpart);
        header_block(s, "from", u.localpart);
        static std::vector<int> path;
        auto visit = [&s](int gi, int) {
            header_block(s, "to", groups[gi]->name);
            header_block(s, "cc", groups[gi]->name);
            s += "\n";
        };
        for (int k = 0; k < u.ngroups; ++k)
            walk_parents(user_groups[u.first_group + k], 1, path, visit);
        if (!u.spamdestroy)
            s += "fileinto \"inbox.spam\";\n";
        s += "discard;\n";
    }
}

// A uid names a directory below the Sieve tree: it must be one path component.
bool safe_uid(std::string_view uid) {
    return !uid.empty() && uid != "." && uid != ".." && uid.find('/') == std::string_view::npos &&
           uid.find('\0') == std::string_view::npos;
}

// The directory of the user being processed: names inside it are resolved against the
// one-letter directory, opened once, which keeps the path lookups short. The paths are built
// in buffers reused from user to user; full paths are made only for the messages.
struct UserDir {
    int fd = AT_FDCWD;
    std::string rel;    // the user directory, relative to fd
    std::string letter; // the one-letter directory, for the messages
    std::string link;   // rel + "/default"
    std::string script; // rel + "/msg.script"
    std::string temp;   // rel + "/msg.script.new"
    std::string custom; // rel + "/custom.script"
    std::string_view uid;

    std::string abs() const { return letter + "/" + std::string(uid); }
    std::string full(const char* name) const { return abs() + "/" + name; }
};

void set_path(std::string& path, const std::string& dir, const char* name) {
    path.assign(dir);
    path += '/';
    path += name;
}

void user_dir(std::string_view uid, UserDir& d) {
    static int letter_fd[256];
    static bool opened[256];
    static std::string letter_dir[256];
    const unsigned char first = static_cast<unsigned char>(uid[0]);
    const unsigned char letter = (first >= 'a' && first <= 'z') ? first : 'q';
    if (!opened[letter]) {
        letter_dir[letter] = sieve_root + "/" + static_cast<char>(letter);
        letter_fd[letter] = open(letter_dir[letter].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        opened[letter] = true;
    }
    d.uid = uid;
    d.letter = letter_dir[letter];
    if (letter_fd[letter] >= 0) {
        d.fd = letter_fd[letter];
        d.rel.assign(uid.data(), uid.size());
    } else {
        d.fd = AT_FDCWD;
        d.rel = d.abs();
    }
    set_path(d.link, d.rel, "default");
    set_path(d.script, d.rel, kLinkTarget);
    set_path(d.temp, d.rel, kTempName);
    set_path(d.custom, d.rel, "custom.script");
}

// Reads a whole file into out; false when it cannot be opened or read.
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
    static std::string old;
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

// Writes the script through a temporary file in the user directory, renamed over the
// script, so that the mail server never sees a partly written script. A script that already
// holds the text is left as it is.
void write_script(const UserDir& d, const std::string& text) {
    if (same_content(d.fd, d.script, text))
        return;
    const std::string shown = d.full(kLinkTarget);
    const int fd =
        openat(d.fd, d.temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        die("cannot create " + shown);
    auto fail = [&](int err) {
        unlinkat(d.fd, d.temp.c_str(), 0);
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
    if (renameat(d.fd, d.temp.c_str(), d.fd, d.script.c_str()) != 0)
        fail(errno);
}

void process_user(const User& u) {
    if (!safe_uid(u.uid)) {
        // Refused: nothing is touched; the other users are processed, the run fails.
        report("refusing uid " + std::string(u.uid) + ": not usable as a directory name");
        ++failed_users;
        return;
    }
    static UserDir d;
    user_dir(u.uid, d);

    // One readlink tells whether the link exists (not following it) and what it names.
    char target[4096];
    const ssize_t n = readlinkat(d.fd, d.link.c_str(), target, sizeof target);
    const bool link_exists = n >= 0 || errno == EINVAL; // EINVAL: there, but no link
    if (n >= 0 && std::string_view(target, static_cast<size_t>(n)) != kLinkTarget) {
        if (debug)
            printf("User %s has a custom script\n", u.uid.data());
        unlinkat(d.fd, d.script.c_str(), 0);
        return;
    }

    struct stat st;
    if (!u.vacation && !u.spamfilter) {
        if (debug)
            printf("Disabling filters for user: %s\n", u.uid.data());
        if (link_exists && fstatat(d.fd, d.link.c_str(), &st, 0) == 0) {
            unlinkat(d.fd, d.script.c_str(), 0);
            unlinkat(d.fd, d.link.c_str(), 0);
            unlinkat(d.fd, d.temp.c_str(), 0);
            unlinkat(d.fd, d.rel.c_str(), AT_REMOVEDIR);
        }
        return;
    }

    if (debug)
        printf("Enabling filters for user: %s\n", u.uid.data());
    // With the link in place the directory exists.
    if (!link_exists && fstatat(d.fd, d.rel.c_str(), &st, 0) != 0 &&
        mkdirat(d.fd, d.rel.c_str(), 0700) != 0)
        die("cannot make directory " + d.abs() + "\n");
    if (!link_exists && symlinkat(kLinkTarget, d.fd, d.link.c_str()) != 0)
        die("cannot make symlink " + d.full("default") + "\n");
    static std::string custom;
    static std::string text;
    const bool have_custom = read_file(d.fd, d.custom, custom);
    script_text(u, have_custom ? &custom : nullptr, text);
    write_script(d, text);
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

    load_directory();
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
