// Unit tests of the tool library. Fatal paths exit the process, so each case that may end in
// die() runs in a forked child whose standard streams and exit status are captured.
#include "check.h"
#include "msgtool.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string tmpdir;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

struct ChildResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs fn in a child process with the given standard input; the child ends with status 0
// when fn returns.
ChildResult run_child(const std::function<void()>& fn, const std::string& input = "") {
    const std::string in_path = tmpdir + "/stdin";
    const std::string out_path = tmpdir + "/stdout";
    const std::string err_path = tmpdir + "/stderr";
    write_file(in_path, input);
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(in_path.c_str(), "r", stdin) || !freopen(out_path.c_str(), "w", stdout) ||
            !freopen(err_path.c_str(), "w", stderr))
            _exit(99);
        fn();
        fflush(stdout);
        exit(0);
    }
    ChildResult r;
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    r.out = slurp(out_path);
    r.err = slurp(err_path);
    return r;
}

void reset_conf() {
    opt_uri.clear();
    opt_starttls = false;
    opt_cacert.clear();
    opt_timeout = kDefaultTimeout;
    opt_saslmech.clear();
    opt_pagesize = kDefaultPageSize;
    opt_host.clear();
    opt_user.clear();
    opt_adminuser.clear();
    opt_pass.clear();
    opt_suff.clear();
}

void use_conf(const std::string& text) {
    const std::string path = tmpdir + "/msg.conf";
    write_file(path, text);
    setenv(kMsgConfEnv, path.c_str(), 1);
    reset_conf();
}

void test_dexpand() {
    GrowBuf b;
    CHECK_EQ(b.capacity(), 0);
    CHECK(b.str() == nullptr);
    dexpand(b, 0);
    CHECK_EQ(b.capacity(), 1024);
    dexpand(b, 1022);
    CHECK_EQ(b.capacity(), 1024);
    strcpy(b.str(), "kept");
    dexpand(b, 1023);
    CHECK_EQ(b.capacity(), 2048);
    CHECK_EQ(std::string(b.str()), std::string("kept"));
    dexpand(b, 5000);
    CHECK_EQ(b.capacity(), 5120);
    dexpand(b, 10); // never shrinks
    CHECK_EQ(b.capacity(), 5120);
    gb_set(b, "abc", 3);
    CHECK_EQ(std::string(b.str()), std::string("abc"));
}

void test_list() {
    StrList l;
    CHECK_EQ(l.count(), 0);
    CHECK_EQ(l.capacity, 0);
    const char* first = "first";
    list_add(l, first, strlen(first) + 1);
    CHECK_EQ(l.capacity, 10);
    for (int i = 0; i < 10; ++i) {
        const std::string s = "item" + std::to_string(i);
        list_add(l, s.c_str(), s.size() + 1);
    }
    CHECK_EQ(l.count(), 11);
    CHECK_EQ(l.capacity, 20);
    CHECK_EQ(l.items[0], std::string("first"));
    CHECK_EQ(l.items[10], std::string("item9"));
    for (int i = 0; i < 10; ++i)
        list_add(l, "x", 2);
    CHECK_EQ(l.count(), 21);
    CHECK_EQ(l.capacity, 40);
    list_free(l);
    CHECK_EQ(l.count(), 0);
    CHECK_EQ(l.capacity, 0);

    ChildResult r = run_child([] {
        StrList p;
        list_add(p, "one", 4);
        list_add(p, "two", 4);
        list_print(p);
        printf("count:%d capacity:%d\n", p.count(), p.capacity);
    });
    CHECK_EQ(r.status, 0);
    CHECK_EQ(r.out, std::string("one\ntwo\ncount:0 capacity:0\n"));
}

