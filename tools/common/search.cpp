// The one search loop of the tools: asynchronous searches asking for their answer in pages
// (RFC 2696 paged results), every wait for the server bounded by LDAPTIMEOUT, and an answer
// that ends early treated as the failure it is.
#include "msgtool.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kMsgSearchFailed = "ERROR:256:ldap_search failed";

[[noreturn]] void search_failed(int code, const std::string& detail = "") {
    char text[64];
    snprintf(text, sizeof text, "Search failed (%d): ", code);
    std::string line = text + std::string(ldap_err2string(code));
    if (!detail.empty())
        line += " (" + detail + ")";
    die(line);
}

[[noreturn]] void start_failed(bool start_failure_dies) {
    if (start_failure_dies)
        die("ldap_search failed");
    fail_line(kMsgSearchFailed);
}

// The next message of msgid (LDAP_RES_ANY: of any search), waiting at most LDAPTIMEOUT. A
// broken connection or a silent server ends the tool: what was received is not the whole
// answer. Returns the message type; the caller frees the message.
int wait_message(int msgid, LDAPMessage*& res) {
    timeval tv = {opt_timeout, 0};
    res = nullptr;
    const int type = ldap_result(ld, msgid, LDAP_MSG_ONE, &tv, &res);
    if (type > 0)
        return type;
    if (res)
        ldap_msgfree(res);
    if (type == 0)
        search_failed(LDAP_TIMEOUT,
                      ld_server + ": no answer within " + std::to_string(opt_timeout) + " s");
    int err = LDAP_SERVER_DOWN;
    ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &err);
    search_failed(err, ld_server);
}

bool result_code_is_success(LDAPMessage* res) {
    int code = LDAP_OTHER;
    return ldap_parse_result(ld, res, &code, nullptr, nullptr, nullptr, nullptr, 0) == LDAP_SUCCESS &&
           code == LDAP_SUCCESS;
}

// The codes of a final result that mean the answer is whole: success, and a missing base (an
// empty answer: a domain without its container).
bool whole_answer(int code) {
    return code == LDAP_SUCCESS || code == LDAP_NO_SUCH_OBJECT;
}

