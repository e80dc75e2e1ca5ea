#include "settings/registry_profile.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win/module_path.h"
#include "win/registry_value.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

// Creates the missing keys of the path, as the profile always has.
UniqueHKey OpenSection(const std::u16string& path) {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, W(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

}  // namespace

std::u16string ProfileKeyPath(std::u16string_view section, std::u16string_view profileName) {
    std::u16string path = u"Software\\";
    path += U(kRegistryCompany);
    path += u'\\';
    path += profileName.empty() ? OwnModuleBaseName() : std::u16string(profileName);
    path += u'\\';
    path += section;
    return path;
}

RegistryProfile::RegistryProfile(std::u16string_view section, std::u16string_view profileName)
    : keyPath_(ProfileKeyPath(section, profileName)) {}

std::u16string RegistryProfile::GetString(std::u16string_view entry) {
    UniqueHKey key = OpenSection(keyPath_);
    if (!key) return u"";
    const std::u16string name(entry);
    // A later instance may write a longer "CmdLine" meanwhile: the read follows it, never giving "".
    const std::optional<RegistryData> value = QueryRegistryValue(key.get(), W(name));
    if (!value || value->type != REG_SZ) return u"";
    return RegistryText(*value);
}

void RegistryProfile::WriteString(std::u16string_view entry, std::u16string_view value) {
    UniqueHKey key = OpenSection(keyPath_);
    if (!key) return;
    const std::u16string name(entry), data(value);
    RegSetValueExW(key.get(), W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

int32_t RegistryProfile::GetInt(std::u16string_view entry, int32_t fallback) {
    UniqueHKey key = OpenSection(keyPath_);
    if (!key) return fallback;
    const std::u16string name(entry);
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key.get(), W(name), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return fallback;
    }
    return static_cast<int32_t>(value);
}

}  // namespace vorbel
