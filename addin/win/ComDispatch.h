// Dispatch over a COM IDispatch: members by GetIDsOfNames, calls by Invoke.
#pragma once

#include "Automation.h"

#include <oaidl.h>
#include <windows.h>

namespace tabrix {

class ComDispatch : public Dispatch {
public:
    // Holds its own reference on dispatch.
    explicit ComDispatch(IDispatch* dispatch);
    ~ComDispatch() override;
    ComDispatch(const ComDispatch&) = delete;
    ComDispatch& operator=(const ComDispatch&) = delete;

    // A Dispatch for dispatch, or null when dispatch is null.
    static DispatchPtr wrap(IDispatch* dispatch);

    Value get(const std::u16string& name, const std::vector<Value>& args) override;
    void put(const std::u16string& name, const Value& value) override;

    IDispatch* dispatch() const { return dispatch_; }

private:
    DISPID memberId(const std::u16string& name);
    void invoke(const std::u16string& name, WORD flags, DISPPARAMS& params, VARIANT* result);

    IDispatch* dispatch_;
};

} // namespace tabrix
