// The text of a user's Sieve script: pure functions over byte strings (no directory, no
// files), so that tests and fuzz targets can drive them directly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sieve {

// Appends s as a Sieve quoted string: a backslash before each '"' and '\'.
void append_quoted(std::string& out, std::string_view s);

// Appends s as text inside a Sieve "text:" block: a line beginning with "." gets another "."
// in front, so that no line of the value can end the block.
void append_dot_stuffed(std::string& out, std::string_view s);

// Appends: if header :contains "<header>" "<value>" { keep; stop; }
void append_header_block(std::string& out, std::string_view header, std::string_view value);

// What a user's script is made of. The views must stay valid while script_text runs.
struct ScriptParts {
    std::string_view mail;      // the address of the vacation reply
    std::string_view localpart; // the mail address up to its '@'
    bool vacation = false;
    std::string_view subject; // empty: the default subject
    std::string_view note;    // empty: no note
    const std::string* custom = nullptr; // the user's own script, copied between markers
    bool spamfilter = false;
    bool spamdestroy = false;
    const std::string_view* allowed = nullptr; // senders let through
    size_t nallowed = 0;
    const std::string_view* groups = nullptr; // names of the user's groups, nested ones too
    size_t ngroups = 0;
};

// Builds the script into out (replacing its contents).
void script_text(const ScriptParts& p, std::string& out);

} // namespace sieve
