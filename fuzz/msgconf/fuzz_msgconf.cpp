// Fuzz target: msg.conf parsing and filter building of the tool library.
//
// An input is a msg.conf text, then (after a NUL byte, when there is one) lines: a filter
// template, then up to three arguments. The conf file is parsed, each argument is checked as
// a command-line value and the filter is built from the template. Bad input ends in the
// library's fatal line (status 1), in a process of its own; a crash, a sanitizer report or a
// hang is a finding, and so is a built filter whose structure differs from its template's:
// an argument must never add or remove a parenthesis or a wildcard.
#include "fuzz_fork.h"
#include "msgtool.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>
#include <vector>

namespace {

const ToolInfo kInfo = {"fuzzmsgconf", "usage: fuzzmsgconf\n", true, false};

const std::string& confPath() {
    return quorellefuzz::scratchFile("fuzz-msgconf", "msg.conf");
}

// The filter's structure: its unescaped parentheses and asterisks, in order.
std::string structure(const std::string& filter) {
    std::string out;
    for (size_t i = 0; i < filter.size(); ++i) {
        if (filter[i] == '\\')
            ++i;
        else if (filter[i] == '(' || filter[i] == ')' || filter[i] == '*')
            out += filter[i];
    }
    return out;
}

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

void runInput(const std::string& filterPart) {
    tool_init(kInfo);
    parse_conf_file(confPath());
    for (const std::string* value : {&opt_host, &opt_user, &opt_suff, &opt_pass})
        if (value->find('\n') != std::string::npos)
            fail("a msg.conf value holds a newline", *value);

    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= filterPart.size() && lines.size() < 4) {
        const size_t end = filterPart.find('\n', start);
        lines.push_back(filterPart.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (lines.empty() || lines[0].find('\0') != std::string::npos)
        return;
    const std::string& tmpl = lines[0];
    std::vector<const char*> args;
    for (size_t i = 1; i < lines.size(); ++i) {
        argcheck("arg", lines[i]);
        args.push_back(lines[i].c_str());
    }
    std::string filter;
    switch (args.size()) {
    case 0: filter = fbuild(tmpl.c_str()); break;
    case 1: filter = fbuild(tmpl.c_str(), {args[0]}); break;
    case 2: filter = fbuild(tmpl.c_str(), {args[0], args[1]}); break;
    default: filter = fbuild(tmpl.c_str(), {args[0], args[1], args[2]}); break;
    }
    // The template's own structure, with its placeholders taken out.
    std::string bare;
    for (size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] >= '0' && tmpl[i + 1] <= '9')
            ++i;
        else
            bare += tmpl[i];
    }
    if (structure(filter) != structure(bare))
        fail("an argument changed the filter's structure", tmpl + " -> " + filter);
    if (filter.size() > static_cast<size_t>(kFilterMax))
        fail("a filter longer than the limit", filter);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    {
        std::ofstream out(confPath(), std::ios::binary | std::ios::trunc);
        out << input.substr(0, nul);
        if (!out)
            std::abort();
    }
    const std::string filterPart = nul == std::string::npos ? std::string() : input.substr(nul + 1);
    quorellefuzz::runInChild([&filterPart] { runInput(filterPart); });
    return 0;
}
