#include "BasReg.h"

#include <vector>

namespace tabrix {
namespace BasReg {

std::u16string RegValue::toText() const {
    switch (kind) {
    case Kind::Text:
        return text;
    case Kind::Number: {
        std::u16string digits;
        std::uint32_t n = number;
        do {
            digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
            n /= 10;
        } while (n != 0);
        return digits;
    }
    case Kind::Empty:
        break;
    }
    return std::u16string();
}

namespace {

RegValue readString(RegistryReader& registry, RegistryReader::Key key, const std::u16string& name,
                    std::uint32_t size) {
    RegValue result;
    std::vector<unsigned char> data(size);
    std::uint32_t read = size;
    if (size != 0 && !registry.readValue(key, name, kRegSz, data.data(), read))
        return result;
    if (read > size)
        read = size;
    // Registry strings are UTF-16 little-endian; a trailing odd byte is not a character.
    std::u16string text;
    for (std::uint32_t i = 0; i + 1 < read; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0)
            break;
        text += c;
    }
    result.kind = RegValue::Kind::Text;
    result.text = std::move(text);
    return result;
}

RegValue readDword(RegistryReader& registry, RegistryReader::Key key, const std::u16string& name) {
    RegValue result;
    unsigned char data[4] = {0, 0, 0, 0};
    std::uint32_t read = sizeof data;
    if (!registry.readValue(key, name, kRegDword, data, read))
        return result;
    result.kind = RegValue::Kind::Number;
    result.number = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                    static_cast<std::uint32_t>(data[2]) << 16 |
                    static_cast<std::uint32_t>(data[3]) << 24;
    return result;
}

} // namespace

RegValue GetRegValue(RegistryReader& registry, RootKey root, const std::u16string& path,
                     const std::u16string& name) {
    RegistryReader::Key key = nullptr;
    if (!registry.openKey(root, path, key))
        return RegValue();

    RegValue result;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (registry.queryValueInfo(key, name, type, size)) {
        if (type == kRegSz)
            result = readString(registry, key, name, size);
        else if (type == kRegDword)
            result = readDword(registry, key, name);
    }
    registry.closeKey(key);
    return result;
}

} // namespace BasReg
} // namespace tabrix
