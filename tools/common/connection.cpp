// The connection to the directory: the servers of msg.conf tried in order, TLS (ldaps:// or a
// required StartTLS), the password or SASL bind, and a time limit on every step.
//
// What ldap.conf(5) configures (TLS_REQCERT, TLS_CACERTDIR, ...) is left to the library, which
// reads it; msg.conf's own keys are set on the connection and win over it. A process running
// set-user-id is not influenced by its caller: the library reads no ldaprc and no LDAP*
// variable when the real and effective user differ, and rootgate clears its environment and
// changes to / before it becomes root and before the library is first used.
#include "msgtool.h"

#include <sasl/sasl.h>
#include <strings.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr const char* kMsgInitFailed = "ERROR:256:ldap_init failed";

double seconds_now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

bool has_scheme(const std::string& uri, const char* scheme) {
    const size_t n = strlen(scheme);
    return uri.size() > n + 3 && strncasecmp(uri.c_str(), scheme, n) == 0 &&
           uri.compare(n, 3, "://") == 0;
}

std::string diagnostic(LDAP* l) {
    char* msg = nullptr;
    ldap_get_option(l, LDAP_OPT_DIAGNOSTIC_MESSAGE, &msg);
    std::string text = msg ? msg : "";
    if (msg)
        ldap_memfree(msg);
    return text;
}

// The watchdog of a connection step. The library bounds the TCP connect, StartTLS and the
// bind by the time limit, but not every wait inside a TLS handshake (an ldaps:// server that
// accepts the connection and never answers holds it for ever). While a step runs, a timer set
// a little beyond the limit ends the tool with the step's time-out line, prepared beforehand
// so that the signal handler only writes it.
char watch_line[2048];
size_t watch_len = 0;

void watch_fired(int) {
    ssize_t n = write(STDERR_FILENO, watch_line, watch_len);
    (void)n;
    _exit(1);
}

void watch_start(const std::string& line) {
    watch_len = std::min(line.size(), sizeof watch_line - 1);
    memcpy(watch_line, line.data(), watch_len);
    watch_line[watch_len - 1] = '\n';
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = watch_fired;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGALRM, &sa, nullptr);
    itimerval t = {{0, 0}, {opt_timeout, 500000}};
    setitimer(ITIMER_REAL, &t, nullptr);
}

void watch_stop() {
    itimerval t = {{0, 0}, {0, 0}};
    setitimer(ITIMER_REAL, &t, nullptr);
}

// The line that ends the tool when no server could be used: the last code, and each server
// with its cause.
std::string no_server_line(int code, const std::string& causes) {
    char head[64];
    snprintf(head, sizeof head, "ERROR:256:Bind failed (%d): ", code);
    return head + std::string(ldap_err2string(code)) + " (" + causes + ")";
}

std::string joined(const std::string& causes, const std::string& uri, const std::string& cause) {
    return (causes.empty() ? "" : causes + "; ") + uri + ": " + cause;
}

// Why one server could not be used: the LDAP code and a text naming the step and the cause.
struct Failure {
    int code = LDAP_SERVER_DOWN;
    std::string cause;
};

// The failure of step (connect, StartTLS, bind) begun at started. A step that took the whole
// time limit timed out, whatever code the library chose for it.
Failure step_failed(LDAP* l, int code, const char* step, double started) {
    Failure f;
    if (code == LDAP_TIMEOUT || seconds_now() - started >= opt_timeout - 0.05) {
        f.code = LDAP_TIMEOUT;
        f.cause = std::string(step) + ": no answer within " + std::to_string(opt_timeout) + " s";
        return f;
    }
    f.code = code;
    f.cause = step;
    // The library's text for the code is in the line already; the cause is what the library
    // says more, if anything.
    const std::string diag = diagnostic(l);
    const bool tls_step = strstr(step, "TLS") != nullptr;
    if (tls_step && (diag.empty() || diag == "(unknown error code)")) {
        // The library tells no more of a failed handshake than its code.
        f.cause += ": TLS handshake failed";
        if (!opt_cacert.empty())
            f.cause += " (CA certificates of " + opt_cacert + ")";
    } else if (!diag.empty())
        f.cause += ": " + diag;
    else if (code == LDAP_SERVER_DOWN)
        f.cause += " failed";
    else
        f.cause += ": " + std::string(ldap_err2string(code));
    return f;
}

// SASL questions (authorization identity, realm) are answered with the mechanism's default,
// which for EXTERNAL is the identity the connection already proves.
int sasl_interact(LDAP*, unsigned, void*, void* in) {
    for (auto* i = static_cast<sasl_interact_t*>(in); i->id != SASL_CB_LIST_END; ++i) {
        const char* answer = i->defresult ? i->defresult : "";
        i->result = answer;
        i->len = static_cast<unsigned>(strlen(answer));
    }
    return LDAP_SUCCESS;
}

// A simple bind, waiting at most the time limit for the answer. Returns the LDAP code.
int simple_bind(LDAP* l, const timeval& limit) {
    berval cred;
    cred.bv_val = const_cast<char*>(opt_pass.c_str());
    cred.bv_len = opt_pass.size();
    int msgid = 0;
    int rc = ldap_sasl_bind(l, opt_user.c_str(), LDAP_SASL_SIMPLE, &cred, nullptr, nullptr, &msgid);
    if (rc != LDAP_SUCCESS)
        return rc;
    timeval tv = limit;
    LDAPMessage* res = nullptr;
    const int type = ldap_result(l, msgid, LDAP_MSG_ALL, &tv, &res);
    if (type == 0)
        return LDAP_TIMEOUT;
    if (type < 0) {
        rc = LDAP_SERVER_DOWN;
        ldap_get_option(l, LDAP_OPT_RESULT_CODE, &rc);
        if (res)
            ldap_msgfree(res);
        return rc;
    }
    rc = LDAP_OTHER;
    if (ldap_parse_result(l, res, &rc, nullptr, nullptr, nullptr, nullptr, 1) != LDAP_SUCCESS)
        rc = LDAP_OTHER;
    return rc;
}

