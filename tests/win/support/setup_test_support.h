// The registry around the Setup dialog's tests: a clean profile and Run entry per test, and the
// settings read back as the registry holds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "settings/setting_names.h"

namespace vorbel::test {

inline const std::wstring kSetupSection = L"Software\\ZEMO\\vorbel_ui_tests\\Vorbel";
inline const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kSetupTitle[] = L"Paramétrage";

class SetupRegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The plain value of a setting, unscrambled from the raw registry data; nothing when absent.
    std::optional<std::u16string> Stored(Setting s) const;
    void Store(Setting s, std::u16string_view plain) const;
    // Every value of the profile section, raw: name -> data bytes.
    std::map<std::wstring, std::wstring> SectionValues() const;
    // The Run key's "Vorbel" entry as text; nothing when absent.
    std::optional<std::wstring> RunEntry() const;
    void SetRunEntry(const std::wstring& text) const;

    uint32_t key = 0;
};

}  // namespace vorbel::test
