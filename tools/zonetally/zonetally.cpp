// zonetally: for each mail domain, its description and how many users and groups it has.
#include "msgtool.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage = "ERROR:1:usage:zonetally [--domain=value]\n";
constexpr const char* kNoDomains = "No domains found";

StrList domains;
GrowBuf description;
std::string line;

int count_entries(const char* container, const char* objectclass, const char* attr) {
    opt_base = domain_container(container, opt_domain);
    const char* attrs[] = {attr, nullptr};
    int n = 0;
    search_loop(opt_base, LDAP_SCOPE_SUBTREE, fbuild(objectclass), attrs, 1,
                [&](LDAPMessage*) { ++n; });
    return n;
}

} // namespace

int main(int argc, char** argv) {
    tool_init({"zonetally", kUsage, false, false, true});
    parse_conf();

    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (opt_value(argv[i], "--domain=", value)) {
            argcheck("domain", value);
            if (value.empty())
                usage();
            list_add(domains, value.c_str(), value.size() + 1);
        } else if (strcmp(argv[i], "--all") == 0) {
            // Every domain is reported anyway without --domain=.
        } else {
            usage();
        }
    }

    do_getpass();
    do_bind();

    if (domains.count() == 0) {
        opt_base = opt_suff;
        const char* attrs[] = {"ou", nullptr};
        search_loop(opt_base, LDAP_SCOPE_ONELEVEL, fbuild("(objectclass=organizationalunit)"),
                    attrs, 0, [](LDAPMessage* e) {
                        std::string ou;
                        if (entry_first(e, "ou", ou))
                            list_add(domains, ou.c_str(), ou.size() + 1);
                    });
        if (domains.count() == 0)
            die(kNoDomains);
    }

    for (const std::string& domain : domains.items) {
        opt_domain = domain;
        validate_domain_description(description);
        const int nusers = count_entries("MSG Users", "(objectclass=msgUser)", "uid");
        const int ngroups = count_entries("MSG Groups", "(objectclass=msgGroup)", "cn");
        printf("domain:%s\n", opt_domain.c_str());
        if (description.str() && description.str()[0]) {
            // A line break in the description cannot begin a line of its own (a forged
            // "nusers:" line): it is escaped as in the other listings.
            line.assign("description:");
            append_value(line, description.str(), strlen(description.str()));
            printf("%s\n", line.c_str());
        }
        printf("nusers:%d\n", nusers);
        printf("naliases:%d\n\n", ngroups);
    }
    finish();
}
