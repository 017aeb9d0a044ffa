// An in-memory Outlook: application, explorer, command bars and controls, recording every call
// made on them in a shared journal.
#pragma once

#include "Automation.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fake {

using tabrix::AutomationError;
using tabrix::Dispatch;
using tabrix::DispatchPtr;
using tabrix::Value;

struct Journal {
    std::vector<std::string> calls;
    std::string failOn; // a member name whose use raises an error
    void note(const std::string& call) {
        calls.push_back(call);
        if (!failOn.empty() && call.find(failOn) != std::string::npos)
            throw AutomationError("refused: " + call);
    }
};
using JournalPtr = std::shared_ptr<Journal>;

struct Controls;

struct Control : Dispatch {
    JournalPtr journal;
    std::int32_t type = 0;
    bool temporary = false;
    std::u16string caption, tag, tooltip;
    bool beginGroup = false;
    std::int32_t faceId = 0, hyperlinkType = 0, style = 0;
    std::vector<std::u16string> putOrder;
    std::shared_ptr<Controls> controls; // pop-ups only

    Control(JournalPtr j, std::u16string c) : journal(std::move(j)), caption(std::move(c)) {}
    Value get(const std::u16string& name, const std::vector<Value>& args) override;
    void put(const std::u16string& name, const Value& value) override;
};

struct Controls : Dispatch {
    JournalPtr journal;
    std::vector<std::shared_ptr<Control>> items;
    std::vector<std::vector<Value>> addCalls;

    explicit Controls(JournalPtr j) : journal(std::move(j)) {}
    std::shared_ptr<Control> add(const std::u16string& caption) {
        items.push_back(std::make_shared<Control>(journal, caption));
        return items.back();
    }
    Value get(const std::u16string& name, const std::vector<Value>& args) override;
    void put(const std::u16string& name, const Value&) override;
};

struct Bar : Dispatch {
    JournalPtr journal;
    std::u16string name;
    std::shared_ptr<Controls> controls;
    std::vector<std::vector<Value>> findCalls;

    Bar(JournalPtr j, std::u16string n)
        : journal(j), name(std::move(n)), controls(std::make_shared<Controls>(j)) {}
    Value get(const std::u16string& member, const std::vector<Value>& args) override;
    void put(const std::u16string& member, const Value&) override;
};

struct Bars : Dispatch {
    JournalPtr journal;
    std::vector<std::shared_ptr<Bar>> items;

    explicit Bars(JournalPtr j) : journal(std::move(j)) {}
    Value get(const std::u16string& member, const std::vector<Value>& args) override;
    void put(const std::u16string& member, const Value&) override;
};

struct Explorer : Dispatch {
    JournalPtr journal;
    std::shared_ptr<Bars> bars;

    explicit Explorer(JournalPtr j) : journal(j), bars(std::make_shared<Bars>(j)) {}
    Value get(const std::u16string& member, const std::vector<Value>& args) override;
    void put(const std::u16string& member, const Value&) override;
};

struct Application : Dispatch {
    JournalPtr journal;
    std::shared_ptr<Explorer> explorer; // null: no active explorer

    explicit Application(JournalPtr j) : journal(std::move(j)) {}
    Value get(const std::u16string& member, const std::vector<Value>& args) override;
    void put(const std::u16string& member, const Value&) override;
};

// Outlook with an explorer whose "Menu Bar" holds the given menus.
std::shared_ptr<Application> makeOutlook(const std::vector<std::u16string>& menus);

// The "Menu Bar" of an Outlook made by makeOutlook.
std::shared_ptr<Bar> menuBar(Application& app);

} // namespace fake