void test_escape_and_fbuild() {
    CHECK_EQ(std::string(fbuild("(ou=%1)", {"a*b(c)"})), std::string("(ou=a\\*b\\(c\\))"));
    CHECK_EQ(std::string(fbuild("(ou=%1)", {"back\\slash"})), std::string("(ou=back\\\\slash)"));
    CHECK_EQ(std::string(fbuild("(objectclass=msgUser)")), std::string("(objectclass=msgUser)"));
    CHECK_EQ(std::string(fbuild("(&(cn=%1)(ou=%2))", {"x", "y*"})),
             std::string("(&(cn=x)(ou=y\\*))"));
    CHECK_EQ(std::string(fbuild("(pct=%)(a=%1%)", {"v"})), std::string("(pct=%)(a=v%)"));
    CHECK_EQ(std::string(fbuild("(ou=%1)", {"\xc3\xa9t\xc3\xa9"})),
             std::string("(ou=\xc3\xa9t\xc3\xa9)"));

    std::string dst;
    do_escape(dst, std::string(1022, 'a'));
    CHECK_EQ(dst.size(), size_t(1022));
    do_escape(dst, std::string(511, '*'));
    CHECK_EQ(dst.size(), size_t(1022));

    tool_init({"unit", "", false, false, true});
    const std::string too_long = "ERROR:256:unit:Query argument too long\n";
    ChildResult r = run_child([] {
        std::string d;
        do_escape(d, std::string(1023, 'a'));
    });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, too_long);
    r = run_child([] {
        std::string d;
        do_escape(d, std::string(512, '('));
    });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, too_long);

    // The built filter is limited as well: 1022 characters pass, 1023 do not.
    const std::string arg1017(1017, 'v');
    CHECK_EQ(std::string(fbuild("(ou=%1)", {arg1017.c_str()})).size(), size_t(1022));
    r = run_child([] {
        const std::string arg(1018, 'v');
        fbuild("(ou=%1)", {arg.c_str()});
    });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, too_long);

    const std::string mismatch = "ERROR:256:unit:Internal error, query string/argument mismatch\n";
    r = run_child([] { fbuild("(&(a=%2)(b=%1))", {"x", "y"}); });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, mismatch);
    r = run_child([] { fbuild("(&(a=%1)(b=%1))", {"x", "y"}); });
    CHECK_EQ(r.err, mismatch);
    r = run_child([] { fbuild("(&(a=%1)(b=%2))", {"x"}); }); // argument missing
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, mismatch);
}

void test_argcheck() {
    tool_init({"unit", "", false, false, true});
    ChildResult r = run_child([] {
        argcheck("domain", std::string(127, 'd'));
        argcheck("domain", "caf\xc3\xa9\xff");
        argcheck("domain", "");
        printf("ok\n");
    });
    CHECK_EQ(r.status, 0);
    CHECK_EQ(r.out, std::string("ok\n"));
    CHECK_EQ(r.err, std::string(""));

    r = run_child([] { argcheck("domain", std::string(128, 'd')); });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, std::string("ERROR:256:unit:--domain length exceeds maximum value of 128\n"));

    r = run_child([] { argcheck("uid", "ab\tc"); });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, std::string("ERROR:256:unit:--uid=ab\tc contains invalid characters\n"));
    r = run_child([] { argcheck("uid", std::string("a\x1f")); });
    CHECK_EQ(r.err, std::string("ERROR:256:unit:--uid=a\x1f contains invalid characters\n"));
    r = run_child([] { argcheck("uid", std::string("a\x20\x7f")); });
    CHECK_EQ(r.status, 0);
}

void test_parse_conf() {
    tool_init({"unit", "", false, false, true});
    // Later lines win; blanks are kept; comments, empty lines and lines without a colon are
    // skipped; other keys are ignored; the value runs to the end of the line.
    use_conf("# comment\n"
             "LDAPHOST:ldap1\n"
             "\n"
             "LDAPHOST:ldap2\n"
             "ADMINDN: cn=admin, dc=x \n"
             "no colon here\n"
             "ldaphost:lower-case key ignored\n"
             "OTHER:x\n"
             "ADMINPW:pw:with:colons\n"
             "LDAPSUFFIX:dc=x");
    parse_conf();
    CHECK_EQ(opt_host, std::string("ldap2"));
    CHECK_EQ(opt_user, std::string(" cn=admin, dc=x "));
    CHECK_EQ(opt_adminuser, std::string(" cn=admin, dc=x "));
    CHECK_EQ(opt_pass, std::string("pw:with:colons"));
    CHECK_EQ(opt_suff, std::string("dc=x")); // no final newline: last character kept

    use_conf("LDAPHOST: ldap1\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    CHECK_EQ(opt_host, std::string(" ldap1"));
    CHECK_EQ(opt_pass, std::string(""));

    // A physical line longer than 1023 bytes is read as several lines: the tail of a long
    // line becomes a line of its own (here it sets the suffix).
    std::string longline = "ADMINDN:" + std::string(1023 - 8, 'u') + "LDAPSUFFIX:dc=tail\n";
    use_conf("LDAPHOST:h\n" + longline);
    parse_conf();
    CHECK_EQ(opt_user.size(), size_t(1015));
    CHECK_EQ(opt_suff, std::string("dc=tail"));

    const std::string missing =
        "ERROR:256:unit:msg.conf missing critical configuration information\n";
    for (const char* text :
         {"ADMINDN:a\nLDAPSUFFIX:s\n", "LDAPHOST:h\nLDAPSUFFIX:s\n", "LDAPHOST:h\nADMINDN:a\n",
          "LDAPHOST:\nADMINDN:a\nLDAPSUFFIX:s\n", ""}) {
        use_conf(text);
        ChildResult r = run_child([] { parse_conf(); });
        CHECK_EQ(r.status, 1);
        CHECK_EQ(r.err, missing);
    }

    const std::string absent = tmpdir + "/no-such-dir/msg.conf";
    setenv(kMsgConfEnv, absent.c_str(), 1);
    ChildResult r = run_child([] { parse_conf(); });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.err, "ERROR:256:unit:Unable to open " + absent + "\n");

    // Without the override the installed path is used.
    unsetenv(kMsgConfEnv);
    CHECK_EQ(tool_path(kMsgConfEnv, kMsgConfPath), std::string("/etc/opt/quorelle/msg/msg.conf"));
    setenv(kMsgConfEnv, "", 1);
    CHECK_EQ(tool_path(kMsgConfEnv, kMsgConfPath), std::string("/etc/opt/quorelle/msg/msg.conf"));
}

