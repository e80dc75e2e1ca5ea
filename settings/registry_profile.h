// The application profile in the registry: HKCU\Software\ZEMO\<executable base name>\<section>.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings_store.h"

namespace vorbel {

inline constexpr wchar_t kRegistryCompany[] = L"ZEMO";

// "Software\ZEMO\<profile name>\<section>", relative to HKEY_CURRENT_USER. The profile name is
// the executable's base name unless given.
std::u16string ProfileKeyPath(std::u16string_view section, std::u16string_view profileName = {});

// Every call opens the key anew: nothing is cached between reads, as another instance may write.
class RegistryProfile : public ProfileSection {
public:
    explicit RegistryProfile(std::u16string_view section = kProfileSection, std::u16string_view profileName = {});

    // REG_SZ only; anything else, or a missing key or value, reads as "".
    std::u16string GetString(std::u16string_view entry) override;
    // REG_SZ with its terminating zero. Failures are not reported.
    void WriteString(std::u16string_view entry, std::u16string_view value) override;
    // REG_DWORD only; anything else gives the fallback.
    int32_t GetInt(std::u16string_view entry, int32_t fallback);

private:
    std::u16string keyPath_;
};

}  // namespace vorbel
