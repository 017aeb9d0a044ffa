// Late-bound automation as the add-in sees it: values, objects reached by member name, and the
// failure that any call into the host application may raise. The Windows build wraps IDispatch;
// the unit tests supply in-memory objects.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tabrix {

class Dispatch;
using DispatchPtr = std::shared_ptr<Dispatch>;

// An automation argument or result.
struct Value {
    enum class Kind { Empty, Missing, Bool, Long, Text, Object };

    Kind kind = Kind::Empty;
    bool boolean = false;
    std::int32_t number = 0;
    std::u16string text;
    DispatchPtr object; // null for Nothing

    static Value Empty() { return Value(); }
    // An omitted optional argument.
    static Value Missing() {
        Value v;
        v.kind = Kind::Missing;
        return v;
    }
    static Value Bool(bool b) {
        Value v;
        v.kind = Kind::Bool;
        v.boolean = b;
        return v;
    }
    static Value Long(std::int32_t n) {
        Value v;
        v.kind = Kind::Long;
        v.number = n;
        return v;
    }
    static Value Text(std::u16string s) {
        Value v;
        v.kind = Kind::Text;
        v.text = std::move(s);
        return v;
    }
    static Value Object(DispatchPtr o) {
        Value v;
        v.kind = Kind::Object;
        v.object = std::move(o);
        return v;
    }
};

// Raised when the host application reports a failure or returns something unusable.
class AutomationError : public std::runtime_error {
public:
    explicit AutomationError(const std::string& what, long code = 0)
        : std::runtime_error(what), code_(code) {}
    long code() const { return code_; }

private:
    long code_;
};

// An object of the host application, driven by member names.
class Dispatch {
public:
    virtual ~Dispatch() = default;
    // Reads a property or calls a method; arguments in declaration order.
    virtual Value get(const std::u16string& name, const std::vector<Value>& args) = 0;
    // Assigns a property.
    virtual void put(const std::u16string& name, const Value& value) = 0;
};

// get() whose result must be an object other than Nothing.
DispatchPtr getObject(Dispatch& obj, const std::u16string& name,
                      const std::vector<Value>& args = {});
// get() whose result must be a number.
std::int32_t getLong(Dispatch& obj, const std::u16string& name,
                     const std::vector<Value>& args = {});
// get() whose result must be a text.
std::u16string getText(Dispatch& obj, const std::u16string& name,
                       const std::vector<Value>& args = {});

// UTF-16 to UTF-8, for messages.
std::string toUtf8(const std::u16string& s);

} // namespace tabrix
