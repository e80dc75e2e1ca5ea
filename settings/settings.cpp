#include "settings/settings.h"

#include <windows.h>

#include "settings/registry_profile.h"
#include "settings/settings_store.h"

namespace vorbel {

uint32_t GetMachineKey() {
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        MessageBeep(MB_ICONHAND);
        return 0;
    }
    return serial;
}

std::u16string ReadSetting(Setting s, uint32_t key) {
    RegistryProfile profile;
    return ReadSetting(profile, s, key);
}

int32_t ReadSettingInt(Setting s, uint32_t key) {
    RegistryProfile profile;
    return ReadSettingInt(profile, s, key);
}

std::u16string ReadSettingWithDefault(Setting s, uint32_t key, std::u16string_view fallback) {
    RegistryProfile profile;
    return ReadSettingWithDefault(profile, s, key, fallback);
}

void WriteSetting(Setting s, uint32_t key, std::u16string_view plain) {
    RegistryProfile profile;
    WriteSetting(profile, s, key, plain);
}

std::optional<std::u16string> ReadStoredSetting(Setting s, uint32_t key) {
    RegistryProfile profile;
    return ReadStoredSetting(profile, s, key);
}

std::u16string ReadHandedCommandLine() { return RegistryProfile().GetString(kCmdLineEntry); }

void WriteHandedCommandLine(std::u16string_view cmd) { RegistryProfile().WriteString(kCmdLineEntry, cmd); }

int32_t ReadFtpTestMode() { return RegistryProfile().GetInt(kFtpTestEntry, 0); }

}  // namespace vorbel
