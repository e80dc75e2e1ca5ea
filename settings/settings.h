// Settings of this machine's user profile: the operations the rest of the program calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/setting_names.h"

namespace vorbel {

// Volume serial of C:\, read once per process. When it cannot be read: an error beep and 0, at
// every call until it can.
uint32_t GetMachineKey();

std::u16string ReadSetting(Setting s, uint32_t key);
int32_t ReadSettingInt(Setting s, uint32_t key);
std::u16string ReadSettingWithDefault(Setting s, uint32_t key, std::u16string_view fallback);
void WriteSetting(Setting s, uint32_t key, std::u16string_view plain);
std::optional<std::u16string> ReadStoredSetting(Setting s, uint32_t key);

// The plain entries of the section: the handed-over command line and the web export's test mode.
std::u16string ReadHandedCommandLine();
void WriteHandedCommandLine(std::u16string_view cmd);
int32_t ReadFtpTestMode();

}  // namespace vorbel
