#include "FakeOutlookCom.h"

#include <cwchar>

namespace fakecom {

namespace {

struct MemberName {
    DISPID id;
    const wchar_t* name;
};

const MemberName kMembers[] = {
    {ActiveExplorer, L"ActiveExplorer"},
    {CommandBars, L"CommandBars"},
    {Item, L"Item"},
    {Controls, L"Controls"},
    {Count, L"Count"},
    {Add, L"Add"},
    {Caption, L"Caption"},
    {Tag, L"Tag"},
    {BeginGroup, L"BeginGroup"},
    {FaceId, L"FaceId"},
    {HyperlinkType, L"HyperlinkType"},
    {TooltipText, L"TooltipText"},
    {Style, L"Style"},
    {FindControl, L"FindControl"},
};

const wchar_t* memberName(DISPID id) {
    for (const MemberName& m : kMembers)
        if (m.id == id)
            return m.name;
    return L"?";
}

void setObject(VARIANT* result, IDispatch* object) {
    if (!result)
        return;
    if (object)
        object->AddRef();
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = object;
}

void setLong(VARIANT* result, LONG n) {
    if (!result)
        return;
    V_VT(result) = VT_I4;
    V_I4(result) = n;
}

void setText(VARIANT* result, const std::wstring& s) {
    if (!result)
        return;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

bool isMissing(const VARIANT& v) {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

// Office reports refusals as exceptions.
HRESULT refuse(EXCEPINFO* exception, const wchar_t* text) {
    if (exception) {
        ZeroMemory(exception, sizeof *exception);
        exception->scode = E_INVALIDARG;
        exception->bstrSource = SysAllocString(L"Fake Office");
        exception->bstrDescription = SysAllocString(text);
    }
    return DISP_E_EXCEPTION;
}

} // namespace

Journal& journal() {
    static Journal j;
    return j;
}

std::wstring describe(const VARIANT& v) {
    switch (V_VT(&v)) {
    case VT_EMPTY:
        return L"EMPTY";
    case VT_I2:
        return L"I2:" + std::to_wstring(V_I2(&v));
    case VT_I4:
        return L"I4:" + std::to_wstring(V_I4(&v));
    case VT_BOOL:
        return V_BOOL(&v) == VARIANT_TRUE ? L"BOOL:TRUE"
                                          : (V_BOOL(&v) ? L"BOOL:OTHER" : L"BOOL:FALSE");
    case VT_BSTR:
        return L"BSTR:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
    case VT_ERROR:
        return isMissing(v) ? L"MISSING" : L"ERROR";
    case VT_DISPATCH:
        return V_DISPATCH(&v) ? L"DISPATCH" : L"NOTHING";
    default:
        return L"VT:" + std::to_wstring(V_VT(&v));
    }
}

Object::Object(const wchar_t* className) : className_(className) {
    InterlockedIncrement(&journal().liveObjects);
}

Object::~Object() {
    InterlockedDecrement(&journal().liveObjects);
}

HRESULT STDMETHODCALLTYPE Object::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Object::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE Object::Release() {
    LONG n = InterlockedDecrement(&references_);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE Object::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Object::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Object::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL))
        violation(L"GetIDsOfNames with an interface identifier");
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (const MemberName& m : kMembers)
            if (_wcsicmp(m.name, names[i]) == 0 && has(m.id))
                ids[i] = m.id;
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE Object::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                         UINT*) {
    if (!IsEqualIID(riid, IID_NULL))
        violation(L"Invoke with an interface identifier");
    if (!has(id))
        return DISP_E_MEMBERNOTFOUND;
    std::wstring call = className_ + L"." + memberName(id);
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        journal().calls.push_back(call + L"=");
        if (flags != DISPATCH_PROPERTYPUT || params->cArgs != 1 || params->cNamedArgs != 1 ||
            !params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            violation(call + L": property put without a single DISPID_PROPERTYPUT argument");
            return DISP_E_PARAMNOTFOUND;
        }
        return put(id, params->rgvarg[0]);
    }
    journal().calls.push_back(call);
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)))
        violation(call + L": neither method call nor property get");
    if (params->cNamedArgs != 0)
        violation(call + L": named arguments");
    std::vector<VARIANT*> args(params->cArgs);
    for (UINT i = 0; i < params->cArgs; ++i)
        args[i] = &params->rgvarg[params->cArgs - 1 - i];
    VARIANT scratch;
    VariantInit(&scratch);
    HRESULT hr = get(id, args, result ? result : &scratch, exception);
    VariantClear(&scratch);
    return hr;
}

