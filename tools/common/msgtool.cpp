#include "msgtool.h"

#include <strings.h>
#include <syslog.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

std::string opt_host;
std::string opt_uri;
bool opt_starttls = false;
std::string opt_cacert;
int opt_timeout = kDefaultTimeout;
std::string opt_saslmech;
int opt_pagesize = kDefaultPageSize;
Paging opt_paging = Paging::Auto;
std::string ld_server;
std::string opt_user;
std::string opt_adminuser;
std::string opt_pass;
std::string opt_suff;
std::string opt_base;
std::string opt_domain;
LDAP* ld = nullptr;

namespace {

ToolInfo g_tool = {"tool", "", false, false, true};

// Fixed texts.
constexpr const char* kMsgUnableOpen = "Unable to open ";
constexpr const char* kMsgMissingConf = "msg.conf missing critical configuration information";
constexpr const char* kMsgPrompt = "Quorelle messaging admin password: ";
constexpr const char* kMsgTooLong = "Query argument too long";
constexpr const char* kMsgMismatch = "Internal error, query string/argument mismatch";
constexpr const char* kMsgNoMemory = "Malloc out of memory";

std::string format_buf; // receives the filter built by fbuild
std::string argstr;     // receives one escaped filter argument

// Reads one piece of a line (at most kLinePiece bytes, newline included) into out.
// Returns false at end of input.
bool read_piece(FILE* fp, std::string& out) {
    char buf[kBufSize];
    if (!fgets(buf, sizeof buf, fp))
        return false;
    out.assign(buf);
    return true;
}

void chop_newline(std::string& s) {
    if (!s.empty() && s.back() == '\n')
        s.pop_back();
}

std::string trim_blanks(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// A whole decimal number from min to max, blanks around it allowed.
bool read_number(const std::string& text, long min, long max, int& out) {
    const std::string t = trim_blanks(text);
    if (t.empty() || t.size() > 10 || t.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long v = std::stol(t);
    if (v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

std::string tool_path(const char* env, const char* installed) {
    const char* v = secure_getenv(env);
    if (v && *v)
        return v;
    return installed;
}

void tool_init(const ToolInfo& info) {
    g_tool = info;
}

const ToolInfo& tool_info() {
    return g_tool;
}

void report(const std::string& text) {
    std::string line = std::string("ERROR:256:") + g_tool.name + ":" + text;
    fflush(stdout);
    fprintf(stderr, "%s\n", line.c_str());
    if (g_tool.syslog_on_die) {
        openlog(g_tool.name, LOG_PID, LOG_LOCAL6);
        syslog(LOG_ERR, "%s", line.c_str());
        closelog();
    }
}

void die(const std::string& text) {
    report(text);
    exit(1);
}

void fail_line(const std::string& line) {
    fflush(stdout);
    fprintf(stderr, "%s\n", line.c_str());
    exit(1);
}

void finish() {
    check_output();
    exit(0);
}

void check_output() {
    if (fflush(stdout) != 0 || ferror(stdout)) {
        const int err = errno;
        fprintf(stderr, "ERROR:256:%s:Cannot write standard output: %s\n", g_tool.name,
                strerror(err));
        exit(1);
    }
}

void output_init() {
    signal(SIGPIPE, SIG_IGN);
}

void append_value(std::string& out, const char* data, size_t len) {
    const char* end = data + strnlen(data, len);
    const char* p = data;
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\n' && *q != '\r')
            ++q;
        out.append(p, static_cast<size_t>(q - p));
        if (q == end)
            break;
        out += '\\';
        out += *q;
        p = q + 1;
    }
}

namespace {

// One component of a DN: attribute name and (unescaped) value, pointing into the DN text or
// into the parsed DN.
struct DnPart {
    const char* attr;
    size_t attr_len;
    const char* value;
    size_t value_len;
};

// The plain DNs the directory holds almost always: printable ASCII without any character
// that escapes, quotes or joins (\ " + # ; < >), every component name=value with a name of
// letters, digits and hyphens and a value without blanks at its ends. Their components are
// read off the text, which gives what the DN parser gives; anything else goes to the parser.
bool split_plain_dn(const char* dn, size_t len, std::vector<DnPart>& parts) {
    parts.clear();
    size_t i = 0;
    while (i < len) {
        const size_t name = i;
        if (!isalpha(static_cast<unsigned char>(dn[i])))
            return false;
        while (i < len && (isalnum(static_cast<unsigned char>(dn[i])) || dn[i] == '-'))
            ++i;
        if (i == len || dn[i] != '=')
            return false;
        const size_t name_end = i++;
        const size_t value = i;
        while (i < len && dn[i] != ',') {
            const unsigned char c = static_cast<unsigned char>(dn[i]);
            if (c < 0x20 || c > 0x7e || strchr("\\\"+#;<>=", c))
                return false;
            ++i;
        }
        if (i == value || dn[value] == ' ' || dn[i - 1] == ' ')
            return false;
        parts.push_back({dn + name, name_end - name, dn + value, i - value});
        if (i < len && ++i == len)
            return false; // a trailing comma
    }
    return !parts.empty();
}

bool part_is(const DnPart& p, const char* name) {
    return p.attr_len == strlen(name) && strncasecmp(p.attr, name, p.attr_len) == 0;
}

} // namespace

const char* dn_member(const char* dn, size_t len, const char* attr, std::string& value,
                      int& ncomponents, std::string* domain) {
    static std::vector<DnPart> parts;
    ncomponents = 0;
    LDAPDN parsed = nullptr;
    if (!split_plain_dn(dn, len, parts)) {
        parts.clear();
        berval text = {static_cast<ber_len_t>(len), const_cast<char*>(dn)};
        if (ldap_bv2dn(&text, &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS || !parsed ||
            !parsed[0]) {
            if (parsed)
                ldap_dnfree(parsed);
            return attr;
        }
        // The first value of a multi-valued component.
        for (int i = 0; parsed[i]; ++i) {
            const LDAPAVA* ava = parsed[i][0];
            parts.push_back({ava->la_attr.bv_val, ava->la_attr.bv_len, ava->la_value.bv_val,
                             ava->la_value.bv_len});
        }
    }
    ncomponents = static_cast<int>(parts.size());
    const char* missing = nullptr;
    if (!part_is(parts[0], attr)) {
        missing = attr;
    } else {
        value.assign(parts[0].value, parts[0].value_len);
        if (domain) {
            // The container (ou=MSG Users, ou=MSG Groups) is looked for after the entry's own
            // name, so that a group named MSG-team still finds its domain.
            size_t i = 1;
            while (i < parts.size() && !memmem(parts[i].value, parts[i].value_len, "MSG", 3))
                ++i;
            if (i == parts.size()) {
                missing = "MSG";
            } else {
                ++i;
                while (i < parts.size() && !part_is(parts[i], "ou"))
                    ++i;
                if (i == parts.size())
                    missing = "ou";
                else
                    domain->assign(parts[i].value, parts[i].value_len);
            }
        }
    }
    if (parsed)
        ldap_dnfree(parsed);
    return missing;
}

void usage() {
    FILE* out = g_tool.usage_on_stderr ? stderr : stdout;
    fputs(g_tool.usage_text, out);
    exit(1);
}

char* dexpand(GrowBuf& buf, int needed) {
    if (needed < 0)
        die(kMsgNoMemory);
    long long wanted = (static_cast<long long>(needed) + 1) / kBufSize + 1;
    wanted *= kBufSize;
    if (wanted > 0x7fffffffLL)
        die(kMsgNoMemory);
    if (buf.capacity() < wanted) {
        try {
            buf.data.resize(static_cast<size_t>(wanted), '\0');
        } catch (const std::bad_alloc&) {
            die(kMsgNoMemory);
        } catch (const std::length_error&) {
            die(kMsgNoMemory);
        }
    }
    return buf.data.data();
}

void gb_set(GrowBuf& buf, const char* text, size_t len) {
    if (len > 0x7ffffff0u)
        die(kMsgNoMemory);
    char* p = dexpand(buf, static_cast<int>(len));
    memcpy(p, text, len);
    p[len] = '\0';
}

void list_add(StrList& list, const char* data, size_t size) {
    if (list.count() == list.capacity) {
        list.capacity = list.capacity ? list.capacity * 2 : kListFirst;
        try {
            list.items.reserve(static_cast<size_t>(list.capacity));
        } catch (const std::exception&) {
            die(kMsgNoMemory);
        }
    }
    // Callers pass a string and its length + 1: keep the text up to the terminator.
    list.items.emplace_back(data, strnlen(data, size));
}

void list_print(StrList& list) {
    for (const std::string& s : list.items)
        printf("%s\n", s.c_str());
    list_free(list);
}

void list_free(StrList& list) {
    std::vector<std::string>().swap(list.items);
    list.capacity = 0;
}

void parse_conf() {
    parse_conf_file(tool_path(kMsgConfEnv, kMsgConfPath));
}

void parse_conf_file(const std::string& path) {
    FILE* fp = fopen(path.c_str(), "r");
    if (!fp)
        die(kMsgUnableOpen + path);
    std::string line, starttls, timeout, pagesize, paging;
    while (read_piece(fp, line)) {
        if (line.empty() || line[0] == '#' || line[0] == '\n')
            continue;
        chop_newline(line);
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, colon);
        std::string value = line.substr(colon + 1);
        if (key == "LDAPHOST") {
            opt_host = value;
        } else if (key == "ADMINDN") {
            opt_user = value;
            opt_adminuser = value;
        } else if (key == "ADMINPW") {
            opt_pass = value;
        } else if (key == "LDAPSUFFIX") {
            opt_suff = value;
        } else if (key == "LDAPURI") {
            opt_uri = value;
        } else if (key == "LDAPSTARTTLS") {
            starttls = value;
        } else if (key == "LDAPCACERT") {
            opt_cacert = value;
        } else if (key == "LDAPTIMEOUT") {
            timeout = value;
        } else if (key == "LDAPSASLMECH") {
            opt_saslmech = trim_blanks(value);
        } else if (key == "LDAPPAGESIZE") {
            pagesize = value;
        } else if (key == "LDAPPAGING") {
            paging = value;
        }
    }
    fclose(fp);
    const bool have_uri = !server_uris().empty();
    if ((opt_host.empty() && !have_uri) || opt_user.empty() || opt_suff.empty())
        die(kMsgMissingConf);
    // The values of the connection keys are words and numbers: blanks around them are not
    // part of them. A value that cannot be meant is refused rather than read as "off".
    const std::string tls = trim_blanks(starttls);
    if (tls.empty() || strcasecmp(tls.c_str(), "no") == 0)
        opt_starttls = false;
    else if (strcasecmp(tls.c_str(), "yes") == 0)
        opt_starttls = true;
    else
        die("msg.conf: LDAPSTARTTLS must be yes or no, not " + starttls);
    if (!timeout.empty() && !read_number(timeout, 1, kMaxTimeout, opt_timeout))
        die("msg.conf: LDAPTIMEOUT must be a number of seconds from 1 to " +
            std::to_string(kMaxTimeout) + ", not " + timeout);
    if (!pagesize.empty() && !read_number(pagesize, 0, 0x7fffffff, opt_pagesize))
        die("msg.conf: LDAPPAGESIZE must be a number of entries (0: no paging), not " + pagesize);
    const std::string pg = trim_blanks(paging);
    if (pg.empty() || strcasecmp(pg.c_str(), "auto") == 0)
        opt_paging = Paging::Auto;
    else if (strcasecmp(pg.c_str(), "always") == 0)
        opt_paging = Paging::Always;
    else if (strcasecmp(pg.c_str(), "no") == 0)
        opt_paging = Paging::No;
    else
        die("msg.conf: LDAPPAGING must be auto, always or no, not " + paging);
}

void do_getpass() {
    // A password is there, or the bind needs none (SASL EXTERNAL: the server knows the
    // process by its connection).
    if (!opt_pass.empty() || sasl_configured())
        return;
    if (isatty(STDIN_FILENO)) {
        const char* typed = getpass(kMsgPrompt);
        if (!typed)
            exit(0);
        opt_pass = typed;
        return;
    }
    std::string line;
    if (read_piece(stdin, line)) {
        chop_newline(line);
        opt_user = line;
    }
    if (read_piece(stdin, line)) {
        chop_newline(line);
        opt_pass = line;
    }
}

void argcheck(const char* name, const std::string& value) {
    char text[kBufSize];
    if (value.size() >= static_cast<size_t>(kArgMax)) {
        snprintf(text, sizeof text, "--%s length exceeds maximum value of %d", name, kArgMax);
        die(text);
    }
    for (unsigned char c : value) {
        if (c >= 1 && c <= 31)
            die(std::string("--") + name + "=" + value + " contains invalid characters");
    }
}

void do_escape(std::string& dst, const std::string& src) {
    dst.clear();
    for (char c : src) {
        if (c == '*' || c == '(' || c == ')' || c == '\\')
            dst += '\\';
        dst += c;
        if (dst.size() > static_cast<size_t>(kFilterMax))
            die(kMsgTooLong);
    }
}

const char* fbuild(const char* tmpl, std::initializer_list<const char*> args) {
    format_buf.clear();
    auto next = args.begin();
    int placeholder = 0;
    for (const char* p = tmpl; *p; ++p) {
        if (p[0] == '%' && p[1] >= '0' && p[1] <= '9') {
            ++placeholder;
            if (p[1] - '0' != placeholder || next == args.end())
                die(kMsgMismatch);
            do_escape(argstr, *next ? *next : "");
            ++next;
            format_buf += argstr;
            ++p;
        } else {
            format_buf += *p;
        }
        if (format_buf.size() > static_cast<size_t>(kFilterMax))
            die(kMsgTooLong);
    }
    return format_buf.c_str();
}

void entry_attributes(LDAPMessage* entry, const std::function<void(const char*, berval*)>& fn) {
    BerElement* ber = nullptr;
    berval name = {0, nullptr};
    if (ldap_get_dn_ber(ld, entry, &ber, &name) != LDAP_SUCCESS) {
        if (ber)
            ber_free(ber, 0);
        return;
    }
    std::string attr;
    for (;;) {
        berval* vals = nullptr;
        if (ldap_get_attribute_ber(ld, entry, ber, &name, &vals) != LDAP_SUCCESS ||
            name.bv_val == nullptr) {
            if (vals)
                ber_memfree(vals);
            break;
        }
        attr.assign(name.bv_val, name.bv_len);
        static berval none = {0, nullptr};
        fn(attr.c_str(), vals ? vals : &none);
        if (vals)
            ber_memfree(vals);
    }
    ber_free(ber, 0);
}

std::vector<std::string> entry_values(LDAPMessage* entry, const char* attr) {
    std::vector<std::string> out;
    berval** vals = ldap_get_values_len(ld, entry, attr);
    if (!vals)
        return out;
    for (berval** v = vals; *v; ++v)
        out.emplace_back((*v)->bv_val, (*v)->bv_len);
    ldap_value_free_len(vals);
    return out;
}

bool entry_first(LDAPMessage* entry, const char* attr, std::string& out) {
    berval** vals = ldap_get_values_len(ld, entry, attr);
    if (!vals)
        return false;
    const bool found = vals[0] != nullptr;
    if (found)
        out.assign(vals[0]->bv_val, vals[0]->bv_len);
    ldap_value_free_len(vals);
    return found;
}

std::string dn_child(const char* attr, const std::string& value, const std::string& parent) {
    // One RDN of one attribute-value pair, written by the library (which escapes the value).
    LDAPAVA ava;
    ava.la_attr.bv_val = const_cast<char*>(attr);
    ava.la_attr.bv_len = strlen(attr);
    ava.la_value.bv_val = const_cast<char*>(value.data());
    ava.la_value.bv_len = value.size();
    ava.la_flags = LDAP_AVA_STRING;
    ava.la_private = nullptr;
    LDAPAVA* rdn[] = {&ava, nullptr};
    LDAPRDN dn[] = {rdn, nullptr};
    char* text = nullptr;
    if (ldap_dn2str(dn, &text, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS || !text)
        die(std::string("Cannot make a DN of ") + attr + "=" + value);
    std::string out(text);
    ldap_memfree(text);
    if (!parent.empty()) {
        out += ',';
        out += parent;
    }
    return out;
}

std::string domain_container(const char* container, const std::string& domain) {
    return dn_child("ou", container, dn_child("ou", domain, opt_suff));
}

namespace {

void domain_search(GrowBuf* description) {
    opt_base = opt_suff;
    const char* filter = fbuild("(ou=%1)", {opt_domain.c_str()});
    int found = 0;
    if (description)
        gb_set(*description, "", 0);
    search_loop(opt_base, LDAP_SCOPE_ONELEVEL, filter, nullptr, 0, [&](LDAPMessage* e) {
        ++found;
        std::string d;
        if (description && entry_first(e, "description", d))
            gb_set(*description, d.data(), d.size());
    });
    if (found == 0)
        fail_line("ERROR:256:--domain=" + opt_domain + " does not exist");
}

} // namespace

void validate_domain() {
    domain_search(nullptr);
}

void validate_domain_description(GrowBuf& description) {
    domain_search(&description);
}

bool opt_value(const char* arg, const char* prefix, std::string& value) {
    const size_t n = strlen(prefix);
    if (strncmp(arg, prefix, n) != 0)
        return false;
    value = arg + n;
    return true;
}

unsigned parse_item_options(int argc, char** argv, unsigned all_items,
                            const std::function<unsigned(const char*)>& item_bit) {
    bool all = false;
    bool have_domain = false;
    unsigned items = 0;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (opt_value(argv[i], "--domain=", value)) {
            argcheck("domain", value);
            opt_domain = value;
            have_domain = !value.empty();
        } else if (strcmp(argv[i], "--all") == 0) {
            all = true;
        } else {
            const unsigned bit = item_bit(argv[i]);
            if (!bit)
                usage();
            items |= bit;
        }
    }
    if (!have_domain || (all && items != 0))
        usage();
    return items ? items : all_items;
}
