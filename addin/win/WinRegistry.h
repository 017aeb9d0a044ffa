// The registry reader of GetRegValue over the Windows registry API.
#pragma once

#include "BasReg.h"

namespace tabrix {

class WinRegistry : public BasReg::RegistryReader {
public:
    bool openKey(BasReg::RootKey root, const std::u16string& path, Key& key) override;
    bool queryValueInfo(Key key, const std::u16string& name, std::uint32_t& type,
                        std::uint32_t& size) override;
    bool readValue(Key key, const std::u16string& name, std::uint32_t type, void* data,
                   std::uint32_t& size) override;
    void closeKey(Key key) override;
};

} // namespace tabrix
