// Reading and writing settings: machine-bound scrambled names, scrambled values, the limits and
// the diagnostic lines. The profile itself (the registry on Windows) is behind ProfileSection.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/setting_names.h"

namespace vorbel {

// One section of the application profile. Absent entries read as "".
class ProfileSection {
public:
    virtual ~ProfileSection() = default;
    virtual std::u16string GetString(std::u16string_view entry) = 0;
    virtual void WriteString(std::u16string_view entry, std::u16string_view value) = 0;
};

std::u16string ReadSetting(ProfileSection& profile, Setting s, uint32_t key);
int32_t ReadSettingInt(ProfileSection& profile, Setting s, uint32_t key);
// Stores the default first when nothing is stored, then reads as ReadSetting does.
std::u16string ReadSettingWithDefault(ProfileSection& profile, Setting s, uint32_t key, std::u16string_view fallback);
void WriteSetting(ProfileSection& profile, Setting s, uint32_t key, std::u16string_view plain);

// For the window rectangle, whose reader keeps its own default: nothing stored gives nullopt and
// no unscramble line.
std::optional<std::u16string> ReadStoredSetting(ProfileSection& profile, Setting s, uint32_t key);

// True when the value can be written and read back unchanged: within the write limit and made
// only of units the stored format can carry.
bool CanStoreExactly(Setting s, std::u16string_view plain);

// Command-line convention index <-> stored number (index x 67 + 42).
int32_t EncodeConventionIndex(int32_t index);
int32_t DecodeConventionIndex(int32_t stored);

}  // namespace vorbel
