// Tabrix.dll under wine: registration with regsvr32, the Connect object driven through its add-in
// interface against a fake Outlook, unregistration, and the DLLs' type library and version
// resources.
//
//   tabrix_wine_test DLL64 DLL32   run every check (DLL64 is loaded, DLL32 only inspected)
//   tabrix_wine_test --ping        exit 0 (shows that wine runs programs at all)
#include "FakeOutlookCom.h"
#include "Tabrix.h"

#include <olectl.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;

void fail(int line, const std::wstring& what) {
    std::fwprintf(stderr, L"FAIL (line %d): %ls\n", line, what.c_str());
    ++failures;
}

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond))                                                                               \
            fail(__LINE__, L"" #cond);                                                             \
    } while (0)

#define CHECK_TEXT(actual, expected)                                                               \
    do {                                                                                           \
        std::wstring a_ = (actual), e_ = (expected);                                               \
        if (a_ != e_)                                                                              \
            fail(__LINE__, L"" #actual L" is \"" + a_ + L"\", expected \"" + e_ + L"\"");          \
    } while (0)

const wchar_t kPrefsKey[] = L"Software\\Corvane\\QuorelleMsg";
const wchar_t kPrefsValue[] = L"PreferencesURL";
const wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\QuorelleTabrix.Connect";
const wchar_t kOtherAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Other.Connect";

const std::vector<std::wstring> kOutlookMenus = {L"&File",  L"&Edit",    L"&View", L"&Go",
                                                 L"&Tools", L"&Actions", L"&Help", L"Ad&d-ins"};

std::wstring guidText(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// --- registry helpers -------------------------------------------------------------------------

bool keyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void setValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
              DWORD size) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        fail(__LINE__, L"cannot create " + path);
        return;
    }
    if (RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        fail(__LINE__, L"cannot set a value under " + path);
    RegCloseKey(key);
}

// Stores text as a string value, exactly these characters (no terminator is added).
void setAddress(const std::wstring& text, DWORD type = REG_SZ) {
    setValue(kPrefsKey, kPrefsValue, type, text.data(),
             static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

void setAddressNumber(DWORD n) {
    setValue(kPrefsKey, kPrefsValue, REG_DWORD, &n, sizeof n);
}

void removeAddress() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPrefsKey, kPrefsValue);
}