// A bind refused by the server itself (wrong password, an identity it does not know) ends the
// tool: another replica of the directory would answer the same. Busy or unavailable servers
// and failures of the client's side (no connection, a time-out) leave the next server to try.
bool refused_by_server(int code) {
    return code > 0 && code != LDAP_BUSY && code != LDAP_UNAVAILABLE;
}

// Connects to uri and binds. Returns true with the connection in ld; false with the reason in
// f; a refused bind ends the tool.
bool try_server(const std::string& uri, const std::string& causes, Failure& f) {
    auto watch = [&](const char* step) {
        watch_start(no_server_line(LDAP_TIMEOUT,
                                   joined(causes, uri,
                                          std::string(step) + ": no answer within " +
                                              std::to_string(opt_timeout) + " s")) +
                    "\n");
    };
    LDAP* l = nullptr;
    if (ldap_initialize(&l, uri.c_str()) != LDAP_SUCCESS || !l)
        fail_line(kMsgInitFailed);
    const timeval limit = {opt_timeout, 0};
    int version = LDAP_VERSION3;
    ldap_set_option(l, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(l, LDAP_OPT_NETWORK_TIMEOUT, &limit);
    ldap_set_option(l, LDAP_OPT_TIMEOUT, &limit);
    ldap_set_option(l, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    ldap_set_option(l, LDAP_OPT_RESTART, LDAP_OPT_ON);

    const bool ldaps = has_scheme(uri, "ldaps");
    const bool starttls = opt_starttls && has_scheme(uri, "ldap");
    if (ldaps || starttls) {
        if (!opt_cacert.empty()) {
            if (access(opt_cacert.c_str(), R_OK) != 0)
                die("Cannot read LDAPCACERT " + opt_cacert + ": " + strerror(errno));
            ldap_set_option(l, LDAP_OPT_X_TLS_CACERTFILE, opt_cacert.c_str());
        }
        int is_server = 0;
        const int rc = ldap_set_option(l, LDAP_OPT_X_TLS_NEWCTX, &is_server);
        if (rc != LDAP_SUCCESS)
            die(std::string("Cannot set up TLS: ") + ldap_err2string(rc) + " " + diagnostic(l));
    }

    double started = seconds_now();
    watch(ldaps ? "TLS connect" : "connect");
    int rc = ldap_connect(l);
    watch_stop();
    if (rc != LDAP_SUCCESS) {
        f = step_failed(l, rc, ldaps ? "TLS connect" : "connect", started);
        ldap_unbind_ext(l, nullptr, nullptr);
        return false;
    }
    if (starttls) {
        started = seconds_now();
        watch("StartTLS");
        rc = ldap_start_tls_s(l, nullptr, nullptr);
        watch_stop();
        if (rc != LDAP_SUCCESS) {
            // Never a fall-back to clear text: this server is not used.
            f = step_failed(l, rc, "StartTLS", started);
            ldap_unbind_ext(l, nullptr, nullptr);
            return false;
        }
    }

    started = seconds_now();
    watch("bind");
    if (sasl_configured()) {
        rc = ldap_sasl_interactive_bind_s(l, nullptr, opt_saslmech.c_str(), nullptr, nullptr,
                                          LDAP_SASL_QUIET, sasl_interact, nullptr);
    } else {
        rc = simple_bind(l, limit);
    }
    watch_stop();
    if (rc != LDAP_SUCCESS) {
        if (refused_by_server(rc)) {
            char head[64];
            snprintf(head, sizeof head, "ERROR:256:Bind failed (%d): ", rc);
            fail_line(head + std::string(ldap_err2string(rc)));
        }
        f = step_failed(l, rc, "bind", started);
        ldap_unbind_ext(l, nullptr, nullptr);
        return false;
    }
    ld = l;
    ld_server = uri;
    return true;
}

} // namespace

std::vector<std::string> server_uris() {
    std::vector<std::string> uris;
    size_t i = 0;
    while (i < opt_uri.size()) {
        const size_t a = opt_uri.find_first_not_of(" \t", i);
        if (a == std::string::npos)
            break;
        const size_t b = std::min(opt_uri.find_first_of(" \t", a), opt_uri.size());
        uris.push_back(opt_uri.substr(a, b - a));
        i = b;
    }
    if (uris.empty() && !opt_host.empty()) {
        // The configured host is a name; a host that already names a port ("host:port")
        // keeps it, any other is reached on the LDAP port 389.
        std::string uri = "ldap://" + opt_host;
        if (opt_host.find(':') == std::string::npos)
            uri += ":389";
        uris.push_back(uri);
    }
    return uris;
}

bool sasl_configured() {
    return !opt_saslmech.empty() && tool_info().sasl_bind;
}

void do_bind() {
    const std::vector<std::string> uris = server_uris();
    for (const std::string& uri : uris) {
        if (!has_scheme(uri, "ldap") && !has_scheme(uri, "ldaps") && !has_scheme(uri, "ldapi"))
            die("msg.conf: LDAPURI: not an ldap://, ldaps:// or ldapi:// URI: " + uri);
    }
    std::string causes;
    Failure last;
    for (const std::string& uri : uris) {
        Failure f;
        if (try_server(uri, causes, f))
            return;
        causes = joined(causes, uri, f.cause);
        last = f;
    }
    fail_line(no_server_line(last.code, causes));
}
