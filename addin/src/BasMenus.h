// The Quorelle menu on Outlook's main menu bar, built through the Outlook object model and the
// Office command bars. Every routine raises AutomationError when the host refuses a step.
#pragma once

#include "Automation.h"

#include <string>

namespace tabrix {
namespace BasMenus {

// Office command bar control types, button style and hyperlink type used here.
constexpr std::int32_t kControlButton = 1;
constexpr std::int32_t kControlPopup = 10;
constexpr std::int32_t kButtonIconAndCaption = 3;
constexpr std::int32_t kHyperlinkOpen = 1;
constexpr std::int32_t kPreferencesFaceId = 1015;

extern const char16_t kMenuBar[];       // "Menu Bar"
extern const char16_t kMenuCaption[];   // "&Quorelle"
extern const char16_t kMenuTag[];       // "QuorelleMsgTag"
extern const char16_t kButtonCaption[]; // "Messaging Preferences"
extern const char16_t kButtonTag[];     // "Preferences"

// The command bar called barName of the application's active explorer.
DispatchPtr CommandBar(Dispatch& application, const std::u16string& barName);

// True when the bar holds a control whose caption is exactly caption.
bool MenuExists(Dispatch& application, const std::u16string& barName,
                const std::u16string& caption);

// Adds a temporary pop-up before the bar's second-to-last control and returns it.
DispatchPtr AddPopupMenu(Dispatch& application, const std::u16string& barName,
                         const std::u16string& caption, const std::u16string& tag);

// Adds the Quorelle menu with its preferences entry pointing at address, unless the menu is
// already there.
void CreatePreferencesMenu(Dispatch& application, const std::u16string& address);

} // namespace BasMenus
} // namespace tabrix