// The value as "SZ:text" or "DWORD:n"; "" when absent.
std::wstring readValue(const std::wstring& path, const wchar_t* name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"";
    DWORD type = 0;
    BYTE data[2048];
    DWORD size = sizeof data - sizeof(wchar_t);
    std::wstring out;
    if (RegQueryValueExW(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS) {
        if (type == REG_SZ) {
            data[size] = 0;
            data[size + 1] = 0;
            out = L"SZ:" + std::wstring(reinterpret_cast<wchar_t*>(data));
        } else if (type == REG_DWORD && size == 4) {
            out = L"DWORD:" + std::to_wstring(*reinterpret_cast<DWORD*>(data));
        } else {
            out = L"TYPE:" + std::to_wstring(type);
        }
    }
    RegCloseKey(key);
    return out;
}

DWORD run(const std::wstring& commandLine) {
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fail(__LINE__, L"cannot start " + commandLine);
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// --- registration -----------------------------------------------------------------------------

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

void checkRegistered(const std::wstring& dll) {
    const std::wstring clsid = guidText(CLSID_Connect);
    const std::wstring libid = guidText(LIBID_QuorelleTabrix);
    const std::wstring classKey = L"Software\\Classes\\CLSID\\" + clsid;
    const std::wstring libKey = L"Software\\Classes\\TypeLib\\" + libid + L"\\1.0";
    const std::wstring ifKey = L"Software\\Classes\\Interface\\" + guidText(IID__Connect);
    CHECK_TEXT(readValue(classKey, nullptr), L"SZ:QuorelleTabrix.Connect");
    CHECK_TEXT(readValue(classKey + L"\\InprocServer32", nullptr), L"SZ:" + dll);
    CHECK_TEXT(readValue(classKey + L"\\InprocServer32", L"ThreadingModel"), L"SZ:Apartment");
    CHECK_TEXT(readValue(classKey + L"\\ProgID", nullptr), L"SZ:QuorelleTabrix.Connect");
    CHECK_TEXT(readValue(classKey + L"\\TypeLib", nullptr), L"SZ:" + libid);
    CHECK_TEXT(readValue(L"Software\\Classes\\QuorelleTabrix.Connect", nullptr),
               L"SZ:QuorelleTabrix.Connect");
    CHECK_TEXT(readValue(L"Software\\Classes\\QuorelleTabrix.Connect\\CLSID", nullptr),
               L"SZ:" + clsid);
    CHECK_TEXT(readValue(libKey, nullptr), L"SZ:QuorelleTabrix");
    CHECK_TEXT(readValue(libKey + L"\\0\\win64", nullptr), L"SZ:" + dll);
    CHECK_TEXT(readValue(libKey + L"\\FLAGS", nullptr), L"SZ:0");
    CHECK_TEXT(readValue(libKey + L"\\HELPDIR", nullptr), L"SZ:" + folderOf(dll));
    CHECK_TEXT(readValue(ifKey, nullptr), L"SZ:_Connect");
    CHECK_TEXT(readValue(ifKey + L"\\ProxyStubClsid32", nullptr),
               L"SZ:{00020424-0000-0000-C000-000000000046}");
    CHECK_TEXT(readValue(ifKey + L"\\TypeLib", nullptr), L"SZ:" + libid);
    CHECK_TEXT(readValue(ifKey + L"\\TypeLib", L"Version"), L"SZ:1.0");
    CHECK_TEXT(readValue(kAddinKey, L"FriendlyName"), L"SZ:QuorelleTabrix");
    CHECK_TEXT(readValue(kAddinKey, L"Description"),
               L"SZ:Corvane Quorelle Messaging Server Com-Addin for Microsoft Outlook");
    CHECK_TEXT(readValue(kAddinKey, L"LoadBehavior"), L"DWORD:3");
    // The add-in interface belongs to Office: registration leaves its key alone.
    CHECK(!keyExists(L"Software\\Classes\\Interface\\" + guidText(IID__IDTExtensibility2)));
}

void checkUnregistered() {
    CHECK(!keyExists(L"Software\\Classes\\CLSID\\" + guidText(CLSID_Connect)));
    CHECK(!keyExists(L"Software\\Classes\\QuorelleTabrix.Connect"));
    CHECK(!keyExists(L"Software\\Classes\\TypeLib\\" + guidText(LIBID_QuorelleTabrix) + L"\\1.0"));
    CHECK(!keyExists(L"Software\\Classes\\Interface\\" + guidText(IID__Connect)));
    CHECK(!keyExists(kAddinKey));
    // What others wrote stays: containers, another add-in, another library version, the address.
    CHECK(keyExists(L"Software\\Classes\\CLSID"));
    CHECK(keyExists(L"Software\\Microsoft\\Office\\Outlook\\Addins"));
    CHECK_TEXT(readValue(kOtherAddinKey, L"LoadBehavior"), L"DWORD:2");
    CHECK_TEXT(
        readValue(L"Software\\Classes\\TypeLib\\" + guidText(LIBID_QuorelleTabrix) + L"\\2.0",
                  nullptr),
        L"SZ:a later version");
    CHECK(keyExists(kPrefsKey));
}

// --- connection scenarios ---------------------------------------------------------------------

struct AddIn {
    _IDTExtensibility2* ext = nullptr;
};

SAFEARRAY* emptyCustom() {
    return SafeArrayCreateVector(VT_VARIANT, 0, 0);
}

HRESULT connect(_IDTExtensibility2* ext, fakecom::Application* app) {
    SAFEARRAY* custom = emptyCustom();
    HRESULT hr = ext->OnConnection(app, ext_cm_Startup, nullptr, &custom);
    SafeArrayDestroy(custom);
    return hr;
}

std::vector<std::wstring> captions(fakecom::CommandBar* bar) {
    std::vector<std::wstring> out;
    for (fakecom::Control* c : bar->controls->items)
        out.push_back(c->caption);
    return out;
}

// Connects app once with the address set up by prepare; true when Outlook stayed untouched.
bool untouched(_IDTExtensibility2* ext, fakecom::Application* app) {
    fakecom::journal().calls.clear();
    std::vector<std::wstring> before = captions(fakecom::menuBar(app));
    CHECK(connect(ext, app) == S_OK);
    return fakecom::journal().calls.empty() && captions(fakecom::menuBar(app)) == before;
}

void checkMenuOf(fakecom::Application* app, const std::wstring& address) {
    fakecom::CommandBar* bar = fakecom::menuBar(app);
    std::vector<std::wstring> expected = kOutlookMenus;
    expected.insert(expected.begin() + 6, L"&Quorelle");
    CHECK(captions(bar) == expected);
    CHECK(bar->controls->addCalls.size() == 1);
    if (bar->controls->addCalls.size() != 1 || bar->controls->items.size() != 9)
        return;
    CHECK_TEXT(bar->controls->addCalls[0], L"I4:10,MISSING,MISSING,I4:7,BOOL:TRUE");
    fakecom::Control* popup = bar->controls->items[6];
    CHECK(popup->type == 10);
    CHECK(popup->temporary);
    CHECK_TEXT(popup->tag, L"QuorelleMsgTag");
    CHECK(popup->putOrder == (std::vector<std::wstring>{L"Caption", L"Tag"}));
    CHECK(popup->controls && popup->controls->items.size() == 1);
    if (!popup->controls || popup->controls->items.size() != 1)
        return;
    CHECK_TEXT(popup->controls->addCalls[0], L"I4:1,MISSING,MISSING,MISSING,MISSING");
    fakecom::Control* button = popup->controls->items[0];
    CHECK(button->type == 1);
    CHECK(!button->temporary);
    CHECK(button->beginGroup);
    CHECK_TEXT(button->caption, L"Messaging Preferences");
    CHECK_TEXT(button->tag, L"Preferences");
    CHECK(button->faceId == 1015);
    CHECK(button->hyperlinkType == 1);
    CHECK_TEXT(button->tooltip, address);
    CHECK(button->style == 3);
    CHECK(button->putOrder ==
          (std::vector<std::wstring>{L"BeginGroup", L"Caption", L"Tag", L"FaceId", L"HyperlinkType",
                                     L"TooltipText", L"Style"}));
}

void connectionScenarios(_IDTExtensibility2* ext) {
    fakecom::Application* app = fakecom::makeOutlook(kOutlookMenus);

    removeAddress();
    CHECK(untouched(ext, app));
    setAddress(L"http://");
    CHECK(untouched(ext, app));
    setAddress(std::wstring(L"http://\0server/prefs\0", 21));
    CHECK(untouched(ext, app));
    setAddressNumber(1234567);
    CHECK(untouched(ext, app));
    setAddress(L"http://server/prefs", REG_EXPAND_SZ);
    CHECK(untouched(ext, app));

    // Eight characters: the menu is added, 7th of 9.
    setAddress(L"http://x");
    fakecom::journal().calls.clear();
    CHECK(connect(ext, app) == S_OK);
    checkMenuOf(app, L"http://x");

    // Connected again: the menu is found, by caption and then by tag, and left as it is.
    setAddress(L"http://elsewhere/prefs");
    CHECK(connect(ext, app) == S_OK);
    checkMenuOf(app, L"http://x");
    CHECK(fakecom::menuBar(app)->findCalls.size() == 1);
    if (fakecom::menuBar(app)->findCalls.size() == 1)
        CHECK_TEXT(fakecom::menuBar(app)->findCalls[0],
                   L"MISSING,MISSING,BSTR:QuorelleMsgTag,MISSING,MISSING");
    app->Release();

    // A string with an embedded NUL: the part before it.
    app = fakecom::makeOutlook(kOutlookMenus);
    setAddress(std::wstring(L"http://server/prefs\0http://other/\0", 34));
    CHECK(connect(ext, app) == S_OK);
    checkMenuOf(app, L"http://server/prefs");
    app->Release();

    // A double word: its decimal digits.
    app = fakecom::makeOutlook(kOutlookMenus);
    setAddressNumber(12345678);
    CHECK(connect(ext, app) == S_OK);
    checkMenuOf(app, L"12345678");
    app->Release();

    // No active explorer, no "Menu Bar", no application: nothing, and still success.
    setAddress(L"http://server/prefs");
    app = fakecom::makeOutlook(kOutlookMenus);
    fakecom::CommandBar* bar = fakecom::menuBar(app);
    app->explorer->Release();
    app->explorer = nullptr;
    fakecom::journal().calls.clear();
    CHECK(connect(ext, app) == S_OK);
    CHECK(fakecom::journal().calls.size() == 1); // ActiveExplorer only
    app->Release();
    (void)bar;

    app = fakecom::makeOutlook(kOutlookMenus, L"Menu bar");
    CHECK(connect(ext, app) == S_OK);
    CHECK(captions(fakecom::menuBar(app)) == kOutlookMenus);
    app->Release();

    CHECK(connect(ext, nullptr) == S_OK);

    // The other events do nothing and succeed.
    SAFEARRAY* custom = emptyCustom();
    CHECK(ext->OnStartupComplete(&custom) == S_OK);
    CHECK(ext->OnAddInsUpdate(&custom) == S_OK);
    CHECK(ext->OnBeginShutdown(&custom) == S_OK);
    CHECK(ext->OnDisconnection(ext_dm_UserClosed, &custom) == S_OK);
    SafeArrayDestroy(custom);
}

// Waiting window messages are processed once the menu step is reached; a quit request found
// there is left for Outlook.
void messagePump(_IDTExtensibility2* ext) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists
    fakecom::Application* app = fakecom::makeOutlook(kOutlookMenus);
    setAddress(L"http://");
    CHECK(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
    CHECK(connect(ext, app) == S_OK);
    CHECK(PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)); // stopped before

    setAddress(L"http://server/prefs");
    CHECK(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
    PostQuitMessage(7);
    CHECK(connect(ext, app) == S_OK);
    // Wine hands out WM_QUIT whatever the filter, so the queue is read without one.
    bool appMessage = false;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        appMessage |= msg.message == WM_APP;
        quit |= msg.message == WM_QUIT && msg.wParam == 7;
    }
    CHECK(!appMessage);
    CHECK(quit);
    app->Release();
}

// The add-in interface reached late-bound, as a script host would.
void lateBoundConnection(_IDTExtensibility2* ext) {
    const wchar_t* names[] = {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate",
                              L"OnStartupComplete", L"OnBeginShutdown"};
    for (DISPID expected = 1; expected <= 5; ++expected) {
        LPOLESTR name = const_cast<LPOLESTR>(names[expected - 1]);
        DISPID id = 0;
        CHECK(ext->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id) == S_OK);
        CHECK(id == expected);
    }

    setAddress(L"http://server/prefs");
    fakecom::Application* app = fakecom::makeOutlook(kOutlookMenus);
    SAFEARRAY* custom = emptyCustom();
    VARIANT args[4];
    V_VT(&args[0]) = VT_ARRAY | VT_VARIANT | VT_BYREF; // custom
    V_ARRAYREF(&args[0]) = &custom;
    V_VT(&args[1]) = VT_DISPATCH; // AddInInst
    V_DISPATCH(&args[1]) = nullptr;
    V_VT(&args[2]) = VT_I4; // ConnectMode
    V_I4(&args[2]) = ext_cm_AfterStartup;
    V_VT(&args[3]) = VT_DISPATCH; // Application
    V_DISPATCH(&args[3]) = app;
    DISPPARAMS params = {args, nullptr, 4, 0};
    HRESULT hr = ext->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                             nullptr, nullptr);
    CHECK(hr == S_OK);
    checkMenuOf(app, L"http://server/prefs");
    SafeArrayDestroy(custom);
    app->Release();
}