void test_getpass() {
    // Configured password: standard input is not read.
    opt_pass = "configured";
    opt_user = "cn=conf";
    ChildResult r = run_child(
        [] {
            do_getpass();
            printf("%s|%s\n", opt_user.c_str(), opt_pass.c_str());
        },
        "cn=other\nsecret\n");
    CHECK_EQ(r.out, std::string("cn=conf|configured\n"));

    // No password configured, standard input not a terminal: DN line, then password line.
    opt_pass.clear();
    r = run_child(
        [] {
            do_getpass();
            printf("%s|%s\n", opt_user.c_str(), opt_pass.c_str());
        },
        "cn=other,dc=x\nse cret\n");
    CHECK_EQ(r.status, 0);
    CHECK_EQ(r.out, std::string("cn=other,dc=x|se cret\n"));

    // Password line without newline keeps its last character; end of input keeps values.
    r = run_child(
        [] {
            do_getpass();
            printf("%s|%s\n", opt_user.c_str(), opt_pass.c_str());
        },
        "cn=d\npw");
    CHECK_EQ(r.out, std::string("cn=d|pw\n"));
    r = run_child(
        [] {
            do_getpass();
            printf("%s|%s\n", opt_user.c_str(), opt_pass.c_str());
        },
        "");
    CHECK_EQ(r.out, std::string("cn=conf|\n"));
}

void test_usage_and_die() {
    tool_init({"unit", "ERROR:1:usage:unit\n", false, false, true});
    ChildResult r = run_child([] { usage(); });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.out, std::string("ERROR:1:usage:unit\n"));
    CHECK_EQ(r.err, std::string(""));
    tool_init({"unit", "ERROR:1:usage:unit\n", true, false, true});
    r = run_child([] { usage(); });
    CHECK_EQ(r.out, std::string(""));
    CHECK_EQ(r.err, std::string("ERROR:1:usage:unit\n"));

    // Output printed before a fatal error stays on standard output.
    r = run_child([] {
        printf("domain:a\n");
        die("boom");
    });
    CHECK_EQ(r.status, 1);
    CHECK_EQ(r.out, std::string("domain:a\n"));
    CHECK_EQ(r.err, std::string("ERROR:256:unit:boom\n"));

    // A regular end that cannot write its output is a failure.
    if (FILE* full = fopen("/dev/full", "w")) {
        fclose(full);
        const pid_t pid = fork();
        if (pid == 0) {
            if (!freopen("/dev/full", "w", stdout) || !freopen("/dev/null", "w", stderr))
                _exit(99);
            printf("nusers:1\n");
            finish();
        }
        int st = 0;
        waitpid(pid, &st, 0);
        CHECK(WIFEXITED(st) && WEXITSTATUS(st) == 1);
    }
}

