// The creatable class Connect: default interface _Connect, add-in interface _IDTExtensibility2.
#pragma once

#include "Tabrix.h"

namespace tabrix {

class Connect final : public _Connect {
public:
    // Creates a Connect and returns its interface riid.
    static HRESULT create(REFIID riid, void** object);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch of _Connect
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override;

private:
    // The add-in interface, a second vtable of the same object.
    class Extensibility : public _IDTExtensibility2 {
    public:
        explicit Extensibility(Connect& outer) : outer_(outer) {}

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                                DISPID* ids) override;
        HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                         UINT* badArgument) override;

        HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode,
                                               IDispatch* addInInst, SAFEARRAY** custom) override;
        HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode,
                                                  SAFEARRAY** custom) override;
        HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
        HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
        HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

    private:
        Connect& outer_;
    };

    Connect();
    ~Connect();
    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    // Type information of one of the object's interfaces, from the DLL's own type library.
    HRESULT typeInfo(REFIID riid, ITypeInfo** info);
    // IDispatch through the type information of interface typeIid, for either vtable.
    HRESULT getIDsOfNames(REFIID typeIid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT invoke(REFIID typeIid, void* iface, DISPID id, REFIID riid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* badArgument);

    LONG references_ = 1;
    Extensibility extensibility_;
    ITypeInfo* connectInfo_ = nullptr;
    ITypeInfo* extensibilityInfo_ = nullptr;
};

} // namespace tabrix
