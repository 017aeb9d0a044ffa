// crewdump: the mail groups (aliases) of one domain with the items asked for, one block of
// key:value lines per group: name, domain, description, joinable, mail, owners, members,
// remote members, delivery files and programs.
#include "msgtool.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "ERROR:1:usage:crewdump\n  --domain=value\nThe following are optional items to list, the "
    "default is all.\n  --all\n  --name\n  --mail\n  --domain\n  --owner\n  --owneruid\n  "
    "--member\n  --memberalias\n  --memberuid\n  --remote\n  --file\n  --program\n  "
    "--joinable\n  --description\n";

enum : unsigned {
    kName = 0x1,
    kDomain = 0x2,
    kDescription = 0x4,
    kJoinable = 0x8,
    kMail = 0x10,
    kOwner = 0x20,
    kOwnerUid = 0x40,
    kMember = 0x80,
    kMemberAlias = 0x100,
    kMemberUid = 0x200,
    kRemote = 0x400,
    kFile = 0x800,
    kProgram = 0x1000,
    kAllItems = 0x1fff,
};

struct Option {
    const char* name;
    unsigned bit;
};
constexpr Option kOptions[] = {
    {"--name", kName},           {"--domain", kDomain},
    {"--description", kDescription}, {"--joinable", kJoinable},
    {"--mail", kMail},           {"--owner", kOwner},
    {"--owneruid", kOwnerUid},   {"--member", kMember},
    {"--memberalias", kMemberAlias}, {"--memberuid", kMemberUid},
    {"--remote", kRemote},       {"--file", kFile},
    {"--program", kProgram},
};

unsigned opt_attrs = 0;

// The user table: uid and mail address of every user of the domain, sorted by uid.
struct User {
    std::string uid;
    std::string mail;
};
std::vector<User> users;

// The current group: five single slots (name, domain, description, joinable, mail) and five
// lists (owners, members, remote, files, programs), kept from group to group for their room.
enum { kSlotName, kSlotDomain, kSlotDescription, kSlotJoinable, kSlotMail, kSingleSlots };
std::string slot[kSingleSlots];
StrList owners, members, remotes, files, programs;
std::string line;
std::string block;
std::string dnvalue, dndomain;

bool name_is(const char* attr, const char* name) {
    return strcasecmp(attr, name) == 0;
}

void load_users() {
    opt_base = "ou=MSG Users,ou=" + opt_domain + "," + opt_suff;
    const char* attrs[] = {"uid", "mail", nullptr};
    search_loop(opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgUser)"), attrs, 0,
                [](LDAPMessage* e) {
                    User u;
                    if (!entry_first(e, "uid", u.uid) || !entry_first(e, "mail", u.mail)) {
                        char* dn = ldap_get_dn(ld, e);
                        die(std::string("user ") + (dn ? dn : "") + " not have uid or mail");
                    }
                    users.push_back(std::move(u));
                });
    std::stable_sort(users.begin(), users.end(),
                     [](const User& a, const User& b) { return a.uid < b.uid; });
}

const User& find_user(const std::string& uid) {
    auto it = std::lower_bound(users.begin(), users.end(), uid,
                               [](const User& u, const std::string& k) { return u.uid < k; });
    if (it == users.end() || it->uid != uid)
        die("can't find user entry for uid: " + uid);
    return *it;
}

[[noreturn]] void not_in_dn(const char* name, const berval& dn) {
    die(std::string(name) + " not found in dn: " + std::string(dn.bv_val, dn.bv_len));
}

// Reads the first component (attr) of a member or owner DN into dnvalue; with domain, also
// the entry's domain into dndomain. A DN of one component only is not an entry of the tree.
// Returns false when want_domain and the DN names no domain (only with soft_domain).
bool read_dn(const berval& dn, const char* attr, bool want_domain, bool soft_domain) {
    int n = 0;
    const char* missing =
        dn_member(dn.bv_val, dn.bv_len, attr, dnvalue, n, want_domain ? &dndomain : nullptr);
    if (missing == attr || n < 2)
        not_in_dn(attr, dn);
    if (missing) {
        if (soft_domain)
            return false;
        not_in_dn(missing, dn);
    }
    return true;
}

// A user DN with a uid: the user of this domain it names. A DN that shows another domain
// (ou=MSG Users,ou=OTHER) is not looked up by its uid alone, which could name a user of
// this domain who happens to share it.
const User& user_of(const berval& dn) {
    if (read_dn(dn, "uid", true, true) && strcasecmp(dndomain.c_str(), opt_domain.c_str()) != 0)
        die("can't find user entry for uid: " + dnvalue);
    return find_user(dnvalue);
}

void add(StrList& list, const char* key, const char* data, size_t len) {
    line.assign(key);
    append_value(line, data, len);
    list_add(list, line.c_str(), line.size() + 1);
}

void set_slot(int i, const char* key, const berval& v) {
    slot[i].assign(key);
    append_value(slot[i], v.bv_val, v.bv_len);
}

void owner_value(const berval& v) {
    if (opt_attrs & kOwner) {
        const User& u = user_of(v);
        add(owners, "owner:", u.mail.data(), u.mail.size());
    } else {
        read_dn(v, "uid", false, false);
    }
    if (opt_attrs & kOwnerUid)
        add(owners, "owneruid:", dnvalue.data(), dnvalue.size());
}

