// Fuzz target: rulesmith's Sieve script writer.
//
// An input is a byte of switches (vacation, custom script, spam filter, spam destroy), then
// NUL-separated fields: mail, local part, subject, note, the allowed senders and the group
// names (each list separated by byte 0x01). Directory values are UTF-8 strings without NUL,
// so other inputs are skipped. The script is read back with a small Sieve lexer: its
// strings and its text block must be exactly the values written, in order, so that no value
// can end a string or the text block early or add commands of its own.
//
// With SIEVE_TEXT_OUTPUT set, the script is also written to that file (the corpus test
// compiles each one with sievec).
#include "sieve_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The user's own script is copied as it is; any valid one serves.
const std::string kCustom = "if header :is \"x-test\" \"yes\" {\n\tkeep;\n}\n";

bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = 0;
        uint32_t cp = 0;
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (size_t k = 1; k <= n; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (;;) {
        const size_t end = s.find(sep, start);
        out.push_back(s.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return out;
        start = end + 1;
    }
}

[[noreturn]] void fail(const std::string& what, const std::string& script) {
    std::fprintf(stderr, "fuzz: %s\n--- script ---\n%s--- end ---\n", what.c_str(), script.c_str());
    std::abort();
}

// The strings and text blocks of a script, decoded, in order.
std::vector<std::string> readStrings(const std::string& s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == '#') {
            const size_t end = s.find('\n', i);
            i = end == std::string::npos ? s.size() : end + 1;
        } else if (s[i] == '"') {
            std::string value;
            ++i;
            while (i < s.size() && s[i] != '"') {
                if (s[i] == '\\' && i + 1 < s.size())
                    ++i;
                value += s[i++];
            }
            if (i >= s.size())
                fail("unterminated string", s);
            ++i;
            out.push_back(value);
        } else if (s.compare(i, 6, "text:\n") == 0) {
            i += 6;
            std::string value;
            for (;;) {
                const size_t end = s.find('\n', i);
                if (end == std::string::npos)
                    fail("unterminated text block", s);
                std::string_view line(s.data() + i, end - i);
                i = end + 1;
                if (line == ".")
                    break;
                if (!line.empty() && line[0] == '.')
                    line.remove_prefix(1);
                value.append(line.data(), line.size());
                value += '\n';
            }
            out.push_back(value);
        } else {
            ++i;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const unsigned flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string_view> fields = split(rest, '\0');
    fields.resize(6);
    for (std::string_view f : fields)
        if (!validUtf8(f))
            return 0;
    const std::vector<std::string_view> allowed =
        fields[4].empty() ? std::vector<std::string_view>() : split(fields[4], '\x01');
    const std::vector<std::string_view> groups =
        fields[5].empty() ? std::vector<std::string_view>() : split(fields[5], '\x01');

    sieve::ScriptParts p;
    p.mail = fields[0];
    p.localpart = fields[1];
    p.subject = fields[2];
    p.note = fields[3];
    p.vacation = flags & 1;
    p.custom = (flags & 2) ? &kCustom : nullptr;
    p.spamfilter = flags & 4;
    p.spamdestroy = flags & 8;
    p.allowed = allowed.data();
    p.nallowed = allowed.size();
    p.groups = groups.data();
    p.ngroups = groups.size();

    std::string script;
    sieve::script_text(p, script);

    std::vector<std::string> expected = {"vacation", "fileinto", "reject", "envelope"};
    if (p.vacation) {
        expected.emplace_back(p.mail);
        expected.emplace_back(p.subject.empty() ? std::string_view("Absence Notification")
                                                : p.subject);
        std::string body = "This is an automated reply:\nThis person is temporarily out of the office\n";
        if (!p.note.empty()) {
            body += "and has left the following note:\n\n";
            body += p.note;
            body += "\n";
        }
        expected.push_back(body);
    }
    if (p.custom) {
        expected.emplace_back("x-test");
        expected.emplace_back("yes");
    }
    if (p.spamfilter) {
        for (std::string_view a : allowed) {
            expected.emplace_back("from");
            expected.emplace_back(a);
        }
        for (const char* h : {"to", "from"}) {
            expected.emplace_back(h);
            expected.emplace_back(p.localpart);
        }
        for (std::string_view g : groups) {
            for (const char* h : {"to", "cc"}) {
                expected.emplace_back(h);
                expected.emplace_back(g);
            }
        }
        if (!p.spamdestroy)
            expected.emplace_back("inbox.spam");
    }
    if (readStrings(script) != expected)
        fail("the script's strings are not the values written", script);

    if (const char* out = std::getenv("SIEVE_TEXT_OUTPUT")) {
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        file << script;
        if (!file)
            std::abort();
    }
    return 0;
}
