// The per-user file work below the Sieve tree: the user directory, its "default" link, the
// generated script (replaced through a temporary file) and the user's own script.
#pragma once

#include "directory.h"

#include <string>
#include <string_view>
#include <vector>

// The Sieve tree: DIR/<letter>/<uid>/, each one-letter directory opened once.
class SieveTree {
public:
    explicit SieveTree(std::string root) : root_(std::move(root)) {}
    // The directory the uid lies in: its descriptor (AT_FDCWD when it cannot be opened, then
    // names are made absolute) and its path.
    int letter_fd(std::string_view uid, const std::string*& path);

private:
    std::string root_;
    int fd_[256] = {};
    bool opened_[256] = {};
    std::string path_[256];
};

// Buffers of the per-user work, reused from user to user.
struct UserScratch {
    std::string dir;                       // the user directory's path, when not relative
    std::string name;                      // a path inside the user directory
    std::string custom;                    // the user's own script
    std::string text;                      // the script built
    std::string old;                       // the script found
    std::vector<int> path;                 // the group walk
    std::vector<std::string_view> groups;  // the user's group names, in walk order
};

// Rebuilds the files of one user. Returns false (after a message) when the user is refused
// and nothing was touched; fatal errors end the run.
bool process_user(const Directory& dir, const User& u, SieveTree& tree, UserScratch& scratch,
                  bool debug);
