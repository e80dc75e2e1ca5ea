#include "settings/settings.h"

#include <windows.h>

#include <atomic>

#include "settings/diagnostic_log.h"
#include "settings/policy_registry.h"
#include "settings/registry_profile.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "win/error_beep.h"

namespace vorbel {

namespace {

// The serial of C: does not change while a program runs, and asking the file system costs about
// a millisecond each time: read once, on the first success.
std::atomic<uint32_t> g_machineKey{0};
std::atomic<bool> g_machineKeyKnown{false};

}  // namespace

uint32_t GetMachineKey() {
    if (g_machineKeyKnown.load(std::memory_order_acquire)) return g_machineKey.load(std::memory_order_relaxed);
    DWORD serial = 0;
    if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
        ErrorBeep();
        return 0;
    }
    g_machineKey.store(serial, std::memory_order_relaxed);
    g_machineKeyKnown.store(true, std::memory_order_release);
    return serial;
}

namespace {

// The value IT fixed for this setting, logged as it is used; nothing when the setting is the user's.
std::optional<std::u16string> PolicyFor(Setting s) {
    const PolicyDefinition* d = DefinitionFor(s);
    if (!d) return std::nullopt;
    const Policy policy = CurrentPolicy(d->id);
    const std::u16string* value = policy.Value(d->id);
    if (!value) return std::nullopt;
    AppendLogLine(u"Policy %s -> %s\r\n", {d->name, *value});
    return *value;
}

}  // namespace

std::u16string ReadSetting(Setting s, uint32_t key) {
    if (std::optional<std::u16string> fixed = PolicyFor(s)) return *fixed;
    RegistryProfile profile;
    return ReadSetting(profile, s, key);
}

int32_t ReadSettingInt(Setting s, uint32_t key) {
    if (std::optional<std::u16string> fixed = PolicyFor(s)) return ParseDecimalInt(*fixed);
    RegistryProfile profile;
    return ReadSettingInt(profile, s, key);
}

// A fixed value is never stored: the user's own comes back when IT lifts the policy.
std::u16string ReadSettingWithDefault(Setting s, uint32_t key, std::u16string_view fallback) {
    if (std::optional<std::u16string> fixed = PolicyFor(s)) return *fixed;
    RegistryProfile profile;
    return ReadSettingWithDefault(profile, s, key, fallback);
}

// A setting IT fixed keeps the user's own value untouched underneath.
void WriteSetting(Setting s, uint32_t key, std::u16string_view plain) {
    if (const PolicyDefinition* d = DefinitionFor(s); d && CurrentPolicy(d->id).Controls(d->id)) {
        AppendLogLine(u"Policy %s: the user's value is not written\r\n", {d->name});
        return;
    }
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
