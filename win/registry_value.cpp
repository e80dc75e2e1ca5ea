#include "win/registry_value.h"

#include <algorithm>

namespace vorbel {

std::optional<RegistryData> QueryRegistryValue(HKEY key, const wchar_t* name) {
    RegistryData data;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &data.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    // Bounded only against a writer that grows the value without end.
    for (int round = 0; round < 100; ++round) {
        data.bytes.resize(size);
        const LSTATUS status = RegQueryValueExW(key, name, nullptr, &data.type, data.bytes.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.bytes.resize(size);  // it may have shrunk meanwhile
            return data;
        }
        if (status != ERROR_MORE_DATA) return std::nullopt;  // size now holds what it needs
    }
    return std::nullopt;
}

std::u16string RegistryText(const RegistryData& data) {
    std::u16string text(data.bytes.size() / sizeof(char16_t), u'\0');
    std::copy_n(data.bytes.data(), text.size() * sizeof(char16_t), reinterpret_cast<BYTE*>(text.data()));
    return text.substr(0, text.find(u'\0'));
}

}  // namespace vorbel
