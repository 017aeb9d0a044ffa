#include "ComDispatch.h"

#include "WideText.h"

#include <cstdio>

namespace tabrix {

namespace {

std::string failure(const char* what, const std::u16string& name, HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return std::string(what) + " '" + toUtf8(name) + "' failed: " + code;
}

// Arguments owned for the length of one call.
class Arguments {
public:
    explicit Arguments(std::size_t n) : items_(n) {
        for (VARIANT& v : items_)
            VariantInit(&v);
    }
    ~Arguments() {
        for (VARIANT& v : items_)
            VariantClear(&v);
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;

    VARIANT* data() { return items_.empty() ? nullptr : items_.data(); }
    VARIANT& operator[](std::size_t i) { return items_[i]; }
    UINT size() const { return static_cast<UINT>(items_.size()); }

private:
    std::vector<VARIANT> items_;
};

void toVariant(const Value& value, VARIANT& v) {
    switch (value.kind) {
    case Value::Kind::Empty:
        V_VT(&v) = VT_EMPTY;
        break;
    case Value::Kind::Missing:
        V_VT(&v) = VT_ERROR;
        V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
        break;
    case Value::Kind::Bool:
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case Value::Kind::Long:
        V_VT(&v) = VT_I4;
        V_I4(&v) = value.number;
        break;
    case Value::Kind::Text: {
        std::wstring w = toWide(value.text);
        BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        if (!b)
            throw AutomationError("out of memory");
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = b;
        break;
    }
    case Value::Kind::Object: {
        IDispatch* d = nullptr;
        if (value.object) {
            auto* com = dynamic_cast<ComDispatch*>(value.object.get());
            if (!com)
                throw AutomationError("object argument is not a COM object");
            d = com->dispatch();
            d->AddRef();
        }
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = d;
        break;
    }
    }
}

Value fromVariant(VARIANT& in) {
    VARIANT v;
    VariantInit(&v);
    HRESULT hr = VariantCopyInd(&v, &in);
    if (FAILED(hr))
        throw AutomationError("unreadable result", hr);
    Value result;
    switch (V_VT(&v)) {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_BOOL:
        result = Value::Bool(V_BOOL(&v) != VARIANT_FALSE);
        break;
    case VT_BSTR:
        result = Value::Text(V_BSTR(&v) ? fromWide(V_BSTR(&v), SysStringLen(V_BSTR(&v)))
                                        : std::u16string());
        break;
    case VT_DISPATCH:
        result = Value::Object(ComDispatch::wrap(V_DISPATCH(&v)));
        break;
    case VT_UNKNOWN: {
        IDispatch* d = nullptr;
        if (V_UNKNOWN(&v) &&
            FAILED(V_UNKNOWN(&v)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) {
            VariantClear(&v);
            throw AutomationError("result object has no IDispatch");
        }
        result = Value::Object(ComDispatch::wrap(d));
        if (d)
            d->Release();
        break;
    }
    default:
        hr = VariantChangeType(&v, &v, 0, VT_I4);
        if (FAILED(hr)) {
            VariantClear(&v);
            throw AutomationError("result of unexpected type", hr);
        }
        result = Value::Long(V_I4(&v));
        break;
    }
    VariantClear(&v);
    return result;
}

} // namespace

ComDispatch::ComDispatch(IDispatch* dispatch) : dispatch_(dispatch) {
    dispatch_->AddRef();
}

ComDispatch::~ComDispatch() {
    dispatch_->Release();
}

DispatchPtr ComDispatch::wrap(IDispatch* dispatch) {
    if (!dispatch)
        return nullptr;
    return std::make_shared<ComDispatch>(dispatch);
}

DISPID ComDispatch::memberId(const std::u16string& name) {
    std::wstring w = toWide(name);
    LPOLESTR names[1] = {&w[0]};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        throw AutomationError(failure("looking up", name, hr), hr);
    return id;
}

void ComDispatch::invoke(const std::u16string& name, WORD flags, DISPPARAMS& params,
                         VARIANT* result) {
    DISPID id = memberId(name);
    EXCEPINFO info;
    ZeroMemory(&info, sizeof info);
    UINT badArgument = 0;
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info,
                                   &badArgument);
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        if (info.scode)
            hr = info.scode;
    }
    if (FAILED(hr))
        throw AutomationError(failure("calling", name, hr), hr);
}

Value ComDispatch::get(const std::u16string& name, const std::vector<Value>& args) {
    // Invoke takes the arguments last to first.
    Arguments list(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        toVariant(args[i], list[args.size() - 1 - i]);
    DISPPARAMS params = {list.data(), nullptr, list.size(), 0};
    VARIANT result;
    VariantInit(&result);
    invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, params, &result);
    try {
        Value v = fromVariant(result);
        VariantClear(&result);
        return v;
    } catch (...) {
        VariantClear(&result);
        throw;
    }
}

void ComDispatch::put(const std::u16string& name, const Value& value) {
    Arguments list(1);
    toVariant(value, list[0]);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {list.data(), &named, 1, 1};
    invoke(name, DISPATCH_PROPERTYPUT, params, nullptr);
}

} // namespace tabrix
