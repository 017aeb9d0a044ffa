#include "WinRegistry.h"

#include "WideText.h"

#include <windows.h>

namespace tabrix {

namespace {

HKEY rootHandle(BasReg::RootKey root) {
    switch (root) {
    case BasReg::RootKey::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case BasReg::RootKey::CurrentUser:
        return HKEY_CURRENT_USER;
    case BasReg::RootKey::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case BasReg::RootKey::Users:
        return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

} // namespace

bool WinRegistry::openKey(BasReg::RootKey root, const std::u16string& path, Key& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(rootHandle(root), toWide(path).c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS)
        return false;
    key = handle;
    return true;
}

bool WinRegistry::queryValueInfo(Key key, const std::u16string& name, std::uint32_t& type,
                                 std::uint32_t& size) {
    DWORD t = 0;
    DWORD n = 0;
    if (RegQueryValueExW(static_cast<HKEY>(key), toWide(name).c_str(), nullptr, &t, nullptr, &n) !=
        ERROR_SUCCESS)
        return false;
    type = t;
    size = n;
    return true;
}

bool WinRegistry::readValue(Key key, const std::u16string& name, std::uint32_t type, void* data,
                            std::uint32_t& size) {
    DWORD t = 0;
    DWORD n = size;
    if (RegQueryValueExW(static_cast<HKEY>(key), toWide(name).c_str(), nullptr, &t,
                         static_cast<BYTE*>(data), &n) != ERROR_SUCCESS)
        return false;
    if (t != type || n > size)
        return false;
    size = n;
    return true;
}

void WinRegistry::closeKey(Key key) {
    RegCloseKey(static_cast<HKEY>(key));
}

} // namespace tabrix
