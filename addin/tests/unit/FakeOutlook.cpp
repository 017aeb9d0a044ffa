#include "FakeOutlook.h"

namespace fake {

namespace {

std::string name8(const std::u16string& s) {
    return tabrix::toUtf8(s);
}

void noArgs(const std::u16string& member, const std::vector<Value>& args) {
    if (!args.empty())
        throw AutomationError("unexpected arguments to " + name8(member));
}

std::int32_t longArg(const Value& v) {
    if (v.kind != Value::Kind::Long)
        throw AutomationError("type mismatch");
    return v.number;
}

} // namespace

Value Control::get(const std::u16string& name, const std::vector<Value>& args) {
    journal->note("Control.get " + name8(name));
    noArgs(name, args);
    if (name == u"Caption")
        return Value::Text(caption);
    if (name == u"Tag")
        return Value::Text(tag);
    if (name == u"Controls" && controls)
        return Value::Object(controls);
    throw AutomationError("no member " + name8(name));
}

void Control::put(const std::u16string& name, const Value& value) {
    journal->note("Control.put " + name8(name));
    putOrder.push_back(name);
    auto text = [&]() {
        if (value.kind != Value::Kind::Text)
            throw AutomationError("type mismatch");
        return value.text;
    };
    if (name == u"Caption")
        caption = text();
    else if (name == u"Tag")
        tag = text();
    else if (name == u"TooltipText")
        tooltip = text();
    else if (name == u"BeginGroup") {
        if (value.kind != Value::Kind::Bool)
            throw AutomationError("type mismatch");
        beginGroup = value.boolean;
    } else if (name == u"FaceId")
        faceId = longArg(value);
    else if (name == u"HyperlinkType")
        hyperlinkType = longArg(value);
    else if (name == u"Style")
        style = longArg(value);
    else
        throw AutomationError("no member " + name8(name));
}

Value Controls::get(const std::u16string& name, const std::vector<Value>& args) {
    journal->note("Controls.get " + name8(name));
    if (name == u"Count") {
        noArgs(name, args);
        return Value::Long(static_cast<std::int32_t>(items.size()));
    }
    if (name == u"Item") {
        if (args.size() != 1)
            throw AutomationError("Item needs one argument");
        std::int32_t i = longArg(args[0]);
        if (i < 1 || static_cast<std::size_t>(i) > items.size())
            throw AutomationError("bad index");
        return Value::Object(items[i - 1]);
    }
    if (name == u"Add") {
        addCalls.push_back(args);
        if (args.size() > 5)
            throw AutomationError("too many arguments");
        std::vector<Value> a = args;
        a.resize(5, Value::Missing());
        auto control = std::make_shared<Control>(journal, u"");
        control->type = a[0].kind == Value::Kind::Missing ? 1 : longArg(a[0]);
        if (control->type == 10)
            control->controls = std::make_shared<Controls>(journal);
        std::size_t at = items.size();
        if (a[3].kind != Value::Kind::Missing) {
            std::int32_t before = longArg(a[3]);
            if (before < 1 || static_cast<std::size_t>(before) > items.size() + 1)
                throw AutomationError("bad position");
            at = static_cast<std::size_t>(before - 1);
        }
        if (a[4].kind != Value::Kind::Missing) {
            if (a[4].kind != Value::Kind::Bool)
                throw AutomationError("type mismatch");
            control->temporary = a[4].boolean;
        }
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), control);
        return Value::Object(control);
    }
    throw AutomationError("no member " + name8(name));
}

void Controls::put(const std::u16string& name, const Value&) {
    throw AutomationError("no property " + name8(name));
}

Value Bar::get(const std::u16string& member, const std::vector<Value>& args) {
    journal->note("Bar.get " + name8(member));
    if (member == u"Controls") {
        noArgs(member, args);
        return Value::Object(controls);
    }
    if (member == u"FindControl") {
        findCalls.push_back(args);
        if (args.size() >= 3 && args[2].kind == Value::Kind::Text) {
            for (auto& c : controls->items)
                if (c->tag == args[2].text)
                    return Value::Object(c);
        }
        return Value::Object(nullptr);
    }
    throw AutomationError("no member " + name8(member));
}

void Bar::put(const std::u16string& member, const Value&) {
    throw AutomationError("no property " + name8(member));
}

Value Bars::get(const std::u16string& member, const std::vector<Value>& args) {
    journal->note("Bars.get " + name8(member));
    if (member == u"Item" && args.size() == 1 && args[0].kind == Value::Kind::Text) {
        for (auto& b : items)
            if (b->name == args[0].text)
                return Value::Object(b);
        throw AutomationError("no such command bar");
    }
    throw AutomationError("no member " + name8(member));
}

void Bars::put(const std::u16string& member, const Value&) {
    throw AutomationError("no property " + name8(member));
}

Value Explorer::get(const std::u16string& member, const std::vector<Value>& args) {
    journal->note("Explorer.get " + name8(member));
    noArgs(member, args);
    if (member == u"CommandBars")
        return Value::Object(bars);
    throw AutomationError("no member " + name8(member));
}

void Explorer::put(const std::u16string& member, const Value&) {
    throw AutomationError("no property " + name8(member));
}

Value Application::get(const std::u16string& member, const std::vector<Value>& args) {
    journal->note("Application.get " + name8(member));
    noArgs(member, args);
    if (member == u"ActiveExplorer")
        return Value::Object(explorer);
    throw AutomationError("no member " + name8(member));
}

void Application::put(const std::u16string& member, const Value&) {
    throw AutomationError("no property " + name8(member));
}

std::shared_ptr<Application> makeOutlook(const std::vector<std::u16string>& menus) {
    auto journal = std::make_shared<Journal>();
    auto app = std::make_shared<Application>(journal);
    app->explorer = std::make_shared<Explorer>(journal);
    app->explorer->bars->items.push_back(std::make_shared<Bar>(journal, u"Standard"));
    auto bar = std::make_shared<Bar>(journal, u"Menu Bar");
    for (auto& m : menus)
        bar->controls->add(m);
    app->explorer->bars->items.push_back(bar);
    return app;
}

std::shared_ptr<Bar> menuBar(Application& app) {
    return app.explorer->bars->items.at(1);
}

} // namespace fake
