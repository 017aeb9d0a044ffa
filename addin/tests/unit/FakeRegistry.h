// An in-memory registry for GetRegValue: keys by path, values with type and raw bytes.
#pragma once

#include "BasReg.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace fake {

struct RegistryValue {
    std::uint32_t type;
    std::vector<unsigned char> data;
};

class Registry : public tabrix::BasReg::RegistryReader {
public:
    std::map<std::u16string, std::map<std::u16string, RegistryValue>> keys; // HKCU only
    int opened = 0;
    int closed = 0;
    bool failReads = false;

    void setString(const std::u16string& path, const std::u16string& name,
                   const std::u16string& text, std::uint32_t type = 1) {
        std::vector<unsigned char> bytes;
        for (char16_t c : text) {
            bytes.push_back(static_cast<unsigned char>(c & 0xFF));
            bytes.push_back(static_cast<unsigned char>(c >> 8));
        }
        keys[path][name] = RegistryValue{type, bytes};
    }
    void setDword(const std::u16string& path, const std::u16string& name, std::uint32_t n) {
        keys[path][name] = RegistryValue{
            4,
            {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
             static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)}};
    }

    bool openKey(tabrix::BasReg::RootKey root, const std::u16string& path, Key& key) override {
        if (root != tabrix::BasReg::RootKey::CurrentUser)
            return false;
        auto it = keys.find(path);
        if (it == keys.end())
            return false;
        ++opened;
        key = &it->second;
        return true;
    }
    bool queryValueInfo(Key key, const std::u16string& name, std::uint32_t& type,
                        std::uint32_t& size) override {
        const RegistryValue* v = find(key, name);
        if (!v)
            return false;
        type = v->type;
        size = static_cast<std::uint32_t>(v->data.size());
        return true;
    }
    bool readValue(Key key, const std::u16string& name, std::uint32_t type, void* data,
                   std::uint32_t& size) override {
        const RegistryValue* v = find(key, name);
        if (!v || failReads || v->type != type || v->data.size() > size)
            return false;
        std::memcpy(data, v->data.data(), v->data.size());
        size = static_cast<std::uint32_t>(v->data.size());
        return true;
    }
    void closeKey(Key) override { ++closed; }

private:
    const RegistryValue* find(Key key, const std::u16string& name) const {
        auto* values = static_cast<std::map<std::u16string, RegistryValue>*>(key);
        auto it = values->find(name);
        return it == values->end() ? nullptr : &it->second;
    }
};

} // namespace fake