void connectObject(const std::wstring& dll) {
    HMODULE module = LoadLibraryW(dll.c_str());
    CHECK(module != nullptr);
    if (!module)
        return;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    CHECK(getClassObject && canUnloadNow);
    if (!getClassObject || !canUnloadNow)
        return;

    IClassFactory* factory = nullptr;
    CHECK(getClassObject(IID__Connect, IID_IClassFactory, reinterpret_cast<void**>(&factory)) ==
          CLASS_E_CLASSNOTAVAILABLE);
    CHECK(getClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(&factory)) ==
          S_OK);
    if (!factory)
        return;
    IUnknown* object = nullptr;
    CHECK(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)) ==
          S_OK);
    factory->Release();
    if (!object)
        return;
    CHECK(canUnloadNow() == S_FALSE);

    _Connect* connectIf = nullptr;
    _IDTExtensibility2* ext = nullptr;
    CHECK(object->QueryInterface(IID__Connect, reinterpret_cast<void**>(&connectIf)) == S_OK);
    CHECK(object->QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(&ext)) == S_OK);
    if (connectIf && ext) {
        IUnknown* viaExt = nullptr;
        ext->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaExt));
        CHECK(viaExt == object); // one identity
        if (viaExt)
            viaExt->Release();
        connectionScenarios(ext);
        lateBoundConnection(ext);
        messagePump(ext);
    }
    if (connectIf)
        connectIf->Release();
    if (ext)
        ext->Release();
    object->Release();

    CHECK(canUnloadNow() == S_OK);
    CHECK(fakecom::journal().liveObjects == 0); // every Outlook object released
    for (const std::wstring& v : fakecom::journal().violations)
        fail(__LINE__, L"calling rule broken: " + v);
    FreeLibrary(module);
}

