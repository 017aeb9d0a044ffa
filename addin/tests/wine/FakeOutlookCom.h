// A fake Outlook for the wine test: Application, Explorer, CommandBars, CommandBar, Controls and
// Control as plain IDispatch objects. Every call is written to the journal; every call that breaks
// the automation calling rules (argument order and types, omitted arguments, property puts) is
// written to its list of violations.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace fakecom {

struct Journal {
    std::vector<std::wstring> calls;
    std::vector<std::wstring> violations;
    LONG liveObjects = 0;
};
Journal& journal();

enum Member : DISPID {
    ActiveExplorer = 1,
    CommandBars,
    Item,
    Controls,
    Count,
    Add,
    Caption,
    Tag,
    BeginGroup,
    FaceId,
    HyperlinkType,
    TooltipText,
    Style,
    FindControl,
};

class Object : public IDispatch {
public:
    explicit Object(const wchar_t* className);
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override;

protected:
    virtual bool has(DISPID id) const = 0;
    // args in declaration order.
    virtual HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                        EXCEPINFO* exception) = 0;
    virtual HRESULT put(DISPID, const VARIANT&) { return DISP_E_MEMBERNOTFOUND; }
    void violation(const std::wstring& what);

    std::wstring className_;

private:
    LONG references_ = 1;
};

class ControlList;

class Control : public Object {
public:
    explicit Control(const std::wstring& caption);
    ~Control() override;

    LONG type = 0;
    bool temporary = false;
    bool beginGroup = false;
    LONG faceId = 0, hyperlinkType = 0, style = 0;
    std::wstring caption, tag, tooltip;
    std::vector<std::wstring> putOrder;
    ControlList* controls = nullptr; // pop-ups only

protected:
    bool has(DISPID id) const override;
    HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* exception) override;
    HRESULT put(DISPID id, const VARIANT& value) override;
};

class ControlList : public Object {
public:
    ControlList();
    ~ControlList() override;
    Control* append(const std::wstring& caption);

    std::vector<Control*> items;
    // Each Add call's arguments, described as "I4:10,MISSING,MISSING,I4:7,BOOL:TRUE".
    std::vector<std::wstring> addCalls;

protected:
    bool has(DISPID id) const override;
    HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* exception) override;
};

class CommandBar : public Object {
public:
    explicit CommandBar(const std::wstring& name);
    ~CommandBar() override;

    std::wstring name;
    ControlList* controls;
    std::vector<std::wstring> findCalls;

protected:
    bool has(DISPID id) const override;
    HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* exception) override;
};

class CommandBarList : public Object {
public:
    CommandBarList();
    ~CommandBarList() override;

    std::vector<CommandBar*> bars;

protected:
    bool has(DISPID id) const override;
    HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* exception) override;
};

class Explorer : public Object {
public:
    Explorer();
    ~Explorer() override;

    CommandBarList* commandBars;

protected:
    bool has(DISPID id) const override;
    HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* exception) override;
};

class Application : public Object {
public:
    Application();
    ~Application() override;

    Explorer* explorer = nullptr; // null: no active explorer

protected:
    bool has(DISPID id) const override;
    HRESULT get(DISPID id, const std::vector<VARIANT*>& args, VARIANT* result,
                EXCEPINFO* exception) override;
};

// Outlook whose active explorer has the command bars "Standard" and menuBarName; the latter
// holds the given menus.
Application* makeOutlook(const std::vector<std::wstring>& menus,
                         const std::wstring& menuBarName = L"Menu Bar");
CommandBar* menuBar(Application* app);

// "I4:7", "BOOL:TRUE", "BSTR:text", "MISSING", ... for the argument descriptions.
std::wstring describe(const VARIANT& v);

} // namespace fakecom
