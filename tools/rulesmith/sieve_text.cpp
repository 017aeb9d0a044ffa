#include "sieve_text.h"

namespace sieve {

void append_quoted(std::string& out, std::string_view s) {
    out += '"';
    size_t from = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"' || s[i] == '\\') {
            out.append(s.data() + from, i - from);
            out += '\\';
            from = i;
        }
    }
    out.append(s.data() + from, s.size() - from);
    out += '"';
}

void append_dot_stuffed(std::string& out, std::string_view s) {
    bool line_start = true;
    for (char c : s) {
        if (line_start && c == '.')
            out += '.';
        out += c;
        line_start = c == '\n';
    }
}

void append_header_block(std::string& out, std::string_view header, std::string_view value) {
    out += "if header :contains \"";
    out += header;
    out += "\" ";
    append_quoted(out, value);
    out += " {\n\tkeep;\n\tstop;\n}\n";
}

void script_text(const ScriptParts& p, std::string& s) {
    s.clear();
    s += "require [\"vacation\", \"fileinto\", \"reject\", \"envelope\"];\n\n";
    if (p.vacation) {
        s += "vacation\n\t:days 1\n\t:addresses [";
        append_quoted(s, p.mail);
        s += "]\n\t:subject ";
        append_quoted(s, p.subject.empty() ? std::string_view("Absence Notification") : p.subject);
        s += "\ntext:\nThis is an automated reply:\nThis person is temporarily out of the office\n";
        if (!p.note.empty()) {
            s += "and has left the following note:\n\n";
            append_dot_stuffed(s, p.note);
            s += "\n";
        }
        s += ".\n;\n\n";
    }
    if (p.custom) {
        s += "# user supplied script begins\n";
        s += *p.custom;
        s += "# user supplied script ends\n\n";
    }
    if (p.spamfilter) {
        for (size_t i = 0; i < p.nallowed; ++i) {
            append_header_block(s, "from", p.allowed[i]);
            s += "\n";
        }
        append_header_block(s, "to", p.localpart);
        append_header_block(s, "from", p.localpart);
        for (size_t i = 0; i < p.ngroups; ++i) {
            append_header_block(s, "to", p.groups[i]);
            append_header_block(s, "cc", p.groups[i]);
            s += "\n";
        }
        if (!p.spamdestroy)
            s += "fileinto \"inbox.spam\";\n";
        s += "discard;\n";
    }
}

} // namespace sieve
