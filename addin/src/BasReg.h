// Reading the one registry value the add-in needs.
#pragma once

#include <cstdint>
#include <string>

namespace tabrix {
namespace BasReg {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

// The registry operations GetRegValue uses. The Windows build forwards them to the registry API.
class RegistryReader {
public:
    using Key = void*;

    virtual ~RegistryReader() = default;
    // Opens path under root for reading; false when it cannot be opened.
    virtual bool openKey(RootKey root, const std::u16string& path, Key& key) = 0;
    // Type and size in bytes of a value; false when it cannot be queried.
    virtual bool queryValueInfo(Key key, const std::u16string& name, std::uint32_t& type,
                                std::uint32_t& size) = 0;
    // Reads the value's data into data, which holds size bytes; size becomes the number of bytes
    // read. False when the value cannot be read, when it no longer fits or its type has changed.
    virtual bool readValue(Key key, const std::u16string& name, std::uint32_t type, void* data,
                           std::uint32_t& size) = 0;
    virtual void closeKey(Key key) = 0;
};

// A value read from the registry: a text, a number, or nothing (read as an empty text).
struct RegValue {
    enum class Kind { Empty, Text, Number };

    Kind kind = Kind::Empty;
    std::u16string text;
    std::uint32_t number = 0;

    // The value as text; a number as its decimal digits.
    std::u16string toText() const;
};

// The value name under root\path: REG_SZ up to its first NUL, REG_DWORD as a number, anything
// else (missing key or value, other types, failed reads) empty.
RegValue GetRegValue(RegistryReader& registry, RootKey root, const std::u16string& path,
                     const std::u16string& name);

} // namespace BasReg
} // namespace tabrix
