#include "tests/win/support/setup_test_support.h"

#include "settings/diagnostic_log.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "tests/win/support/win_test_support.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel::test {

namespace {
void Clean() {
    DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey.c_str(), 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Vorbel");
        RegDeleteValueW(run, L"Autre");
        RegCloseKey(run);
    }
}

std::wstring TextOf(const RawValue& v) {
    std::wstring text(reinterpret_cast<const wchar_t*>(v.bytes.data()), v.bytes.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}
}  // namespace

void SetupRegistryTest::SetUp() {
    Clean();
    TheDiagnosticLog().Clear();
    key = GetMachineKey();
}

void SetupRegistryTest::TearDown() { Clean(); }

std::optional<std::u16string> SetupRegistryTest::Stored(Setting s) const {
    const RawValue raw = ReadRawValue(HKEY_CURRENT_USER, kSetupSection, ToWide(ScrambledSettingName(s, key)));
    if (!raw.present) return std::nullopt;
    const std::wstring text = TextOf(raw);
    return UnscrambleText(std::u16string(text.begin(), text.end()));
}

void SetupRegistryTest::Store(Setting s, std::u16string_view plain) const { WriteSetting(s, key, plain); }

std::map<std::wstring, std::wstring> SetupRegistryTest::SectionValues() const {
    std::map<std::wstring, std::wstring> values;
    UniqueHKey section;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSetupSection.c_str(), 0, KEY_READ, section.put()) != ERROR_SUCCESS) {
        section.release();
        return values;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumValueW(section.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        values[name] = TextOf(ReadRawValue(HKEY_CURRENT_USER, kSetupSection, name));
    }
    return values;
}

std::optional<std::wstring> SetupRegistryTest::RunEntry() const {
    const RawValue raw = ReadRawValue(HKEY_CURRENT_USER, kRunKey, L"Vorbel");
    if (!raw.present) return std::nullopt;
    return TextOf(raw);
}

void SetupRegistryTest::SetRunEntry(const std::wstring& text) const {
    WriteRawValue(HKEY_CURRENT_USER, kRunKey, L"Vorbel", REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace vorbel::test
