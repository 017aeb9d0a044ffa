#include "directory.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <utility>

char* TextStore::alloc(size_t n, size_t align) {
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

std::string_view TextStore::copy(const char* data, size_t n) {
    char* p = alloc(n + 1);
    if (n)
        memcpy(p, data, n);
    p[n] = '\0';
    return {p, n};
}

std::string_view TextStore::tag(std::string_view name, std::string_view domain) {
    const size_t n = name.size() + 1 + domain.size();
    char* p = alloc(n + 1);
    memcpy(p, name.data(), name.size());
    p[name.size()] = '@';
    memcpy(p + name.size() + 1, domain.data(), domain.size());
    p[n] = '\0';
    return {p, n};
}

namespace {

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
template <typename Fn>
void for_attributes(LDAPMessage* e, std::vector<berval>& vals, Fn&& fn) {
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

void add_user(Directory& dir, ReadScratch& scratch, LDAPMessage* e) {
    TextStore& text = dir.text;
    std::vector<std::string_view>& allowed = scratch.allowed;
    allowed.clear();
    User u;
    bool have_uid = false;
    for_attributes(e, scratch.vals, [&](const berval& name, const berval* vals, size_t n) {
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
    dir.user_store.push_back(u);
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

void add_group(Directory& dir, ReadScratch& scratch, LDAPMessage* e) {
    TextStore& text = dir.text;
    std::vector<std::string_view>& umembers = scratch.umembers;
    std::vector<std::string_view>& gmembers = scratch.gmembers;
    std::vector<berval>& members = scratch.members;
    members.clear();
    umembers.clear();
    gmembers.clear();
    Group g;
    // Each attribute counts at its first appearance only; cn or ou without a value is missing.
    bool seen_cn = false, seen_ou = false, seen_member = false;
    bool have_cn = false, have_ou = false;
    for_attributes(e, scratch.vals, [&](const berval& name, const berval* vals, size_t n) {
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
            gmembers.push_back(text.tag({first.bv_val, first.bv_len}, {ou.bv_val, ou.bv_len}));
        }
        ldap_dnfree(parsed);
    }
    g.tag = text.tag(g.name, g.domain);
    auto keep = [&text](const std::vector<std::string_view>& v, const std::string_view*& list,
                   int& count) {
        std::string_view* a = text.array<std::string_view>(v.size());
        std::copy(v.begin(), v.end(), a);
        list = a;
        count = static_cast<int>(v.size());
    };
    keep(umembers, g.umembers, g.numembers);
    keep(gmembers, g.gmembers, g.ngmembers);
    dir.group_store.push_back(g);
}

// The table of the records of a store, sorted by key (records with equal keys in the order
// received).
template <typename Rec>
void sort_table(std::deque<Rec>& store, std::vector<Rec*>& table, std::string_view Rec::*key) {
    table.reserve(store.size());
    for (Rec& r : store)
        table.push_back(&r);
    std::stable_sort(table.begin(), table.end(),
                     [key](const Rec* a, const Rec* b) { return a->*key < b->*key; });
}

// Exact match in a table sorted by key: the first position holding the key, -1 when absent.
template <typename Rec>
int find_sorted(const std::vector<Rec*>& table, std::string_view Rec::*key, std::string_view want) {
    const auto it = std::lower_bound(table.begin(), table.end(), want,
                                     [key](const Rec* r, std::string_view k) { return r->*key < k; });
    if (it == table.end() || (*it)->*key != want)
        return -1;
    return static_cast<int>(it - table.begin());
}

// Lists, for each of n owners, the values paired with it, in the order of the pairs; set(owner,
// first, count) records where an owner's list lies in out.
template <typename Set>
void fill_lists(size_t n, const std::vector<std::pair<int, int>>& pairs, std::vector<int>& out,
                Set&& set) {
    std::vector<int> count(n + 1, 0);
    for (const auto& p : pairs)
        ++count[p.first + 1];
    for (size_t i = 0; i < n; ++i)
        count[i + 1] += count[i];
    for (size_t i = 0; i < n; ++i)
        set(i, count[i], count[i + 1] - count[i]);
    out.assign(pairs.size(), 0);
    for (const auto& p : pairs)
        out[count[p.first]++] = p.second;
}

} // namespace

int Directory::find_user(std::string_view uid) const {
    return find_sorted(users, &User::uid, uid);
}

int Directory::find_group(std::string_view tag) const {
    return find_sorted(groups, &Group::tag, tag);
}

namespace {

void fold_ascii(std::string_view in, std::string& out) {
    out.assign(in.data(), in.size());
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

// Position of key in lower case, through the folded index of table (made when empty).
template <typename Rec>
int find_folded(const std::vector<Rec*>& table, std::string_view Rec::*key,
                std::vector<std::pair<std::string_view, int>>& index, TextStore& text,
                std::string& scratch, std::string_view want) {
    if (index.empty() && !table.empty()) {
        index.reserve(table.size());
        for (size_t i = 0; i < table.size(); ++i) {
            fold_ascii(table[i]->*key, scratch);
            index.emplace_back(text.copy(scratch.data(), scratch.size()), static_cast<int>(i));
        }
        // Equal keys keep table order, so the first of them counts.
        std::stable_sort(index.begin(), index.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    fold_ascii(want, scratch);
    const std::string_view k(scratch);
    const auto it = std::lower_bound(index.begin(), index.end(), k,
                                     [](const auto& e, std::string_view v) { return e.first < v; });
    if (it == index.end() || it->first != k)
        return -1;
    return it->second;
}

} // namespace

int Directory::find_member_user(std::string_view uid) {
    const int exact = find_user(uid);
    if (exact >= 0)
        return exact;
    return find_folded(users, &User::uid, users_folded, text, fold_scratch, uid);
}

int Directory::find_member_group(std::string_view tag) {
    const int exact = find_group(tag);
    if (exact >= 0)
        return exact;
    return find_folded(groups, &Group::tag, groups_folded, text, fold_scratch, tag);
}

// The users are loaded (and printed) first, then the groups (read_two_searches: one after the
// other when paged, both outstanding at once otherwise); a fault in a group entry shows only
// after the user table.
void load_directory(Directory& dir, ReadScratch& scratch, bool debug) {
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
    SearchSpec user_search;
    user_search.base = opt_suff;
    user_search.filter = fbuild("(objectclass=msgUser)");
    user_search.attrs = user_attrs;
    SearchSpec group_search;
    group_search.base = opt_suff;
    group_search.filter = fbuild("(objectclass=msgGroup)");
    group_search.attrs = group_attrs;
    opt_base = opt_suff;

    read_two_searches(
        user_search, group_search, true,
        [&](LDAPMessage* entry) { add_user(dir, scratch, entry); },
        [&] {
            sort_table(dir.user_store, dir.users, &User::uid);
            if (debug)
                print_users(dir);
        },
        [&](LDAPMessage* entry) { add_group(dir, scratch, entry); });
    sort_table(dir.group_store, dir.groups, &Group::tag);
    if (debug)
        print_groups(dir);
}

void compile(Directory& dir) {
    const std::vector<Group*>& groups = dir.groups;
    const std::vector<User*>& users = dir.users;
    std::vector<std::pair<int, int>> parent_of; // (member group, parent group)
    std::vector<std::pair<int, int>> group_of;  // (user, group)
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const Group& g = *groups[gi];
        for (int k = 0; k < g.ngmembers; ++k) {
            const int m = dir.find_member_group(g.gmembers[k]);
            if (m < 0)
                die("can't find alias entry for tag: " + std::string(g.gmembers[k]));
            parent_of.emplace_back(m, static_cast<int>(gi));
        }
        for (int k = 0; k < g.numembers; ++k) {
            const int u = dir.find_member_user(g.umembers[k]);
            if (u < 0)
                die("can't find user entry for uid: " + std::string(g.umembers[k]));
            group_of.emplace_back(u, static_cast<int>(gi));
        }
    }
    fill_lists(groups.size(), parent_of, dir.group_parents, [&](size_t i, int first, int count) {
        groups[i]->first_parent = first;
        groups[i]->nparents = count;
    });
    fill_lists(users.size(), group_of, dir.user_groups, [&](size_t i, int first, int count) {
        users[i]->first_group = first;
        users[i]->ngroups = count;
    });
}

void print_users(const Directory& dir) {
    printf("\nUser table:\n\n");
    for (const User* up : dir.users) {
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

void print_groups(const Directory& dir) {
    printf("\nAlias table:\n\n");
    for (const Group* gp : dir.groups) {
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

void print_tree(const Directory& dir) {
    printf("\nUser alias tree:\n\n");
    std::vector<int> path;
    auto visit = [&dir](int gi, int level) {
        printf("alias:level %d:%s\n", level, dir.groups[gi]->tag.data());
    };
    for (const User* u : dir.users) {
        printf("uid:%s\n", u->uid.data());
        printf("domain:%s\n", u->domain.data());
        for (int k = 0; k < u->ngroups; ++k)
            walk_parents(dir, dir.user_groups[u->first_group + k], 1, path, visit);
        printf("\n");
    }
}