void test_append_value() {
    auto esc = [](const std::string& v) {
        std::string out = "k:";
        append_value(out, v.data(), v.size());
        return out;
    };
    // Values without line breaks are unchanged, backslashes included.
    CHECK_EQ(esc("plain value"), std::string("k:plain value"));
    CHECK_EQ(esc("a\\nb\\"), std::string("k:a\\nb\\"));
    CHECK_EQ(esc(""), std::string("k:"));
    // A backslash before each newline and carriage return, at either end and in a row.
    CHECK_EQ(esc("Away\nBack Monday"), std::string("k:Away\\\nBack Monday"));
    CHECK_EQ(esc("\nx\r\n"), std::string("k:\\\nx\\\r\\\n"));
    CHECK_EQ(esc("\r\r"), std::string("k:\\\r\\\r"));
    // The value ends at a NUL byte, as a C string would.
    CHECK_EQ(esc(std::string("ab\0\ncd", 6)), std::string("k:ab"));
}

void test_dn_member() {
    struct Case {
        const char* dn;
        const char* attr;
        bool want_domain;
        const char* missing; // nullptr: found
        const char* value;
        int n;
        const char* domain;
    };
    const Case cases[] = {
        // Plain DNs.
        {"uid=bob,ou=MSG Users,ou=d.test,dc=q,dc=t", "uid", true, nullptr, "bob", 5, "d.test"},
        {"UID=Bob,OU=MSG Users,OU=D.test,dc=q", "uid", true, nullptr, "Bob", 4, "D.test"},
        {"cn=staff,ou=MSG Groups,ou=d.test,dc=q", "cn", true, nullptr, "staff", 4, "d.test"},
        {"cn=staff,ou=MSG Groups,ou=d.test,dc=q", "uid", false, "uid", "", 4, ""},
        {"uid=solo", "uid", false, nullptr, "solo", 1, ""},
        // The container is looked for after the entry's own name; a component between the
        // container and the domain that is no ou is passed over.
        {"cn=MSG-team,ou=MSG Groups,ou=d.test,dc=q", "cn", true, nullptr, "MSG-team", 4, "d.test"},
        {"cn=x,ou=MSG Groups,l=here,ou=d.test,dc=q", "cn", true, nullptr, "x", 5, "d.test"},
        {"cn=list,dc=q,dc=t", "cn", true, "MSG", "list", 3, ""},
        {"cn=list,ou=MSG Groups,dc=q", "cn", true, "ou", "list", 3, ""},
        // Escaped, quoted, multi-valued and spaced DNs through the DN parser.
        {"cn=a\\, b,ou=MSG Groups,ou=d.test,dc=q", "cn", true, nullptr, "a, b", 4, "d.test"},
        {"uid=smith\\, j,ou=MSG Users,ou=x\\2Cy,dc=q", "uid", true, nullptr, "smith, j", 4, "x,y"},
        {"uid=g\\+na+cn=G,ou=MSG Users,ou=d.test", "uid", true, nullptr, "g+na", 3, "d.test"},
        {"cn=G+uid=g,ou=MSG Users,ou=d.test", "uid", false, "uid", "", 3, ""},
        {"uid=bob, ou=MSG Users, ou=d.test", "uid", true, nullptr, "bob", 3, "d.test"},
        {"uid=b\xc3\xa9,ou=MSG Users,ou=d.test", "uid", true, nullptr, "b\xc3\xa9", 3, "d.test"},
        // Not DNs at all.
        {"", "uid", false, "uid", "", 0, ""},
        {"uid=bob,", "uid", false, "uid", "", 0, ""},
        {"no dn here", "cn", false, "cn", "", 0, ""},
        {"uid=a\\", "uid", false, "uid", "", 0, ""},
    };
    for (const Case& c : cases) {
        std::string value, domain;
        int n = -1;
        const char* missing =
            dn_member(c.dn, strlen(c.dn), c.attr, value, n, c.want_domain ? &domain : nullptr);
        const std::string where = std::string(" for ") + c.dn;
        CHECK_EQ(std::string(missing ? missing : "(none)") + where,
                 std::string(c.missing ? c.missing : "(none)") + where);
        if (c.missing && strcmp(c.missing, c.attr) == 0 && c.n == 0)
            continue;
        CHECK_EQ(n, c.n);
        if (!c.missing || strcmp(c.missing, c.attr) != 0)
            CHECK_EQ(value + where, std::string(c.value) + where);
        if (!c.missing)
            CHECK_EQ(domain + where, std::string(c.domain) + where);
    }
    // The length given counts, not a terminator.
    std::string value;
    int n = 0;
    const char* text = "uid=bob,ou=MSG Users,ou=d.test,dc=q";
    CHECK(dn_member(text, 7, "uid", value, n) == nullptr);
    CHECK_EQ(value, std::string("bob"));
    CHECK_EQ(n, 1);
}

} // namespace