// --- resources --------------------------------------------------------------------------------

std::wstring versionString(const std::vector<BYTE>& info, const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) ||
        !text)
        return L"(none)";
    return text;
}

void checkVersion(const std::wstring& dll) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &handle);
    CHECK(size != 0);
    if (!size)
        return;
    std::vector<BYTE> info(size);
    CHECK(GetFileVersionInfoW(dll.c_str(), 0, size, info.data()));
    CHECK_TEXT(versionString(info, L"FileDescription"), L"Com-Addin for Outlook 2000/XP");
    CHECK_TEXT(versionString(info, L"FileVersion"), L"1.01");
    CHECK_TEXT(versionString(info, L"ProductVersion"), L"1.01");
    WORD* translation = nullptr;
    UINT length = 0;
    CHECK(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                         reinterpret_cast<void**>(&translation), &length) &&
          length >= 4);
    if (translation && length >= 4)
        CHECK(translation[0] == 0x0409 && translation[1] == 0x04B0);
    VS_FIXEDFILEINFO* fixed = nullptr;
    CHECK(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed);
    if (fixed) {
        CHECK(fixed->dwFileVersionMS == 0x00010001 && fixed->dwFileVersionLS == 0);
        CHECK(fixed->dwProductVersionMS == 0x00010001 && fixed->dwProductVersionLS == 0);
        CHECK(fixed->dwFileType == VFT_DLL);
    }
}

