// The directory as rulesmith sees it: the users and groups read from the server, sorted,
// and the compile step that links each user to its groups and each group to its parents.
#pragma once

#include "msgtool.h"

#include <deque>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

// Text kept for the whole run: NUL-terminated copies packed into large blocks, never freed
// (the blocks stay listed, so they remain reachable until the exit).
class TextStore {
public:
    char* alloc(size_t n, size_t align = 1);
    std::string_view copy(const char* data, size_t n);
    std::string_view copy(const berval& v) { return copy(v.bv_val, v.bv_len); }
    // "name@domain"
    std::string_view tag(std::string_view name, std::string_view domain);
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
    std::string_view tag; // name@domain
    std::string_view name;
    std::string_view domain;
    const std::string_view* umembers = nullptr;
    int numembers = 0;
    const std::string_view* gmembers = nullptr; // tags
    int ngmembers = 0;
    int first_parent = 0; // the parents: group_parents[first_parent, + nparents)
    int nparents = 0;
};

// Buffers of the directory reading, reused from entry to entry.
struct ReadScratch {
    std::vector<berval> vals;
    std::vector<berval> members;
    std::vector<std::string_view> allowed;
    std::vector<std::string_view> umembers;
    std::vector<std::string_view> gmembers;
};

struct Directory {
    // Records live in the stores (never moved once made); the tables point at them, users
    // sorted by uid, groups by tag.
    TextStore text;
    std::deque<User> user_store;
    std::deque<Group> group_store;
    std::vector<User*> users;
    std::vector<Group*> groups;
    std::vector<int> user_groups;   // indexes into groups, per user in table order
    std::vector<int> group_parents; // indexes into groups, per group in table order

    // The first position of the key in its table, -1 when absent.
    int find_user(std::string_view uid) const;
    int find_group(std::string_view tag) const;
    // The same for the names in member DNs, which match as the directory matches uid, cn
    // and ou: without regard to case (uid=carol names the user Carol). An exact match comes
    // first; otherwise the first entry whose key equals in lower case.
    int find_member_user(std::string_view uid);
    int find_member_group(std::string_view tag);

    // Keys in lower case with their table positions, sorted; made on the first need.
    std::vector<std::pair<std::string_view, int>> users_folded;
    std::vector<std::pair<std::string_view, int>> groups_folded;
    std::string fold_scratch;
};

// Reads every user and group below the suffix (the connection is bound). With debug, the
// user table and the group table are printed as they are complete.
void load_directory(Directory& dir, ReadScratch& scratch, bool debug);

// Links users to groups and groups to their parents; a member that names no entry is fatal.
void compile(Directory& dir);

// Calls visit(group index, level) for the group gi and, depth first, its parents. A group
// already on the current path is not followed again, so nesting cycles end.
template <typename Visit>
void walk_parents(const Directory& dir, int gi, int level, std::vector<int>& path, Visit& visit) {
    for (int p : path)
        if (p == gi)
            return;
    visit(gi, level);
    path.push_back(gi);
    const Group& g = *dir.groups[gi];
    for (int k = 0; k < g.nparents; ++k)
        walk_parents(dir, dir.group_parents[g.first_parent + k], level + 1, path, visit);
    path.pop_back();
}

// The debug output: the two tables and each user's groups with their nesting level.
void print_users(const Directory& dir);
void print_groups(const Directory& dir);
void print_tree(const Directory& dir);
