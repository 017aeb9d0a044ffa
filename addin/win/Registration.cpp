#include "Registration.h"

#include "Tabrix.h"

#include <olectl.h>

#include <vector>

namespace tabrix {

namespace {

const wchar_t kProgId[] = L"QuorelleTabrix.Connect";
const wchar_t kLibraryName[] = L"QuorelleTabrix";
const wchar_t kLibraryVersion[] = L"1.0";
const wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\";
const wchar_t kFriendlyName[] = L"QuorelleTabrix";
const wchar_t kDescription[] = L"Corvane Quorelle Messaging Server Com-Addin for Microsoft Outlook";
const DWORD kLoadAtStartup = 3;
// The standard automation marshaler, used for dual interfaces described by a type library.
const wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
#ifdef _WIN64
const wchar_t kLibraryPlatform[] = L"win64";
#else
const wchar_t kLibraryPlatform[] = L"win32";
#endif

std::wstring guidText(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring classKey() {
    return L"Software\\Classes\\CLSID\\" + guidText(CLSID_Connect);
}
std::wstring progIdKey() {
    return std::wstring(L"Software\\Classes\\") + kProgId;
}
std::wstring libraryKey() {
    return L"Software\\Classes\\TypeLib\\" + guidText(LIBID_QuorelleTabrix);
}
std::wstring interfaceKey() {
    return L"Software\\Classes\\Interface\\" + guidText(IID__Connect);
}
std::wstring addinKey() {
    return std::wstring(kAddinsKey) + kProgId;
}

struct Entry {
    std::wstring key;
    const wchar_t* name; // null: the key's default value
    DWORD type;
    std::wstring text;
    DWORD number;
};

Entry text(std::wstring key, const wchar_t* name, std::wstring value) {
    return Entry{std::move(key), name, REG_SZ, std::move(value), 0};
}

std::vector<Entry> entries(const std::wstring& dllPath) {
    std::wstring folder = dllPath.substr(0, dllPath.find_last_of(L"\\/") + 1);
    if (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    const std::wstring clsid = guidText(CLSID_Connect);
    const std::wstring libid = guidText(LIBID_QuorelleTabrix);
    const std::wstring version = libraryKey() + L"\\" + kLibraryVersion;
    return {
        text(classKey(), nullptr, kProgId),
        text(classKey() + L"\\InprocServer32", nullptr, dllPath),
        text(classKey() + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
        text(classKey() + L"\\ProgID", nullptr, kProgId),
        text(classKey() + L"\\TypeLib", nullptr, libid),
        text(progIdKey(), nullptr, kProgId),
        text(progIdKey() + L"\\CLSID", nullptr, clsid),
        text(version, nullptr, kLibraryName),
        text(version + L"\\0\\" + kLibraryPlatform, nullptr, dllPath),
        text(version + L"\\FLAGS", nullptr, L"0"),
        text(version + L"\\HELPDIR", nullptr, folder),
        text(interfaceKey(), nullptr, L"_Connect"),
        text(interfaceKey() + L"\\ProxyStubClsid32", nullptr, kAutomationProxy),
        text(interfaceKey() + L"\\TypeLib", nullptr, libid),
        text(interfaceKey() + L"\\TypeLib", L"Version", kLibraryVersion),
        text(addinKey(), L"FriendlyName", kFriendlyName),
        text(addinKey(), L"Description", kDescription),
        Entry{addinKey(), L"LoadBehavior", REG_DWORD, std::wstring(), kLoadAtStartup},
    };
}

LONG write(const Entry& e) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, e.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (e.type == REG_DWORD) {
        rc = RegSetValueExW(key, e.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&e.number),
                            sizeof e.number);
    } else {
        rc = RegSetValueExW(key, e.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(e.text.c_str()),
                            static_cast<DWORD>((e.text.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    return rc;
}

// Deletes parent\path with everything below it; a key that is not there counts as deleted.
LONG deleteTree(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc =
        RegOpenKeyExW(parent, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS)
        return rc;
    wchar_t name[256];
    for (;;) {
        DWORD length = sizeof name / sizeof name[0];
        rc = RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS)
            break;
        rc = deleteTree(key, name);
        if (rc != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    if (rc != ERROR_NO_MORE_ITEMS)
        return rc;
    rc = RegDeleteKeyW(parent, path.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

// Deletes the key when nothing is left in it.
void deleteIfEmpty(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0;
    DWORD values = 0;
    LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

} // namespace

HRESULT registerServer(const std::wstring& dllPath) {
    for (const Entry& e : entries(dllPath)) {
        if (write(e) != ERROR_SUCCESS) {
            unregisterServer();
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

HRESULT unregisterServer() {
    bool ok = true;
    // Only this version of the library; another version registered under the same identifier
    // stays.
    ok &= deleteTree(HKEY_CURRENT_USER, libraryKey() + L"\\" + kLibraryVersion) == ERROR_SUCCESS;
    deleteIfEmpty(libraryKey());
    ok &= deleteTree(HKEY_CURRENT_USER, interfaceKey()) == ERROR_SUCCESS;
    ok &= deleteTree(HKEY_CURRENT_USER, progIdKey()) == ERROR_SUCCESS;
    ok &= deleteTree(HKEY_CURRENT_USER, classKey()) == ERROR_SUCCESS;
    ok &= deleteTree(HKEY_CURRENT_USER, addinKey()) == ERROR_SUCCESS;
    return ok ? S_OK : SELFREG_E_CLASS;
}

} // namespace tabrix
