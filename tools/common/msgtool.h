// Shared library of the Quorelle directory tools: msg.conf, password, LDAP bind, argument
// checks, filter building, the growable buffer, the string list, the fatal exits, the domain
// check and the one search loop every search goes through.
//
// The tools are short-lived: the state below is process-wide and lives until exit.
#pragma once

#include <ldap.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Limits of the tool conventions.
constexpr int kBufSize = 1024;     // every fixed text buffer
constexpr int kLinePiece = 1023;   // a physical line is read in pieces of this many bytes
constexpr int kArgMax = 128;       // command-line values must be shorter than this
constexpr int kFilterMax = 1022;   // escaped argument and built filter, in characters
constexpr int kListFirst = 10;     // first allocation of a string list
constexpr int kSearchTimeout = 60; // seconds per ldap_result call

// Installed locations and the environment variables that may replace them. The variables are
// read with secure_getenv: a set-user-id process ignores them.
constexpr const char* kMsgConfPath = "/etc/opt/quorelle/msg/msg.conf";
constexpr const char* kMsgConfEnv = "QUORELLE_MSG_CONF";

// Returns the override named by env (when set, non-empty and honoured) or the installed path.
std::string tool_path(const char* env, const char* installed);

// Which tool is running: its name (in fatal lines and the usage text), its usage text, where
// the usage text goes and whether fatal lines also go to the system log.
struct ToolInfo {
    const char* name;
    const char* usage_text;
    bool usage_on_stderr;
    bool syslog_on_die;
};
void tool_init(const ToolInfo& info);
const ToolInfo& tool_info();

// Process-wide state.
extern std::string opt_host;      // LDAPHOST
extern std::string opt_user;      // bind DN
extern std::string opt_adminuser; // ADMINDN as configured
extern std::string opt_pass;      // bind password
extern std::string opt_suff;      // LDAPSUFFIX
extern std::string opt_base;      // search base of the current search
extern std::string opt_domain;    // domain being worked on
extern LDAP* ld;                  // the connection

// Growable text buffer: data and capacity in bytes; grows only through dexpand.
struct GrowBuf {
    std::vector<char> data;
    int capacity() const { return static_cast<int>(data.size()); }
    char* str() { return data.empty() ? nullptr : data.data(); }
};
char* dexpand(GrowBuf& buf, int needed);
// Copies text into buf (through dexpand) and NUL-terminates it.
void gb_set(GrowBuf& buf, const char* text, size_t len);

// String list: owned copies, count and capacity (all zero when empty).
struct StrList {
    std::vector<std::string> items;
    int capacity = 0;
    int count() const { return static_cast<int>(items.size()); }
};
void list_add(StrList& list, const char* data, size_t size);
void list_print(StrList& list);
void list_free(StrList& list);

// Fatal exits. report() writes the line of die() (and logs it where the tool logs) without
// ending the tool.
void report(const std::string& text);
[[noreturn]] void die(const std::string& text);
[[noreturn]] void usage();
// Prints line (with its newline) on standard error and exits with status 1; for the fixed
// LDAP and domain lines that carry no tool name.
[[noreturn]] void fail_line(const std::string& line);
// Regular end: exit status 0, unless standard output could not be written (then a fatal line
// and status 1, so that a full disk or a closed pipe is not reported as success).
[[noreturn]] void finish();

// Ends the tool like finish() does when standard output could not be written; a tool that
// prints as it goes calls it after each block, so a closed pipe or a full disk stops the
// run at once. Tools that print much ignore SIGPIPE (output_init) and learn of a closed pipe
// through the failed write.
void check_output();
void output_init();

// Appends a directory value to an output line: a backslash goes before each newline and
// each carriage return, so that no value can begin a line of its own (a reader joins a line
// ending in a backslash with the next one). The value ends at its first NUL byte; its other
// bytes are unchanged.
void append_value(std::string& out, const char* data, size_t len);

// A member or owner DN, parsed as a DN (escaped values such as cn=a\, b resolve; attribute
// names compared case-insensitively). dn_member reads the first component, which must be
// attr (first value of a multi-valued RDN), into value and the number of components into
// ncomponents. With domain, it also reads the domain of the entry: the value of the first ou
// after the component whose value holds "MSG" (cn=staff,ou=MSG Groups,ou=D,suffix gives D).
// Returns nullptr, or the name of what is missing for "%s not found in dn: %s": attr (also
// when dn is no DN at all), "MSG" or "ou".
const char* dn_member(const char* dn, size_t len, const char* attr, std::string& value,
                      int& ncomponents, std::string* domain = nullptr);

void parse_conf();
// parse_conf on the given file (a tool that fixes the path itself, without the override).
void parse_conf_file(const std::string& path);
void do_getpass();
void do_bind();
void argcheck(const char* name, const std::string& value);
void do_escape(std::string& dst, const std::string& src);
const char* fbuild(const char* tmpl, std::initializer_list<const char*> args = {});

// The search loop: asynchronous search, one result per ldap_result call, 60 s per call.
// on_entry is called for each search entry received. A search that cannot be started prints
// "ERROR:256:ldap_search failed", or, with start_failure_dies, goes through die().
void search_loop(const std::string& base, int scope, const char* filter, const char* const* attrs,
                 int attrsonly, const std::function<void(LDAPMessage*)>& on_entry,
                 bool start_failure_dies = false);

// The parts of the search loop, for a tool that keeps more than one search outstanding on
// the connection. search_begin starts a search (returns the LDAP result code and sets msgid);
// search_begin_failed is the exit for a search that could not be started (as in search_loop).
// search_next receives the next message of msgid (LDAP_RES_ANY: of any search), one per call,
// and dies when the connection breaks or nothing arrives within the time limit; it returns the
// message type and the message, which the caller frees. search_check_result takes a search's
// final result (and frees it), dying when the answer is incomplete.
int search_begin(const std::string& base, int scope, const char* filter, const char* const* attrs,
                 int attrsonly, int& msgid);
[[noreturn]] void search_begin_failed(bool start_failure_dies);
int search_next(int msgid, LDAPMessage*& res);
void search_check_result(LDAPMessage* res);

// Two searches started together and read in one pass over the connection: the first is read
// to its end, on_first(entry) for each entry, while the messages of the second are held back;
// then after_first() runs; then the second's entries go to on_second(entry), the held ones
// first, the rest as they arrive. A second search that could not be started
// (second_started false) ends the run with search_begin_failed(false) after after_first().
void read_two_searches(int first_msg, bool second_started, int second_msg,
                       const std::function<void(LDAPMessage*)>& on_first,
                       const std::function<void()>& after_first,
                       const std::function<void(LDAPMessage*)>& on_second);

// Calls fn(attribute name, values) for each attribute of an entry, in the order returned, in
// one pass over the entry. values is terminated by an element whose bv_val is null.
void entry_attributes(LDAPMessage* entry, const std::function<void(const char*, berval*)>& fn);

// Values of an attribute of an entry, as strings, in directory order.
std::vector<std::string> entry_values(LDAPMessage* entry, const char* attr);
// First value of an attribute; false when the entry has none.
bool entry_first(LDAPMessage* entry, const char* attr, std::string& out);

void validate_domain();
// Variant that also gives the domain entry's description (empty when it has none).
void validate_domain_description(GrowBuf& description);

// Parses "--name=value": returns true and sets value when arg begins with "--name=".
bool opt_value(const char* arg, const char* prefix, std::string& value);
