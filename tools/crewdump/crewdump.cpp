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

// The user table: the mail address of every user of the domain, looked up by uid, once per
// owner and member of every group. uid matches as the directory matches it, without regard to
// case (a member DN uid=carol names the user Carol). An open-addressing hash over the users'
// texts packed in one block ("uid\0mail\0" each, the uid in lower case), so that a lookup
// touches about two cache lines. Of two users with the same uid the first one returned counts.
class UserTable {
public:
    // mail is nullptr for a user without a mail address.
    void add(const std::string& uid, const std::string* mail) {
        if (users_ * 2 >= slots_.size())
            grow();
        fold(uid.data(), uid.size());
        const uint32_t h = hash(key_.data(), key_.size());
        size_t i = h & mask_;
        while (slots_[i].offset) {
            if (slots_[i].hash == h && same_uid(slots_[i]))
                return;
            i = (i + 1) & mask_;
        }
        slots_[i] = {h, static_cast<uint32_t>(key_.size()), mail != nullptr,
                     pack(mail ? *mail : std::string())};
        ++users_;
    }
    // Whether uid is a user of the table; mail is its address (nullptr when it has none).
    bool find(const char* uid, size_t len, const char*& mail, size_t& mail_len) {
        if (slots_.empty())
            return false;
        fold(uid, len);
        const uint32_t h = hash(key_.data(), key_.size());
        for (size_t i = h & mask_; slots_[i].offset; i = (i + 1) & mask_) {
            if (slots_[i].hash == h && same_uid(slots_[i])) {
                mail = nullptr;
                mail_len = 0;
                if (slots_[i].has_mail) {
                    mail = text_.data() + slots_[i].offset + slots_[i].uid_len + 1;
                    mail_len = strlen(mail);
                }
                return true;
            }
        }
        return false;
    }

private:
    struct Slot {
        uint32_t hash;
        uint32_t uid_len;
        bool has_mail;
        size_t offset; // into text_; 0 marks a free slot
    };
    // The key of a uid: its ASCII letters in lower case.
    void fold(const char* p, size_t n) {
        key_.assign(p, n);
        for (char& c : key_)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    }
    static uint32_t hash(const char* p, size_t n) {
        uint32_t h = 2166136261u; // FNV-1a
        for (size_t i = 0; i < n; ++i)
            h = (h ^ static_cast<unsigned char>(p[i])) * 16777619u;
        return h;
    }
    bool same_uid(const Slot& s) const {
        return s.uid_len == key_.size() && memcmp(text_.data() + s.offset, key_.data(), key_.size()) == 0;
    }
    size_t pack(const std::string& mail) {
        if (text_.empty())
            text_.push_back('\0'); // offset 0 stays unused
        const size_t at = text_.size();
        text_.append(key_.c_str(), key_.size() + 1);
        text_.append(mail.c_str(), mail.size() + 1);
        return at;
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{0, 0, false, 0});
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
    std::string key_;
};
UserTable users;
const char* const kUserAttrs[] = {"uid", "mail", nullptr};

// A user entry without uid cannot be named by a member DN's uid: it is left out. One without
// mail is kept; its members and owners print no address line (see mail_of).
void add_user(LDAPMessage* e) {
    static std::string uid, mail;
    if (!entry_first(e, "uid", uid))
        return;
    const bool has_mail = entry_first(e, "mail", mail);
    users.add(uid, has_mail ? &mail : nullptr);
}

// The mail address of the user uid (nullptr when the user has none); a uid that is no user of
// the domain ends the tool.
const char* find_user(const std::string& uid, size_t& mail_len) {
    const char* mail = nullptr;
    if (!users.find(uid.data(), uid.size(), mail, mail_len))
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

// A user DN with a uid: the mail address of the user of this domain it names (nullptr when the
// user has none). A DN that shows another domain (ou=MSG Users,ou=OTHER) is not looked up by
// its uid alone, which could name a user of this domain who happens to share it.
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
        if (const char* mail = mail_of(v, len))
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
            if (const char* mail = mail_of(v, len))
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
    tool_init({"crewdump", kUsage, false, false, true});
    output_init();
    parse_conf();

    opt_attrs = parse_item_options(argc, argv, kAllItems, [](const char* arg) {
        for (const Option& o : kOptions)
            if (strcmp(arg, o.name) == 0)
                return o.bit;
        return 0u;
    });

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

    SearchSpec groups;
    groups.base = domain_container("MSG Groups", opt_domain);
    groups.filter = fbuild("(objectclass=msgGroup)");
    groups.attrs = attrs;
    if (!(opt_attrs & (kOwner | kMember))) {
        opt_base = groups.base;
        search_loop(opt_base, LDAP_SCOPE_SUBTREE, groups.filter.c_str(), attrs, 0, print_group);
        finish();
    }

    // With the user table: the users are read first, then the groups (read_two_searches).
    SearchSpec user_search;
    user_search.base = domain_container("MSG Users", opt_domain);
    user_search.filter = fbuild("(objectclass=msgUser)");
    user_search.attrs = kUserAttrs;
    read_two_searches(user_search, groups, false, add_user, [] {}, print_group);
    finish();
}
