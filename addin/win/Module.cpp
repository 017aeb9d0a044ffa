// The DLL's entry points: DllMain and the four COM server exports.
#include "Module.h"

#include "Connect.h"
#include "Registration.h"

#include <objbase.h>
#include <olectl.h>

namespace tabrix {

namespace {

HMODULE module = nullptr;
LONG moduleReferences = 0;

// The one class factory, living as long as the DLL.
class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        addModuleReference();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        releaseModuleReference();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return Connect::create(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            addModuleReference();
        else
            releaseModuleReference();
        return S_OK;
    }
};

ClassFactory factory;

} // namespace

HMODULE moduleHandle() {
    return module;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void addModuleReference() {
    InterlockedIncrement(&moduleReferences);
}

void releaseModuleReference() {
    InterlockedDecrement(&moduleReferences);
}

} // namespace tabrix

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        tabrix::module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_Connect))
        return CLASS_E_CLASSNOTAVAILABLE;
    return tabrix::factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
    return tabrix::moduleReferences == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    std::wstring path = tabrix::modulePath();
    if (path.empty())
        return SELFREG_E_CLASS;
    try {
        return tabrix::registerServer(path);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return tabrix::unregisterServer();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
