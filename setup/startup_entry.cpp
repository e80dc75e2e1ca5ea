#include "setup/startup_entry.h"

#include <windows.h>

#include <optional>
#include <string>

#include "settings/diagnostic_log.h"
#include "settings/policy_registry.h"
#include "win/module_path.h"
#include "win/registry_value.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kEntryName[] = L"Vorbel";

UniqueHKey OpenRunKey() {
    UniqueHKey key;
    wchar_t keyClass[] = L"String";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

// The entry read as text, however long it is; a missing entry reads as empty.
std::u16string ReadEntry(HKEY key) {
    const std::optional<RegistryData> value = QueryRegistryValue(key, kEntryName);
    return value ? RegistryText(*value) : u"";
}

void WriteEntry(HKEY key) {
    const std::u16string text = StartupEntryText();
    RegSetValueExW(key, kEntryName, 0, REG_SZ, reinterpret_cast<const BYTE*>(W(text)),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool IsOwnPathUnquoted(const std::u16string& entry) {
    const std::u16string own = OwnModulePath();
    return CompareStringOrdinal(W(entry), -1, W(own), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::u16string StartupEntryText() {
    std::u16string text(1, u'"');
    text += OwnModulePath();
    text += u'"';
    return text;
}

bool StartupEntryPresent() {
    UniqueHKey key = OpenRunKey();
    return key && !ReadEntry(key.get()).empty();
}

void UpdateStartupEntry(bool wanted) {
    UniqueHKey key = OpenRunKey();
    if (!key) return;
    const std::u16string entry = ReadEntry(key.get());
    if (wanted && (entry.empty() || IsOwnPathUnquoted(entry))) {
        WriteEntry(key.get());
    } else if (!wanted && !entry.empty()) {
        RegDeleteValueW(key.get(), kEntryName);
    }
}

std::optional<bool> StartupPolicy() {
    const Policy policy = CurrentPolicy(PolicyId::StartWithWindows);
    const std::u16string* fixed = policy.Value(PolicyId::StartWithWindows);
    if (!fixed) return std::nullopt;
    return *fixed != u"0";
}

bool MachineStartupEntryPresent() {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        UniqueHKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE | view, key.put()) != ERROR_SUCCESS) {
            key.release();
            continue;
        }
        if (!ReadEntry(key.get()).empty()) return true;
    }
    return false;
}

void ApplyStartupPolicy() {
    const std::optional<bool> wanted = StartupPolicy();
    if (!wanted) return;
    if (!*wanted) {
        if (StartupEntryPresent()) AppendLogLine(u"Policy StartWithWindows -> 0: the user's Run entry removed\r\n", {});
        UpdateStartupEntry(false);
    } else if (!StartupEntryPresent() && !MachineStartupEntryPresent()) {
        AppendLogLine(u"Policy StartWithWindows -> 1: the user's Run entry written\r\n", {});
        UpdateStartupEntry(true);
    }
}

}  // namespace vorbel
