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
constexpr int kDefaultTimeout = 10;   // LDAPTIMEOUT: seconds for a connect, a bind, a reply
constexpr int kMaxTimeout = 86400;    // largest LDAPTIMEOUT taken
constexpr int kDefaultPageSize = 500; // LDAPPAGESIZE: entries per page of a paged search

// Installed locations and the environment variables that may replace them. The variables are
// read with secure_getenv: a set-user-id process ignores them.
constexpr const char* kMsgConfPath = "/etc/opt/quorelle/msg/msg.conf";
constexpr const char* kMsgConfEnv = "QUORELLE_MSG_CONF";

// Returns the override named by env (when set, non-empty and honoured) or the installed path.
std::string tool_path(const char* env, const char* installed);

// Which tool is running: its name (in fatal lines and the usage text), its usage text, where
// the usage text goes and whether fatal lines also go to the system log.
// sasl_bind: whether a configured SASL mechanism (LDAPSASLMECH) replaces the password bind;
// rootgate, whose bind is the caller's proof of the administrator's password, says no.
struct ToolInfo {
    const char* name;
    const char* usage_text;
    bool usage_on_stderr;
    bool syslog_on_die;
    bool sasl_bind = true;
};
void tool_init(const ToolInfo& info);
const ToolInfo& tool_info();

// Process-wide state.
extern std::string opt_host;      // LDAPHOST
extern std::string opt_uri;       // LDAPURI: blank-separated LDAP URIs, tried in order
extern bool opt_starttls;         // LDAPSTARTTLS yes: StartTLS on ldap:// URIs, required
extern std::string opt_cacert;    // LDAPCACERT: file of CA certificates
extern int opt_timeout;           // LDAPTIMEOUT: seconds
extern std::string opt_saslmech;  // LDAPSASLMECH: SASL mechanism instead of the password
extern int opt_pagesize;          // LDAPPAGESIZE: entries per page, 0 for no paging
// LDAPPAGING: when searches use paged results: auto (when the server's size limit cuts a
// search short), always, or no.
enum class Paging { No, Auto, Always };
extern Paging opt_paging;
extern std::string ld_server;     // the URI of the server the connection is bound to
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
// The LDAP URIs to try, in order: those of LDAPURI, or ldap://LDAPHOST (port 389 unless the
// host names one).
std::vector<std::string> server_uris();
// Whether the bind uses the configured SASL mechanism (and needs no password).
bool sasl_configured();
void do_getpass();
// Connects to the first server of server_uris() that answers (StartTLS where required, every
// step within LDAPTIMEOUT) and binds: with the SASL mechanism when one is configured (and the
// tool allows it), else simply as opt_user with opt_pass. A server that refuses the
// credentials ends the tool at once; when no server could be reached, one line names each
// server tried and what went wrong.
void do_bind();
void argcheck(const char* name, const std::string& value);
void do_escape(std::string& dst, const std::string& src);
const char* fbuild(const char* tmpl, std::initializer_list<const char*> args = {});

// A DN built from its parts with the library's escaping: "attr=value" with value escaped as
// an RDN value, followed by "," and parent (already a DN) unless parent is empty.
std::string dn_child(const char* attr, const std::string& value, const std::string& parent);
// The base of a domain's container: "ou=CONTAINER,ou=DOMAIN,SUFFIX" with the domain escaped.
std::string domain_container(const char* container, const std::string& domain);

// One search: base, scope, filter, attribute list and attributes-only flag.
struct SearchSpec {
    std::string base;
    int scope = LDAP_SCOPE_SUBTREE;
    std::string filter;
    const char* const* attrs = nullptr;
    int attrsonly = 0;
};

// The search loop: an asynchronous search read one message at a time, each wait bounded by
// LDAPTIMEOUT, with paged results (RFC 2696) of LDAPPAGESIZE entries as LDAPPAGING says
// (by default when the server's size limit cuts the search short: it is then read again in
// pages, the entries received before skipped); a server that does not know the control
// answers in one piece, as without it. on_entry is called for
// each search entry received. A search that cannot be started prints
// "ERROR:256:ldap_search failed", or, with start_failure_dies, goes through die(). An answer
// that ends early (a limit of the server, a lost connection, a time-out) ends the tool.
void search_loop(const std::string& base, int scope, const char* filter, const char* const* attrs,
                 int attrsonly, const std::function<void(LDAPMessage*)>& on_entry,
                 bool start_failure_dies = false);

// Two searches: the first is read to its end, on_first(entry) for each entry; then
// after_first() runs; then the second's entries go to on_second(entry). Both are kept
// outstanding together and read in one pass over the connection, the second's entries held
// back until after_first(), unless every search is paged (LDAPPAGING always): then they run
// one after the other (a server keeps one paged search per connection). A first search that cannot be started ends the
// run as in search_loop (start_failure_dies); a second one, with "ERROR:256:ldap_search
// failed" after after_first().
void read_two_searches(const SearchSpec& first, const SearchSpec& second, bool start_failure_dies,
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

// The command line of the listing tools: "--domain=value [--all | item options...]". Sets
// opt_domain (tested with argcheck) and returns the bits of the items asked for, all_items
// when none was named. item_bit gives the bit of an item option (0: not one). Any other
// argument, a missing or empty domain, or --all with an item option prints the usage text.
unsigned parse_item_options(int argc, char** argv, unsigned all_items,
                            const std::function<unsigned(const char*)>& item_bit);
