// Windows wide strings and the UTF-16 strings of the add-in logic are the same code units.
#pragma once

#include <string>

namespace tabrix {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

inline std::wstring toWide(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}
inline std::u16string fromWide(const wchar_t* s, std::size_t n) {
    return std::u16string(s, s + n);
}

} // namespace tabrix