// One search. How it uses paged results (RFC 2696) follows LDAPPAGING:
// - auto (the default): the search is sent without paging, which costs a server nothing; when
//   the server cuts it at its size limit, the search is sent again with paging and the entries
//   already received are skipped (known by their DN), so that the whole answer is read. Paging
//   is asked for only when needed because OpenLDAP answers a paged search from the whole
//   candidate list of its filter, where an unpaged one walks the entries below its base (a
//   paged search of 1,000 entries in a directory of 110,000 takes four to five times as long
//   as the same search unpaged, whatever the indexes).
// - always: every search asks for pages from its start. A server that refuses the first page
//   (perhaps because of the control) is asked again without it.
// - no (or LDAPPAGESIZE 0): no paging; a size limit ends the tool.
// The control is sent as not critical: a server that does not know it answers in one piece,
// which is read as the whole answer.
class Search {
public:
    explicit Search(const SearchSpec& spec)
        : spec_(spec), mode_(opt_pagesize > 0 ? opt_paging : Paging::No),
          paging_(mode_ == Paging::Always) {}
    ~Search() {
        if (cookie_.bv_val)
            ber_memfree(cookie_.bv_val);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    // Sends the request of the next page (the first one, or the whole search without paging).
    int start() {
        LDAPControl* page = nullptr;
        LDAPControl* ctrls[2] = {nullptr, nullptr};
        if (paging_) {
            const int rc = ldap_create_page_control(ld, opt_pagesize, cookie_.bv_val ? &cookie_ : nullptr,
                                                    0, &page);
            if (rc != LDAP_SUCCESS)
                return rc;
            ctrls[0] = page;
        }
        ++pages_;
        const int rc = ldap_search_ext(ld, spec_.base.c_str(), spec_.scope, spec_.filter.c_str(),
                                       const_cast<char**>(spec_.attrs), spec_.attrsonly,
                                       paging_ ? ctrls : nullptr, nullptr, nullptr, 0, &msgid_);
        if (page)
            ldap_control_free(page);
        return rc;
    }

    int msgid() const { return msgid_; }

    // An entry of this search: false when it is to be skipped (received before the search was
    // sent again with paging).
    bool take_entry(LDAPMessage* entry) {
        ++entries_;
        if (mode_ != Paging::Auto)
            return true;
        if (!paging_) {
            seen_.push_back(dn_hash(entry));
            return true;
        }
        return !std::binary_search(seen_.begin(), seen_.end(), dn_hash(entry));
    }

    // Takes (and frees) the final result of a page: dies when the answer is incomplete; asks
    // for the next page when there is one. Returns true when the search is complete.
    bool end_page(LDAPMessage* res) {
        int code = LDAP_OTHER;
        LDAPControl** ctrls = nullptr;
        if (ldap_parse_result(ld, res, &code, nullptr, nullptr, nullptr, &ctrls, 1) != LDAP_SUCCESS)
            code = LDAP_OTHER;
        bool more = false;
        if (code == LDAP_SUCCESS && paging_ && ctrls)
            more = take_cookie(ctrls);
        if (ctrls)
            ldap_controls_free(ctrls);
        if (!more && paging_ && refused_paging(code)) {
            if (mode_ == Paging::Auto) // sent again after the size limit: no way past it
                search_failed(LDAP_SIZELIMIT_EXCEEDED);
            paging_ = false;
            more = true;
        } else if (code == LDAP_SIZELIMIT_EXCEEDED && mode_ == Paging::Auto && !paging_) {
            std::sort(seen_.begin(), seen_.end());
            paging_ = true;
            pages_ = 0;
            entries_ = 0;
            more = true;
        }
        if (more) {
            const int rc = start();
            if (rc != LDAP_SUCCESS)
                search_failed(rc, ld_server);
            return false;
        }
        if (!whole_answer(code))
            search_failed(code);
        return true;
    }

private:
    static int result_code(LDAPMessage* res) {
        int code = LDAP_OTHER;
        if (ldap_parse_result(ld, res, &code, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS)
            return LDAP_OTHER;
        return code;
    }

    // A refusal of the first page, before any entry, that may be a refusal of the control
    // (OpenLDAP with paging disabled answers "administrative limit exceeded").
    bool refused_paging(int code) const {
        return paging_ && pages_ == 1 && entries_ == 0 &&
               (code == LDAP_UNAVAILABLE_CRITICAL_EXTENSION || code == LDAP_UNWILLING_TO_PERFORM ||
                code == LDAP_ADMINLIMIT_EXCEEDED);
    }

    // Keeps the cookie of the page's response; true when it asks for another page.
    bool take_cookie(LDAPControl** ctrls) {
        LDAPControl* resp = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, ctrls, nullptr);
        if (!resp)
            return false; // the server answered without paging: this was the whole answer
        ber_int_t estimate = 0;
        berval cookie = {0, nullptr};
        if (ldap_parse_pageresponse_control(ld, resp, &estimate, &cookie) != LDAP_SUCCESS)
            search_failed(LDAP_DECODING_ERROR, ld_server + ": bad paged results control");
        if (cookie_.bv_val)
            ber_memfree(cookie_.bv_val);
        cookie_ = cookie;
        return cookie_.bv_len > 0;
    }

    // A 64-bit hash of an entry's DN as the server sent it (the same entry comes with the
    // same DN in both answers).
    static uint64_t dn_hash(LDAPMessage* entry) {
        BerElement* ber = nullptr;
        berval dn = {0, nullptr};
        uint64_t h = 14695981039346656037ull; // FNV-1a
        if (ldap_get_dn_ber(ld, entry, &ber, &dn) == LDAP_SUCCESS) {
            for (ber_len_t i = 0; i < dn.bv_len; ++i)
                h = (h ^ static_cast<unsigned char>(dn.bv_val[i])) * 1099511628211ull;
        }
        if (ber)
            ber_free(ber, 0);
        return h;
    }

    SearchSpec spec_;
    Paging mode_;
    bool paging_;
    berval cookie_ = {0, nullptr};
    int msgid_ = -1;
    int pages_ = 0;
    long entries_ = 0;
    std::vector<uint64_t> seen_; // DN hashes of the unpaged answer, sorted once it is cut short
};

} // namespace