void member_value(const berval& v) {
    if (v.bv_len >= 4 && memcmp(v.bv_val, "uid=", 4) == 0) {
        if (opt_attrs & kMember) {
            const User& u = user_of(v);
            add(members, "member:", u.mail.data(), u.mail.size());
        } else {
            read_dn(v, "uid", false, false);
        }
        if (opt_attrs & kMemberUid)
            add(members, "memberuid:", dnvalue.data(), dnvalue.size());
        return;
    }
    // A nested group: its address is its name at its own domain, taken from its DN.
    read_dn(v, "cn", (opt_attrs & kMember) != 0, false);
    if (opt_attrs & kMember) {
        line.assign("member:");
        append_value(line, dnvalue.data(), dnvalue.size());
        line += '@';
        append_value(line, dndomain.data(), dndomain.size());
        list_add(members, line.c_str(), line.size() + 1);
    }
    if (opt_attrs & kMemberAlias)
        add(members, "memberalias:", dnvalue.data(), dnvalue.size());
}

void append_list(StrList& list) {
    for (const std::string& s : list.items) {
        block += s;
        block += '\n';
    }
    list_free(list);
}

void print_group(LDAPMessage* entry) {
    for (std::string& s : slot)
        s.clear();
    entry_attributes(entry, [](const char* attr, berval* vals) {
        for (const berval* v = vals; v->bv_val; ++v) {
            if (name_is(attr, "cn")) {
                if (opt_attrs & kName)
                    set_slot(kSlotName, "name:", *v);
            } else if (name_is(attr, "ou")) {
                if (opt_attrs & kDomain)
                    set_slot(kSlotDomain, "domain:", *v);
            } else if (name_is(attr, "description")) {
                if (opt_attrs & kDescription)
                    set_slot(kSlotDescription, "description:", *v);
            } else if (name_is(attr, "corvaneMsgMgrpJoinable")) {
                if (opt_attrs & kJoinable)
                    set_slot(kSlotJoinable, "joinable:", *v);
            } else if (name_is(attr, "mail")) {
                if (opt_attrs & kMail)
                    set_slot(kSlotMail, "mail:", *v);
            } else if (name_is(attr, "owner")) {
                if (opt_attrs & (kOwner | kOwnerUid))
                    owner_value(*v);
            } else if (name_is(attr, "member")) {
                if (opt_attrs & (kMember | kMemberAlias | kMemberUid))
                    member_value(*v);
            } else if (name_is(attr, "corvaneMsgMgrpRFC822Member")) {
                if (opt_attrs & kRemote)
                    add(remotes, "remote:", v->bv_val, v->bv_len);
            } else if (name_is(attr, "corvaneMsgMgrpDeliveryFile")) {
                if (opt_attrs & kFile)
                    add(files, "file:", v->bv_val, v->bv_len);
            } else if (name_is(attr, "corvaneMsgMgrpDeliveryProgram")) {
                // Stored with the leading pipe character of an alias file's program line.
                if (opt_attrs & kProgram)
                    add(programs, "program:", v->bv_val + (v->bv_len ? 1 : 0),
                        v->bv_len ? v->bv_len - 1 : 0);
            }
        }
    });
    block.clear();
    for (const std::string& s : slot) {
        if (!s.empty()) {
            block += s;
            block += '\n';
        }
    }
    append_list(owners);
    append_list(members);
    append_list(remotes);
    append_list(files);
    append_list(programs);
    block += '\n';
    fwrite(block.data(), 1, block.size(), stdout);
    if (ferror(stdout))
        check_output();
}

} // namespace

int main(int argc, char** argv) {
    tool_init({"crewdump", kUsage, false, false});
    output_init();
    parse_conf();

    bool all = false;
    bool have_domain = false;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (opt_value(argv[i], "--domain=", value)) {
            argcheck("domain", value);
            opt_domain = value;
            have_domain = !value.empty();
        } else if (strcmp(argv[i], "--all") == 0) {
            all = true;
        } else {
            unsigned bit = 0;
            for (const Option& o : kOptions)
                if (strcmp(argv[i], o.name) == 0)
                    bit = o.bit;
            if (!bit)
                usage();
            opt_attrs |= bit;
        }
    }
    if (!have_domain || (all && opt_attrs != 0))
        usage();
    if (opt_attrs == 0)
        opt_attrs = kAllItems;

    do_getpass();
    do_bind();
    validate_domain();

    const char* attrs[16];
    int n = 0;
    attrs[n++] = "dn";
    if (opt_attrs & kName)
        attrs[n++] = "cn";
    if (opt_attrs & kDomain)
        attrs[n++] = "ou";
    if (opt_attrs & kMail)
        attrs[n++] = "mail";
    if (opt_attrs & kDescription)
        attrs[n++] = "description";
    if (opt_attrs & kJoinable)
        attrs[n++] = "corvaneMsgMgrpJoinable";
    if (opt_attrs & (kOwner | kOwnerUid))
        attrs[n++] = "owner";
    if (opt_attrs & (kMember | kMemberAlias | kMemberUid))
        attrs[n++] = "member";
    if (opt_attrs & kRemote)
        attrs[n++] = "corvaneMsgMgrpRFC822Member";
    if (opt_attrs & kFile)
        attrs[n++] = "corvaneMsgMgrpDeliveryFile";
    if (opt_attrs & kProgram)
        attrs[n++] = "corvaneMsgMgrpDeliveryProgram";
    attrs[n] = nullptr;

    if (opt_attrs & (kOwner | kMember))
        load_users();

    opt_base = "ou=MSG Groups,ou=" + opt_domain + "," + opt_suff;
    search_loop(opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgGroup)"), attrs, 0,
                print_group);
    finish();
}
