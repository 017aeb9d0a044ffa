// crewdump: the mail groups (aliases) of one domain with the items asked for, one block of
// key:value lines per group: name, domain, description, joinable, mail, owners, members,
// remote members, delivery files and programs.
#include "msgtool.h"

#include <strings.h>

#include <cstdint>
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

// The current group: five single slots (name, domain, description, joinable, mail) and five
// lists (owners, members, remote, files, programs), kept from group to group for their room.
// A list holds its lines one after the other, each ended by a newline, in the order the
// values arrive (no allocation per value: a group may have thousands of members).
enum { kSlotName, kSlotDomain, kSlotDescription, kSlotJoinable, kSlotMail, kSingleSlots };
std::string slot[kSingleSlots];
std::string owners, members, remotes, files, programs;
std::string block;
std::string dnvalue, dndomain;

bool name_is(const char* attr, const char* name) {
    return strcasecmp(attr, name) == 0;
}

// The user table: the mail address of every user of the domain, looked up by exact uid, once
// per owner and member of every group. An open-addressing hash over the users' texts packed
// in one block ("uid\0mail\0" each), so that a lookup touches about two cache lines; a
// search by halving in a sorted table would miss the cache at every step. Of two users with
// the same uid the first one returned counts.
class UserTable {
public:
    void add(const std::string& uid, const std::string& mail) {
        if (users_ * 2 >= slots_.size())
            grow();
        const uint32_t h = hash(uid.data(), uid.size());
        size_t i = h & mask_;
        while (slots_[i].offset) {
            if (slots_[i].hash == h && same_uid(slots_[i], uid.data(), uid.size()))
                return;
            i = (i + 1) & mask_;
        }
        slots_[i] = {h, static_cast<uint32_t>(uid.size()), pack(uid, mail)};
        ++users_;
    }
    // The mail address of uid, or nullptr.
    const char* find(const char* uid, size_t len, size_t& mail_len) const {
        if (slots_.empty())
            return nullptr;
        const uint32_t h = hash(uid, len);
        for (size_t i = h & mask_; slots_[i].offset; i = (i + 1) & mask_) {
            if (slots_[i].hash == h && same_uid(slots_[i], uid, len)) {
                const char* mail = text_.data() + slots_[i].offset + slots_[i].uid_len + 1;
                mail_len = strlen(mail);
                return mail;
            }
        }
        return nullptr;
    }

private:
    struct Slot {
        uint32_t hash;
        uint32_t uid_len;
        size_t offset; // into text_; 0 marks a free slot
    };
    static uint32_t hash(const char* p, size_t n) {
        uint32_t h = 2166136261u; // FNV-1a
        for (size_t i = 0; i < n; ++i)
            h = (h ^ static_cast<unsigned char>(p[i])) * 16777619u;
        return h;
    }
    bool same_uid(const Slot& s, const char* uid, size_t len) const {
        return s.uid_len == len && memcmp(text_.data() + s.offset, uid, len) == 0;
    }
    size_t pack(const std::string& uid, const std::string& mail) {
        if (text_.empty())
            text_.push_back('\0'); // offset 0 stays unused
        const size_t at = text_.size();
        text_.append(uid.c_str(), uid.size() + 1);
        text_.append(mail.c_str(), mail.size() + 1);
        return at;
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{0, 0, 0});
        mask_ = slots_.size() - 1;
        for (const Slot& s : old) {
            if (!s.offset)
                continue;
            size_t i = s.hash & mask_;
            while (slots_[i].offset)
                i = (i + 1) & mask_;
            slots_[i] = s;
        }
    }
    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t users_ = 0;
    std::string text_;
};
UserTable users;
const char* const kUserAttrs[] = {"uid", "mail", nullptr};

void add_user(LDAPMessage* e) {
    static std::string uid, mail;
    if (!entry_first(e, "uid", uid) || !entry_first(e, "mail", mail)) {
        char* dn = ldap_get_dn(ld, e);
        die(std::string("user ") + (dn ? dn : "") + " not have uid or mail");
    }
    users.add(uid, mail);
}

const char* find_user(const std::string& uid, size_t& mail_len) {
    const char* mail = users.find(uid.data(), uid.size(), mail_len);
    if (!mail)
        die("can't find user entry for uid: " + uid);
    return mail;
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
const char* mail_of(const berval& dn, size_t& mail_len) {
    if (read_dn(dn, "uid", true, true) && strcasecmp(dndomain.c_str(), opt_domain.c_str()) != 0)
        die("can't find user entry for uid: " + dnvalue);
    return find_user(dnvalue, mail_len);
}

void add(std::string& list, const char* key, const char* data, size_t len) {
    list += key;
    append_value(list, data, len);
    list += '\n';
}

void set_slot(int i, const char* key, const berval& v) {
    slot[i].assign(key);
    append_value(slot[i], v.bv_val, v.bv_len);
}

void owner_value(const berval& v) {
    if (opt_attrs & kOwner) {
        size_t len = 0;
        const char* mail = mail_of(v, len);
        add(owners, "owner:", mail, len);
    } else {
        read_dn(v, "uid", false, false);
    }
    if (opt_attrs & kOwnerUid)
        add(owners, "owneruid:", dnvalue.data(), dnvalue.size());
}

void member_value(const berval& v) {
    if (v.bv_len >= 4 && memcmp(v.bv_val, "uid=", 4) == 0) {
        if (opt_attrs & kMember) {
            size_t len = 0;
            const char* mail = mail_of(v, len);
            add(members, "member:", mail, len);
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
        members += "member:";
        append_value(members, dnvalue.data(), dnvalue.size());
        members += '@';
        append_value(members, dndomain.data(), dndomain.size());
        members += '\n';
    }
    if (opt_attrs & kMemberAlias)
        add(members, "memberalias:", dnvalue.data(), dnvalue.size());
}

void append_list(std::string& list) {
    block += list;
    list.clear();
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

    const std::string group_base = "ou=MSG Groups,ou=" + opt_domain + "," + opt_suff;
    const char* group_filter = "(objectclass=msgGroup)";
    if (!(opt_attrs & (kOwner | kMember))) {
        opt_base = group_base;
        search_loop(opt_base, LDAP_SCOPE_SUBTREE, fbuild(group_filter), attrs, 0, print_group);
        finish();
    }

    // With the user table: both searches are kept outstanding on the connection, so that the
    // server works on the groups while the users are read. Group messages that arrive before
    // the table is complete are kept and taken afterwards; a fault in the user table still
    // ends the run before any group is printed.
    opt_base = "ou=MSG Users,ou=" + opt_domain + "," + opt_suff;
    int user_msg = 0;
    if (search_begin(opt_base, LDAP_SCOPE_SUBTREE, fbuild("(objectclass=msgUser)"),
                     kUserAttrs, 0, user_msg) != LDAP_SUCCESS)
        search_begin_failed(false);
    opt_base = group_base;
    int group_msg = 0;
    const bool groups_started = search_begin(opt_base, LDAP_SCOPE_SUBTREE, fbuild(group_filter),
                                             attrs, 0, group_msg) == LDAP_SUCCESS;
    read_two_searches(user_msg, groups_started, group_msg, add_user, [] {}, print_group);
    finish();
}
