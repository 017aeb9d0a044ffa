// What the add-in does when Outlook connects it.
#pragma once

#include "Automation.h"
#include "BasReg.h"

namespace tabrix {

extern const char16_t kPreferencesKey[];   // "Software\Corvane\QuorelleMsg"
extern const char16_t kPreferencesValue[]; // "PreferencesURL"

// Shortest address for which the menu is added.
constexpr std::size_t kMinAddressLength = 8;

// Reads the preferences address of the current user and, when it is long enough, adds the
// Quorelle menu to application. Every failure is swallowed: the connection always succeeds.
// Returns false when the address was too short and nothing was tried.
bool ConnectPreferencesMenu(const DispatchPtr& application,
                            BasReg::RegistryReader& registry) noexcept;

} // namespace tabrix
