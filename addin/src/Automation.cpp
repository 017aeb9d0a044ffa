#include "Automation.h"

namespace tabrix {

namespace {

std::string describe(const std::u16string& name) {
    return "'" + toUtf8(name) + "'";
}

} // namespace

DispatchPtr getObject(Dispatch& obj, const std::u16string& name, const std::vector<Value>& args) {
    Value v = obj.get(name, args);
    if (v.kind != Value::Kind::Object || !v.object)
        throw AutomationError(describe(name) + " did not return an object");
    return v.object;
}

std::int32_t getLong(Dispatch& obj, const std::u16string& name, const std::vector<Value>& args) {
    Value v = obj.get(name, args);
    if (v.kind != Value::Kind::Long)
        throw AutomationError(describe(name) + " did not return a number");
    return v.number;
}

std::u16string getText(Dispatch& obj, const std::u16string& name, const std::vector<Value>& args) {
    Value v = obj.get(name, args);
    if (v.kind == Value::Kind::Empty)
        return std::u16string();
    if (v.kind != Value::Kind::Text)
        throw AutomationError(describe(name) + " did not return a text");
    return v.text;
}

std::string toUtf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace tabrix
