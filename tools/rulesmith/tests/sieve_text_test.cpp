// The Sieve script text, table-driven: quoting, dot-stuffing, the blocks and whole scripts.
// Needs neither root nor a directory; the scripts' acceptance by sievec is checked by the
// shell tests over real runs.
#include "check.h"
#include "sieve_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

const std::string kRequire = "require [\"vacation\", \"fileinto\", \"reject\", \"envelope\"];\n\n";

std::string block(const char* header, const char* quoted) {
    return std::string("if header :contains \"") + header + "\" " + quoted + " {\n\tkeep;\n\tstop;\n}\n";
}

void quoting() {
    struct Case {
        std::string_view in;
        std::string_view out;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"\"", "\"\\\"\""},
        {"\\", "\"\\\\\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\"; discard; \"", "\"\\\"; discard; \\\"\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},
        {"nul\0byte"sv, "\"nul\0byte\""sv},
        {"\\\\\"\"", "\"\\\\\\\\\\\"\\\"\""},
    };
    for (const Case& c : cases) {
        std::string out = "x";
        sieve::append_quoted(out, c.in);
        CHECK_EQ(out, "x" + std::string(c.out));
    }
}

void dot_stuffing() {
    struct Case {
        std::string_view in;
        std::string_view out;
    };
    const Case cases[] = {
        {"", ""},
        {".", ".."},
        {"..", "..."},
        {"a.b", "a.b"},
        {"Away\n.\nBack", "Away\n..\nBack"},
        {".\n..\n.x\n.", "..\n...\n..x\n.."},
        {"\n.", "\n.."},
        {"no dot\n", "no dot\n"},
        {" .", " ."},
        {"\r\n.", "\r\n.."},
    };
    for (const Case& c : cases) {
        std::string out;
        sieve::append_dot_stuffed(out, c.in);
        CHECK_EQ(out, std::string(c.out));
    }
}

void header_blocks() {
    std::string out;
    sieve::append_header_block(out, "cc", "MSG-team, \"west\"");
    CHECK_EQ(out, block("cc", "\"MSG-team, \\\"west\\\"\""));
}

void scripts() {
    const std::string_view allowed[] = {"boss@example.net", "a\"b"};
    const std::string_view groups[] = {"staff", "all\\"};
    const std::string custom = "# mine\nkeep;\n";
    const std::string vacation_head = "vacation\n\t:days 1\n\t:addresses [\"alice@example.com\"]\n";
    const std::string fixed = "text:\nThis is an automated reply:\nThis person is temporarily out "
                              "of the office\n";

    struct Case {
        const char* name;
        sieve::ScriptParts parts;
        std::string expected;
    };
    std::vector<Case> cases;
    {
        sieve::ScriptParts p;
        cases.push_back({"nothing enabled", p, kRequire});
    }
    {
        sieve::ScriptParts p;
        p.mail = "alice@example.com";
        p.vacation = true;
        cases.push_back({"vacation, default subject, no note", p,
                         kRequire + vacation_head + "\t:subject \"Absence Notification\"\n" + fixed +
                             ".\n;\n\n"});
    }
    {
        sieve::ScriptParts p;
        p.mail = "alice@example.com";
        p.vacation = true;
        p.subject = "Out \"of\" office";
        p.note = "Away\n.\nBack";
        cases.push_back({"vacation with subject and note", p,
                         kRequire + vacation_head + "\t:subject \"Out \\\"of\\\" office\"\n" + fixed +
                             "and has left the following note:\n\nAway\n..\nBack\n.\n;\n\n"});
    }
    {
        sieve::ScriptParts p;
        p.custom = &custom;
        cases.push_back({"custom script only", p,
                         kRequire + "# user supplied script begins\n# mine\nkeep;\n"
                                    "# user supplied script ends\n\n"});
    }
    {
        sieve::ScriptParts p;
        p.localpart = "bob";
        p.spamfilter = true;
        p.spamdestroy = true;
        cases.push_back({"spam filter, destroy, no groups", p,
                         kRequire + block("to", "\"bob\"") + block("from", "\"bob\"") + "discard;\n"});
    }
    {
        sieve::ScriptParts p;
        p.mail = "alice@example.com";
        p.localpart = "alice";
        p.vacation = true;
        p.custom = &custom;
        p.spamfilter = true;
        p.allowed = allowed;
        p.nallowed = 2;
        p.groups = groups;
        p.ngroups = 2;
        cases.push_back(
            {"everything, in order", p,
             kRequire + vacation_head + "\t:subject \"Absence Notification\"\n" + fixed + ".\n;\n\n" +
                 "# user supplied script begins\n# mine\nkeep;\n# user supplied script ends\n\n" +
                 block("from", "\"boss@example.net\"") + "\n" + block("from", "\"a\\\"b\"") + "\n" +
                 block("to", "\"alice\"") + block("from", "\"alice\"") + block("to", "\"staff\"") +
                 block("cc", "\"staff\"") + "\n" + block("to", "\"all\\\\\"") +
                 block("cc", "\"all\\\\\"") + "\n" + "fileinto \"inbox.spam\";\ndiscard;\n"});
    }
    {
        // Groups and allowed senders count only with the spam filter on.
        sieve::ScriptParts p;
        p.allowed = allowed;
        p.nallowed = 2;
        p.groups = groups;
        p.ngroups = 2;
        cases.push_back({"lists without the spam filter", p, kRequire});
    }

    std::string out = "left over from the last user";
    for (const Case& c : cases) {
        sieve::script_text(c.parts, out);
        if (out != c.expected)
            std::fprintf(stderr, "case: %s\n", c.name);
        CHECK_EQ(out, c.expected);
    }
}

} // namespace

int main() {
    quoting();
    dot_stuffing();
    header_blocks();
    scripts();
    return check::result();
}
