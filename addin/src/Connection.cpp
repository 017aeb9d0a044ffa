#include "Connection.h"

#include "BasMenus.h"

namespace tabrix {

const char16_t kPreferencesKey[] = u"Software\\Corvane\\QuorelleMsg";
const char16_t kPreferencesValue[] = u"PreferencesURL";

bool ConnectPreferencesMenu(const DispatchPtr& application,
                            BasReg::RegistryReader& registry) noexcept {
    try {
        std::u16string address = BasReg::GetRegValue(registry, BasReg::RootKey::CurrentUser,
                                                     kPreferencesKey, kPreferencesValue)
                                     .toText();
        if (address.size() < kMinAddressLength)
            return false;
        if (application)
            BasMenus::CreatePreferencesMenu(*application, address);
    } catch (...) {
        // Outlook without an explorer or menu bar, or any other refusal: no menu, no message.
    }
    return true;
}

} // namespace tabrix