void Object::violation(const std::wstring& what) {
    journal().violations.push_back(what);
}

Control::Control(const std::wstring& c) : Object(L"Control"), caption(c) {}

Control::~Control() {
    if (controls)
        controls->Release();
}

bool Control::has(DISPID id) const {
    switch (id) {
    case Caption:
    case Tag:
    case BeginGroup:
    case FaceId:
    case HyperlinkType:
    case TooltipText:
    case Style:
        return true;
    case Controls:
        return controls != nullptr;
    default:
        return false;
    }
}

HRESULT Control::get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result, EXCEPINFO*) {
    if (!args.empty())
        violation(className_ + L": arguments to a property");
    switch (id) {
    case Caption:
        setText(result, caption);
        return S_OK;
    case Tag:
        setText(result, tag);
        return S_OK;
    case Controls:
        setObject(result, controls);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT Control::put(DISPID id, const VARIANT& value) {
    putOrder.push_back(memberName(id));
    VARTYPE expected = VT_BSTR;
    if (id == BeginGroup)
        expected = VT_BOOL;
    else if (id == FaceId || id == HyperlinkType || id == Style)
        expected = VT_I4;
    if (V_VT(&value) != expected) {
        violation(std::wstring(L"Control.") + memberName(id) + L" set to " + describe(value));
        return DISP_E_TYPEMISMATCH;
    }
    switch (id) {
    case Caption:
        caption = std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
        break;
    case Tag:
        tag = std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
        break;
    case TooltipText:
        tooltip = std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
        break;
    case BeginGroup:
        beginGroup = V_BOOL(&value) != VARIANT_FALSE;
        break;
    case FaceId:
        faceId = V_I4(&value);
        break;
    case HyperlinkType:
        hyperlinkType = V_I4(&value);
        break;
    case Style:
        style = V_I4(&value);
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

ControlList::ControlList() : Object(L"Controls") {}

ControlList::~ControlList() {
    for (Control* c : items)
        c->Release();
}

Control* ControlList::append(const std::wstring& caption) {
    items.push_back(new Control(caption));
    return items.back();
}

bool ControlList::has(DISPID id) const {
    return id == Count || id == Item || id == Add;
}

HRESULT ControlList::get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                         EXCEPINFO* exception) {
    if (id == Count) {
        if (!args.empty())
            violation(L"Controls.Count with arguments");
        setLong(result, static_cast<LONG>(items.size()));
        return S_OK;
    }
    if (id == Item) {
        if (args.size() != 1 || V_VT(args[0]) != VT_I4) {
            violation(L"Controls.Item without one I4 index");
            return DISP_E_TYPEMISMATCH;
        }
        LONG i = V_I4(args[0]);
        if (i < 1 || static_cast<size_t>(i) > items.size())
            return refuse(exception, L"Index out of range");
        setObject(result, items[i - 1]);
        return S_OK;
    }
    // Add(Type, Id, Parameter, Before, Temporary)
    std::wstring described;
    for (VARIANT* a : args)
        described += (described.empty() ? L"" : L",") + describe(*a);
    addCalls.push_back(described);
    if (args.size() > 5) {
        violation(L"Controls.Add with more than five arguments");
        return DISP_E_BADPARAMCOUNT;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        if (V_VT(args[i]) == VT_EMPTY || (V_VT(args[i]) == VT_ERROR && !isMissing(*args[i])))
            violation(L"Controls.Add: omitted argument not passed as DISP_E_PARAMNOTFOUND");
    }
    Control* control = new Control(L"");
    control->type = 1;
    if (!args.empty() && !isMissing(*args[0]))
        control->type = V_VT(args[0]) == VT_I4 ? V_I4(args[0]) : -1;
    size_t at = items.size();
    if (args.size() > 3 && !isMissing(*args[3])) {
        LONG before = V_VT(args[3]) == VT_I4 ? V_I4(args[3]) : 0;
        if (before < 1 || static_cast<size_t>(before) > items.size() + 1) {
            control->Release();
            return refuse(exception, L"Invalid position");
        }
        at = static_cast<size_t>(before - 1);
    }
    if (args.size() > 4 && !isMissing(*args[4]))
        control->temporary = V_VT(args[4]) == VT_BOOL && V_BOOL(args[4]) != VARIANT_FALSE;
    if (control->type == 10)
        control->controls = new ControlList();
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), control);
    setObject(result, control);
    return S_OK;
}

CommandBar::CommandBar(const std::wstring& n)
    : Object(L"CommandBar"), name(n), controls(new ControlList()) {}

CommandBar::~CommandBar() {
    controls->Release();
}

bool CommandBar::has(DISPID id) const {
    return id == Controls || id == FindControl;
}

HRESULT CommandBar::get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result, EXCEPINFO*) {
    if (id == Controls) {
        setObject(result, controls);
        return S_OK;
    }
    // FindControl(Type, Id, Tag, Visible, Recursive)
    std::wstring described;
    for (VARIANT* a : args)
        described += (described.empty() ? L"" : L",") + describe(*a);
    findCalls.push_back(described);
    Control* found = nullptr;
    if (args.size() >= 3 && V_VT(args[2]) == VT_BSTR) {
        std::wstring tag(V_BSTR(args[2]), SysStringLen(V_BSTR(args[2])));
        for (Control* c : controls->items)
            if (!found && c->tag == tag)
                found = c;
    }
    setObject(result, found);
    return S_OK;
}

