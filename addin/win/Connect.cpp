#include "Connect.h"

#include "ComDispatch.h"
#include "Connection.h"
#include "Module.h"
#include "WinRegistry.h"

#include <new>

namespace tabrix {

namespace {

// Bounds the message pump, so that a message that posts itself again cannot hold Outlook here.
constexpr int kMaxPendingMessages = 1000;

// Lets Windows handle the messages waiting in this thread's queue.
void processPendingMessages() {
    MSG msg;
    for (int i = 0; i < kMaxPendingMessages && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            // Not ours to consume: leave it for the host's message loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

HRESULT Connect::create(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    Connect* connect = new (std::nothrow) Connect();
    if (!connect)
        return E_OUTOFMEMORY;
    HRESULT hr = connect->QueryInterface(riid, object);
    connect->Release();
    return hr;
}

Connect::Connect() : extensibility_(*this) {
    addModuleReference();
}

Connect::~Connect() {
    if (connectInfo_)
        connectInfo_->Release();
    if (extensibilityInfo_)
        extensibilityInfo_->Release();
    releaseModuleReference();
}

HRESULT STDMETHODCALLTYPE Connect::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID__Connect)) {
        *object = static_cast<_Connect*>(this);
    } else if (IsEqualIID(riid, IID__IDTExtensibility2)) {
        *object = static_cast<_IDTExtensibility2*>(&extensibility_);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE Connect::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE Connect::Release() {
    LONG n = InterlockedDecrement(&references_);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

HRESULT Connect::typeInfo(REFIID riid, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    ITypeInfo*& cached = IsEqualIID(riid, IID__Connect) ? connectInfo_ : extensibilityInfo_;
    if (!cached) {
        ITypeLib* library = nullptr;
        HRESULT hr = LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &library);
        if (FAILED(hr))
            return hr;
        hr = library->GetTypeInfoOfGuid(riid, &cached);
        library->Release();
        if (FAILED(hr))
            return hr;
    }
    cached->AddRef();
    *info = cached;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Connect::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Connect::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (index != 0)
        return DISP_E_BADINDEX;
    return typeInfo(IID__Connect, info);
}

HRESULT Connect::getIDsOfNames(REFIID typeIid, REFIID riid, LPOLESTR* names, UINT count,
                               DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = typeInfo(typeIid, &info);
    if (FAILED(hr))
        return hr;
    hr = DispGetIDsOfNames(info, names, count, ids);
    info->Release();
    return hr;
}

HRESULT Connect::invoke(REFIID typeIid, void* iface, DISPID id, REFIID riid, WORD flags,
                        DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                        UINT* badArgument) {
    if (!IsEqualIID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = typeInfo(typeIid, &info);
    if (FAILED(hr))
        return hr;
    hr = DispInvoke(iface, info, id, flags, params, result, exception, badArgument);
    info->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE Connect::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                 DISPID* ids) {
    return getIDsOfNames(IID__Connect, riid, names, count, ids);
}

HRESULT STDMETHODCALLTYPE Connect::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                          UINT* badArgument) {
    return invoke(IID__Connect, static_cast<_Connect*>(this), id, riid, flags, params, result,
                  exception, badArgument);
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::QueryInterface(REFIID riid, void** object) {
    return outer_.QueryInterface(riid, object);
}

ULONG STDMETHODCALLTYPE Connect::Extensibility::AddRef() {
    return outer_.AddRef();
}

ULONG STDMETHODCALLTYPE Connect::Extensibility::Release() {
    return outer_.Release();
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::GetTypeInfoCount(UINT* count) {
    return outer_.GetTypeInfoCount(count);
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (index != 0)
        return DISP_E_BADINDEX;
    return outer_.typeInfo(IID__IDTExtensibility2, info);
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::GetIDsOfNames(REFIID riid, LPOLESTR* names,
                                                                UINT count, LCID, DISPID* ids) {
    return outer_.getIDsOfNames(IID__IDTExtensibility2, riid, names, count, ids);
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                                         DISPPARAMS* params, VARIANT* result,
                                                         EXCEPINFO* exception, UINT* badArgument) {
    return outer_.invoke(IID__IDTExtensibility2, static_cast<_IDTExtensibility2*>(this), id, riid,
                         flags, params, result, exception, badArgument);
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::OnConnection(IDispatch* application,
                                                               ext_ConnectMode, IDispatch*,
                                                               SAFEARRAY**) {
    bool menuTried = true;
    try {
        WinRegistry registry;
        menuTried = ConnectPreferencesMenu(ComDispatch::wrap(application), registry);
    } catch (...) {
        // Out of memory before the menu work began: the connection still succeeds.
    }
    if (menuTried)
        processPendingMessages();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::OnAddInsUpdate(SAFEARRAY**) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::OnStartupComplete(SAFEARRAY**) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Connect::Extensibility::OnBeginShutdown(SAFEARRAY**) {
    return S_OK;
}

} // namespace tabrix