// The connection keys: LDAPURI (several URIs, LDAPHOST no longer needed), LDAPSTARTTLS,
// LDAPCACERT, LDAPTIMEOUT, LDAPSASLMECH, LDAPPAGESIZE; values that cannot be meant are
// refused with the key named.
void test_connection_conf() {
    tool_init({"unit", "", false, false, true});
    using List = std::vector<std::string>;
    use_conf("LDAPURI:  ldap://a:1\tldaps://b  ldapi://%2Frun%2Fx \nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    CHECK(server_uris() == List({"ldap://a:1", "ldaps://b", "ldapi://%2Frun%2Fx"}));
    CHECK_EQ(opt_starttls, false);
    CHECK_EQ(opt_timeout, 10);
    CHECK_EQ(opt_pagesize, 500);
    CHECK(opt_paging == Paging::Auto);
    CHECK_EQ(sasl_configured(), false);

    // LDAPURI wins over LDAPHOST; LDAPHOST alone is reached on port 389 unless it names one.
    use_conf("LDAPHOST:h\nLDAPURI:ldap://u\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    CHECK(server_uris() == List({"ldap://u"}));
    use_conf("LDAPHOST:h\nLDAPURI: \nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    CHECK(server_uris() == List({"ldap://h:389"}));
    use_conf("LDAPHOST:h:1234\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    CHECK(server_uris() == List({"ldap://h:1234"}));

    // Words and numbers may have blanks around them; the CA file is a path, taken as it is.
    use_conf("LDAPURI:ldap://u\nLDAPSTARTTLS: Yes \nLDAPTIMEOUT: 7 \nLDAPPAGESIZE:0\n"
             "LDAPCACERT:/etc/ssl/ca.pem\nLDAPSASLMECH: EXTERNAL\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    CHECK_EQ(opt_starttls, true);
    CHECK_EQ(opt_timeout, 7);
    CHECK_EQ(opt_pagesize, 0);
    CHECK_EQ(opt_cacert, std::string("/etc/ssl/ca.pem"));
    CHECK_EQ(opt_saslmech, std::string("EXTERNAL"));
    CHECK_EQ(sasl_configured(), true);
    // With SASL no password is asked for: standard input is not read.
    ChildResult r = run_child([] {
        do_getpass();
        printf("%s|%s", opt_user.c_str(), opt_pass.c_str());
    }, "cn=other\npw\n");
    CHECK_EQ(r.out, std::string("cn=a|"));
    // A tool whose bind proves the password (rootgate) does not use SASL.
    tool_init({"unit", "", false, false, false});
    CHECK_EQ(sasl_configured(), false);
    tool_init({"unit", "", false, false, true});
    for (const auto& p : {std::make_pair("always", Paging::Always), std::make_pair(" No ", Paging::No),
                          std::make_pair("AUTO", Paging::Auto)}) {
        use_conf(std::string("LDAPURI:ldap://u\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\nLDAPPAGING:") + p.first +
                 "\n");
        parse_conf();
        CHECK(opt_paging == p.second);
    }

    const struct {
        const char* line;
        const char* err;
    } bad[] = {
        {"LDAPSTARTTLS:maybe", "msg.conf: LDAPSTARTTLS must be yes or no, not maybe"},
        {"LDAPTIMEOUT:0",
         "msg.conf: LDAPTIMEOUT must be a number of seconds from 1 to 86400, not 0"},
        {"LDAPTIMEOUT:86401",
         "msg.conf: LDAPTIMEOUT must be a number of seconds from 1 to 86400, not 86401"},
        {"LDAPTIMEOUT:-1",
         "msg.conf: LDAPTIMEOUT must be a number of seconds from 1 to 86400, not -1"},
        {"LDAPTIMEOUT:5s",
         "msg.conf: LDAPTIMEOUT must be a number of seconds from 1 to 86400, not 5s"},
        {"LDAPPAGESIZE:many",
         "msg.conf: LDAPPAGESIZE must be a number of entries (0: no paging), not many"},
        {"LDAPPAGESIZE:99999999999",
         "msg.conf: LDAPPAGESIZE must be a number of entries (0: no paging), not 99999999999"},
        {"LDAPPAGING:sometimes", "msg.conf: LDAPPAGING must be auto, always or no, not sometimes"},
    };
    for (const auto& b : bad) {
        use_conf(std::string("LDAPURI:ldap://u\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n") + b.line + "\n");
        ChildResult c = run_child([] { parse_conf(); });
        CHECK_EQ(c.status, 1);
        CHECK_EQ(c.err, "ERROR:256:unit:" + std::string(b.err) + "\n");
    }
    // Neither LDAPURI nor LDAPHOST.
    use_conf("LDAPURI: \t \nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    ChildResult c = run_child([] { parse_conf(); });
    CHECK_EQ(c.err, std::string("ERROR:256:unit:msg.conf missing critical configuration information\n"));

    // A URI of another scheme is refused before any connection.
    use_conf("LDAPURI:ldap://u http://x\nADMINDN:cn=a\nLDAPSUFFIX:dc=x\n");
    parse_conf();
    c = run_child([] { do_bind(); });
    CHECK_EQ(c.status, 1);
    CHECK_EQ(c.err, std::string("ERROR:256:unit:msg.conf: LDAPURI: not an ldap://, ldaps:// or "
                                "ldapi:// URI: http://x\n"));
}

// DNs built with the library's escaping read back as the values they were built from.
void test_dn_building() {
    opt_suff = "dc=q";
    CHECK_EQ(dn_child("ou", "x,y", "dc=a"), std::string("ou=x\\2Cy,dc=a"));
    CHECK_EQ(dn_child("ou", "plain", ""), std::string("ou=plain"));
    CHECK_EQ(domain_container("MSG Users", "x,y"), std::string("ou=MSG Users,ou=x\\2Cy,dc=q"));
    for (const std::string value : {"# lead", " blank ", "a+b=c", "q\"u\\o<t>e;", "caf\xc3\xa9"}) {
        const std::string dn = dn_child("ou", value, "dc=q");
        LDAPDN parsed = nullptr;
        CHECK_EQ(ldap_str2dn(dn.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3), LDAP_SUCCESS);
        if (!parsed)
            continue;
        CHECK(parsed[0] && parsed[1] && !parsed[2] && !parsed[0][1]);
        const berval& v = parsed[0][0]->la_value;
        CHECK_EQ(std::string(v.bv_val, v.bv_len), value);
        ldap_dnfree(parsed);
    }
}

// The command line of rosterdump and crewdump.
void test_item_options() {
    tool_init({"unit", "ERROR:1:usage:unit\n", false, false, true});
    auto bit_of = [](const char* arg) -> unsigned {
        if (strcmp(arg, "--a") == 0)
            return 1;
        if (strcmp(arg, "--b") == 0)
            return 2;
        return 0;
    };
    auto run = [&bit_of](std::vector<const char*> args) {
        return run_child([&] {
            args.insert(args.begin(), "unit");
            const unsigned bits =
                parse_item_options(static_cast<int>(args.size()), const_cast<char**>(args.data()), 7,
                                   bit_of);
            printf("%u %s", bits, opt_domain.c_str());
        });
    };
    CHECK_EQ(run({"--domain=d"}).out, std::string("7 d"));
    CHECK_EQ(run({"--b", "--domain=d"}).out, std::string("2 d"));
    CHECK_EQ(run({"--domain=d", "--all"}).out, std::string("7 d"));
    CHECK_EQ(run({"--domain=e", "--a", "--b", "--a"}).out, std::string("3 e"));
    for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
             {"--a"}, {"--domain="}, {"--domain=d", "--all", "--a"}, {"--domain=d", "--c"},
             {"--domain"}, {"--domain=d", "-a"}}) {
        ChildResult r = run(args);
        CHECK_EQ(r.status, 1);
        CHECK_EQ(r.out, std::string("ERROR:1:usage:unit\n"));
    }
    ChildResult r = run({("--domain=" + std::string(128, 'd')).c_str()});
    CHECK_EQ(r.err, std::string("ERROR:256:unit:--domain length exceeds maximum value of 128\n"));
}

int main() {
    char dir[] = "/tmp/tools-common-XXXXXX";
    if (!mkdtemp(dir)) {
        perror("mkdtemp");
        return 2;
    }
    tmpdir = dir;
    test_dexpand();
    test_list();
    test_escape_and_fbuild();
    test_argcheck();
    test_parse_conf();
    test_getpass();
    test_usage_and_die();
    test_append_value();
    test_dn_member();
    test_connection_conf();
    test_dn_building();
    test_item_options();
    const std::string cleanup = "rm -rf '" + tmpdir + "'";
    if (system(cleanup.c_str()) != 0)
        fprintf(stderr, "cleanup of %s failed\n", tmpdir.c_str());
    return check::result();
}