CommandBarList::CommandBarList() : Object(L"CommandBars") {}

CommandBarList::~CommandBarList() {
    for (CommandBar* b : bars)
        b->Release();
}

bool CommandBarList::has(DISPID id) const {
    return id == Item;
}

HRESULT CommandBarList::get(DISPID, const std::vector<VARIANT*>& args, VARIANT* result,
                            EXCEPINFO* exception) {
    if (args.size() != 1 || V_VT(args[0]) != VT_BSTR) {
        violation(L"CommandBars.Item without one name");
        return DISP_E_TYPEMISMATCH;
    }
    std::wstring name(V_BSTR(args[0]), SysStringLen(V_BSTR(args[0])));
    for (CommandBar* b : bars) {
        if (b->name == name) {
            setObject(result, b);
            return S_OK;
        }
    }
    return refuse(exception, L"Invalid procedure call or argument");
}

Explorer::Explorer() : Object(L"Explorer"), commandBars(new CommandBarList()) {}

Explorer::~Explorer() {
    commandBars->Release();
}

bool Explorer::has(DISPID id) const {
    return id == CommandBars;
}

HRESULT Explorer::get(DISPID, const std::vector<VARIANT*>&, VARIANT* result, EXCEPINFO*) {
    setObject(result, commandBars);
    return S_OK;
}

Application::Application() : Object(L"Application") {}

Application::~Application() {
    if (explorer)
        explorer->Release();
}

bool Application::has(DISPID id) const {
    return id == ActiveExplorer;
}

HRESULT Application::get(DISPID, const std::vector<VARIANT*>&, VARIANT* result, EXCEPINFO*) {
    setObject(result, explorer);
    return S_OK;
}

Application* makeOutlook(const std::vector<std::wstring>& menus, const std::wstring& menuBarName) {
    Application* app = new Application();
    app->explorer = new Explorer();
    app->explorer->commandBars->bars.push_back(new CommandBar(L"Standard"));
    CommandBar* bar = new CommandBar(menuBarName);
    for (const std::wstring& m : menus)
        bar->controls->append(m);
    app->explorer->commandBars->bars.push_back(bar);
    return app;
}

CommandBar* menuBar(Application* app) {
    return app->explorer->commandBars->bars.at(1);
}

} // namespace fakecom