void search_loop(const std::string& base, int scope, const char* filter, const char* const* attrs,
                 int attrsonly, const std::function<void(LDAPMessage*)>& on_entry,
                 bool start_failure_dies) {
    SearchSpec spec;
    spec.base = base;
    spec.scope = scope;
    spec.filter = filter;
    spec.attrs = attrs;
    spec.attrsonly = attrsonly;
    Search search(spec);
    if (search.start() != LDAP_SUCCESS)
        start_failed(start_failure_dies);
    for (;;) {
        LDAPMessage* res = nullptr;
        const int type = wait_message(search.msgid(), res);
        if (type == LDAP_RES_SEARCH_RESULT) {
            if (search.end_page(res))
                return;
            continue;
        }
        if (type == LDAP_RES_SEARCH_ENTRY && search.take_entry(res))
            on_entry(res);
        ldap_msgfree(res);
    }
}

void read_two_searches(const SearchSpec& first_spec, const SearchSpec& second_spec,
                       bool start_failure_dies,
                       const std::function<void(LDAPMessage*)>& on_first,
                       const std::function<void()>& after_first,
                       const std::function<void(LDAPMessage*)>& on_second) {
    if (opt_pagesize > 0 && opt_paging == Paging::Always) {
        // A server keeps the state of one paged search per connection (OpenLDAP answers the
        // next page of a search with "protocol error" once another paged search has begun):
        // paged searches are read one after the other.
        search_loop(first_spec.base, first_spec.scope, first_spec.filter.c_str(), first_spec.attrs,
                    first_spec.attrsonly, on_first, start_failure_dies);
        after_first();
        search_loop(second_spec.base, second_spec.scope, second_spec.filter.c_str(),
                    second_spec.attrs, second_spec.attrsonly, on_second, false);
        return;
    }
    Search first(first_spec);
    Search second(second_spec);
    if (first.start() != LDAP_SUCCESS)
        start_failed(start_failure_dies);
    const bool second_started = second.start() == LDAP_SUCCESS;

    // Both are outstanding at once, so that the server works on the second while the first
    // is read. The second one's entries are held meanwhile; its final result is held too,
    // unless it is a plain success: a failure shows after the first search's faults, and a
    // second search sent again with paging waits until the first is complete (whose own
    // paged pages must not be mixed with another paged search).
    std::vector<LDAPMessage*> held;
    LDAPMessage* second_result = nullptr;
    bool second_done = !second_started;
    for (;;) {
        LDAPMessage* res = nullptr;
        const int type = wait_message(LDAP_RES_ANY, res);
        const int id = ldap_msgid(res);
        if (id == first.msgid()) {
            if (type == LDAP_RES_SEARCH_RESULT) {
                if (first.end_page(res))
                    break;
                continue;
            }
            if (type == LDAP_RES_SEARCH_ENTRY && first.take_entry(res))
                on_first(res);
        } else if (!second_done && !second_result && id == second.msgid()) {
            if (type == LDAP_RES_SEARCH_ENTRY) {
                if (second.take_entry(res)) {
                    held.push_back(res);
                    continue;
                }
            } else if (type == LDAP_RES_SEARCH_RESULT) {
                if (result_code_is_success(res))
                    second_done = second.end_page(res);
                else
                    second_result = res;
                continue;
            }
        }
        ldap_msgfree(res);
    }
    after_first();
    if (!second_started)
        fail_line(kMsgSearchFailed);

    for (LDAPMessage* res : held) {
        on_second(res);
        ldap_msgfree(res);
    }
    std::vector<LDAPMessage*>().swap(held);
    if (second_result)
        second_done = second.end_page(second_result); // ends the tool, or asks for pages
    while (!second_done) {
        LDAPMessage* res = nullptr;
        const int type = wait_message(second.msgid(), res);
        if (type == LDAP_RES_SEARCH_RESULT) {
            second_done = second.end_page(res);
            continue;
        }
        if (type == LDAP_RES_SEARCH_ENTRY && second.take_entry(res))
            on_second(res);
        ldap_msgfree(res);
    }
}