std::wstring nameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr)))
        return L"(none)";
    std::wstring out = name ? name : L"";
    SysFreeString(name);
    return out;
}

void checkTypeLibrary(const std::wstring& dll, SYSKIND platform) {
    ITypeLib* library = nullptr;
    CHECK(LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &library) == S_OK);
    if (!library)
        return;
    BSTR name = nullptr;
    library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    CHECK_TEXT(name ? name : L"", L"QuorelleTabrix");
    SysFreeString(name);
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attr))) {
        CHECK(IsEqualGUID(attr->guid, LIBID_QuorelleTabrix));
        CHECK(attr->wMajorVerNum == 1 && attr->wMinorVerNum == 0);
        CHECK(attr->syskind == platform);
        library->ReleaseTLibAttr(attr);
    }

    ITypeInfo* coclass = nullptr;
    CHECK(library->GetTypeInfoOfGuid(CLSID_Connect, &coclass) == S_OK);
    if (coclass) {
        CHECK_TEXT(nameOf(coclass), L"Connect");
        TYPEATTR* ta = nullptr;
        if (SUCCEEDED(coclass->GetTypeAttr(&ta))) {
            CHECK(ta->typekind == TKIND_COCLASS);
            CHECK(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
            CHECK(ta->cImplTypes == 2);
            coclass->ReleaseTypeAttr(ta);
        }
        std::vector<std::wstring> implemented;
        for (UINT i = 0; i < 2; ++i) {
            HREFTYPE ref = 0;
            ITypeInfo* impl = nullptr;
            INT flags = 0;
            if (SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)) &&
                SUCCEEDED(coclass->GetRefTypeInfo(ref, &impl))) {
                coclass->GetImplTypeFlags(i, &flags);
                implemented.push_back(nameOf(impl) +
                                      ((flags & IMPLTYPEFLAG_FDEFAULT) ? L" (default)" : L""));
                impl->Release();
            }
        }
        CHECK(implemented ==
              (std::vector<std::wstring>{L"_Connect (default)", L"_IDTExtensibility2"}));
        coclass->Release();
    }

    ITypeInfo* ext = nullptr;
    CHECK(library->GetTypeInfoOfGuid(IID__IDTExtensibility2, &ext) == S_OK);
    if (ext) {
        TYPEATTR* ta = nullptr;
        std::vector<std::wstring> methods(6);
        if (SUCCEEDED(ext->GetTypeAttr(&ta))) {
            CHECK(ta->wTypeFlags & TYPEFLAG_FDUAL);
            for (UINT i = 0; i < ta->cFuncs; ++i) {
                FUNCDESC* fd = nullptr;
                if (SUCCEEDED(ext->GetFuncDesc(i, &fd))) {
                    if (fd->memid >= 1 && fd->memid <= 5)
                        methods[fd->memid] = nameOf(ext, fd->memid);
                    ext->ReleaseFuncDesc(fd);
                }
            }
            ext->ReleaseTypeAttr(ta);
        }
        CHECK(methods == (std::vector<std::wstring>{L"", L"OnConnection", L"OnDisconnection",
                                                    L"OnAddInsUpdate", L"OnStartupComplete",
                                                    L"OnBeginShutdown"}));
        ext->Release();
    }
    library->Release();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--ping")
        return 0;
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: tabrix_wine_test DLL64 DLL32\n");
        return 2;
    }
    const std::wstring dll64 = argv[1];
    const std::wstring dll32 = argv[2];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    // Keys of others that unregistration must leave alone.
    DWORD two = 2;
    setValue(kOtherAddinKey, L"LoadBehavior", REG_DWORD, &two, sizeof two);
    const std::wstring laterVersion = L"a later version";
    setValue(L"Software\\Classes\\TypeLib\\" + guidText(LIBID_QuorelleTabrix) + L"\\2.0", nullptr,
             REG_SZ, laterVersion.c_str(),
             static_cast<DWORD>((laterVersion.size() + 1) * sizeof(wchar_t)));

    DWORD rc = run(L"regsvr32.exe /s \"" + dll64 + L"\"");
    CHECK(rc == 0);
    checkRegistered(dll64);
    std::fwprintf(stderr, L"registration checked\n");

    connectObject(dll64);
    std::fwprintf(stderr, L"connection scenarios checked\n");

    rc = run(L"regsvr32.exe /u /s \"" + dll64 + L"\"");
    CHECK(rc == 0);
    checkUnregistered();
    std::fwprintf(stderr, L"unregistration checked\n");

    checkVersion(dll64);
    checkVersion(dll32);
    checkTypeLibrary(dll64, SYS_WIN64);
    checkTypeLibrary(dll32, SYS_WIN32);
    std::fwprintf(stderr, L"resources checked\n");

    CoUninitialize();
    std::fwprintf(stderr, failures ? L"%d check(s) failed\n" : L"all checks passed\n", failures);
    return failures ? 1 : 0;
}
