#include "BasMenus.h"

#include <limits>

namespace tabrix {
namespace BasMenus {

const char16_t kMenuBar[] = u"Menu Bar";
const char16_t kMenuCaption[] = u"&Quorelle";
const char16_t kMenuTag[] = u"QuorelleMsgTag";
const char16_t kButtonCaption[] = u"Messaging Preferences";
const char16_t kButtonTag[] = u"Preferences";

DispatchPtr CommandBar(Dispatch& application, const std::u16string& barName) {
    DispatchPtr explorer = getObject(application, u"ActiveExplorer");
    DispatchPtr bars = getObject(*explorer, u"CommandBars");
    return getObject(*bars, u"Item", {Value::Text(barName)});
}

bool MenuExists(Dispatch& application, const std::u16string& barName,
                const std::u16string& caption) {
    DispatchPtr controls = getObject(*CommandBar(application, barName), u"Controls");
    std::int32_t count = getLong(*controls, u"Count");
    for (std::int32_t i = 1; i <= count; ++i) {
        DispatchPtr control = getObject(*controls, u"Item", {Value::Long(i)});
        if (getText(*control, u"Caption") == caption)
            return true;
    }
    return false;
}

DispatchPtr AddPopupMenu(Dispatch& application, const std::u16string& barName,
                         const std::u16string& caption, const std::u16string& tag) {
    DispatchPtr controls = getObject(*CommandBar(application, barName), u"Controls");
    std::int32_t count = getLong(*controls, u"Count");
    if (count == std::numeric_limits<std::int32_t>::min())
        throw AutomationError("'Count' out of range");
    // Add(Type, Id, Parameter, Before, Temporary)
    DispatchPtr popup = getObject(*controls, u"Add",
                                  {Value::Long(kControlPopup), Value::Missing(), Value::Missing(),
                                   Value::Long(count - 1), Value::Bool(true)});
    popup->put(u"Caption", Value::Text(caption));
    popup->put(u"Tag", Value::Text(tag));
    return popup;
}

void CreatePreferencesMenu(Dispatch& application, const std::u16string& address) {
    if (MenuExists(application, kMenuBar, kMenuCaption)) {
        // The menu of an earlier connection stays as it is.
        // FindControl(Type, Id, Tag, Visible, Recursive)
        CommandBar(application, kMenuBar)
            ->get(u"FindControl", {Value::Missing(), Value::Missing(), Value::Text(kMenuTag),
                                   Value::Missing(), Value::Missing()});
        return;
    }

    DispatchPtr popup = AddPopupMenu(application, kMenuBar, kMenuCaption, kMenuTag);
    DispatchPtr button = getObject(*getObject(*popup, u"Controls"), u"Add",
                                   {Value::Long(kControlButton), Value::Missing(), Value::Missing(),
                                    Value::Missing(), Value::Missing()});
    button->put(u"BeginGroup", Value::Bool(true));
    button->put(u"Caption", Value::Text(kButtonCaption));
    button->put(u"Tag", Value::Text(kButtonTag));
    button->put(u"FaceId", Value::Long(kPreferencesFaceId));
    button->put(u"HyperlinkType", Value::Long(kHyperlinkOpen));
    button->put(u"TooltipText", Value::Text(address));
    button->put(u"Style", Value::Long(kButtonIconAndCaption));
}

} // namespace BasMenus
} // namespace tabrix
