#include "setup/startup_entry.h"

#include <windows.h>

#include <string>
#include <vector>

#include "win/module_path.h"
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
    DWORD size = 0;
    if (RegQueryValueExW(key, kEntryName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return u"";
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, kEntryName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return u"";
    return U(data.data());  // up to the first zero; data ends with one
}

}  // namespace

bool StartupEntryPresent() {
    UniqueHKey key = OpenRunKey();
    return key && !ReadEntry(key.get()).empty();
}

void UpdateStartupEntry(bool wanted) {
    UniqueHKey key = OpenRunKey();
    if (!key) return;
    const bool present = !ReadEntry(key.get()).empty();
    if (wanted && !present) {
        const std::u16string path = OwnModulePath();
        RegSetValueExW(key.get(), kEntryName, 0, REG_SZ, reinterpret_cast<const BYTE*>(W(path)),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    } else if (!wanted && present) {
        RegDeleteValueW(key.get(), kEntryName);
    }
}

}  // namespace vorbel
