// rosterdump: the mail users of one domain with the items asked for, one block of key:value
// lines per user, printed as the entries arrive.
#include "msgtool.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "ERROR:1:usage:rosterdump\n  --domain=value\nThe following are optional items to list, the "
    "default is all.\n  --all\n  --uid\n  --firstname\n  --lastname\n  --fullname\n  --mail\n  "
    "--businessphone\n  --homephone\n  --pager\n  --mobile\n  --fax\n  --title\n  --mailstop\n  "
    "--alternatemail\n  --forward\n  --vacationenabled\n  --vacationsubject\n  "
    "--vacationmessage\n  --spamfilterenabled\n  --spamallowed\n";

// One output slot per item, in output order: option, LDAP attribute, output key.
struct Item {
    const char* option;
    const char* attr;
    const char* key;
};
constexpr Item kItems[] = {
    {"--uid", "uid", "uid:"},
    {"--domain", "ou", "domain:"},
    {"--firstname", "givenName", "firstname:"},
    {"--lastname", "sn", "lastname:"},
    {"--fullname", "cn", "fullname:"},
    {"--mail", "mail", "mail:"},
    {"--alternatemail", "corvaneMsgAlternateAddress", "alternatemail:"},
    {"--forward", "corvaneMsgForwardingAddress", "forward:"},
    {"--homephone", "homePhone", "homephone:"},
    {"--businessphone", "telephoneNumber", "businessphone:"},
    {"--fax", "facsimileTelephoneNumber", "fax:"},
    {"--pager", "pager", "pager:"},
    {"--mobile", "mobile", "mobile:"},
    {"--title", "title", "title:"},
    {"--mailstop", "physicalDeliveryOfficeName", "mailstop:"},
    {"--vacationenabled", "corvaneMsgVacationEnabled", "vacationenabled:"},
    {"--vacationsubject", "corvaneMsgVacationSubject", "vacationsubject:"},
    {"--vacationmessage", "corvaneMsgVacationMessage", "vacationmessage:"},
    {"--spamfilterenabled", "corvaneMsgSpamFilterEnabled", "spamfilterenabled:"},
    {"--spamdestroyenabled", "corvaneMsgSpamDestroyEnabled", "spamdestroyenabled:"},
    {"--spamallowed", "corvaneMsgSpamAllowed", "spamallowed:"},
};
constexpr int kSlots = sizeof kItems / sizeof kItems[0];
constexpr int kMailSlot = 5;
constexpr int kAlternateSlot = 6; // every value, one line each, right after the mail line
constexpr int kAllowedSlot = 20;  // every value, one line each, last
constexpr unsigned kAllItems = (1u << kSlots) - 1;

unsigned opt_attrs = 0;

// The current user: one line per single slot (empty when unset), the lines of the two
// multi-valued items, and the block being printed. Kept from user to user for their room.
std::string slot[kSlots];
StrList alternates;
StrList allowed;
std::string block;

int slot_of(const char* attr) {
    for (int i = 0; i < kSlots; ++i)
        if (strcasecmp(attr, kItems[i].attr) == 0)
            return i;
    return -1;
}

void add_line(StrList& list, int i, const berval& v) {
    std::string& line = slot[i];
    line.assign(kItems[i].key);
    append_value(line, v.bv_val, v.bv_len);
    list_add(list, line.c_str(), line.size() + 1);
    line.clear();
}

void print_user(LDAPMessage* entry) {
    for (std::string& s : slot)
        s.clear();
    entry_attributes(entry, [](const char* attr, berval* vals) {
        const int i = slot_of(attr);
        if (i < 0 || !(opt_attrs & (1u << i)))
            return;
        for (const berval* v = vals; v->bv_val; ++v) {
            if (i == kAlternateSlot) {
                add_line(alternates, i, *v);
            } else if (i == kAllowedSlot) {
                add_line(allowed, i, *v);
            } else {
                // A later value replaces an earlier one.
                slot[i].assign(kItems[i].key);
                append_value(slot[i], v->bv_val, v->bv_len);
            }
        }
    });
    block.clear();
    for (int i = 0; i < kSlots; ++i) {
        if (!slot[i].empty()) {
            block += slot[i];
            block += '\n';
        }
        if (i == kMailSlot) {
            for (const std::string& s : alternates.items) {
                block += s;
                block += '\n';
            }
        }
    }
    for (const std::string& s : allowed.items) {
        block += s;
        block += '\n';
    }
    block += '\n';
    list_free(alternates);
    list_free(allowed);
    fwrite(block.data(), 1, block.size(), stdout);
    if (ferror(stdout))
        check_output();
}

} // namespace

int main(int argc, char** argv) {
    tool_init({"rosterdump", kUsage, false, false, true});
    output_init();
    parse_conf();

    opt_attrs = parse_item_options(argc, argv, kAllItems, [](const char* arg) {
        for (int k = 0; k < kSlots; ++k)
            if (strcmp(arg, kItems[k].option) == 0)
                return 1u << k;
        return 0u;
    });

    do_getpass();
    do_bind();
    validate_domain();

    const char* attrs[kSlots + 2];
    int n = 0;
    attrs[n++] = "dn";
    for (int i = 0; i < kSlots; ++i)
        if (opt_attrs & (1u << i))
            attrs[n++] = kItems[i].attr;
    attrs[n] = nullptr;

    opt_base = domain_container("MSG Users", opt_domain);
    search_loop(opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgUser)"), attrs, 0,
                print_user);
    finish();
}
