// A damaged profile: every malformed stored value, under every setting, through every reader and
// the parsers that take what they return. Run under ASan and UBSan, an overrun fails here.
#include <gtest/gtest.h>

#include "app/button_geometry.h"
#include "locator/locator_text.h"
#include "settings/diagnostic_log.h"
#include "settings/settings_store.h"
#include "tests/core/malformed_values.h"
#include "tests/core/memory_profile.h"

namespace vorbel {
namespace {

using test::MemoryProfile;

TEST(MalformedStoredValues, EveryReaderStaysWithinTheLimits) {
    constexpr uint32_t kKey = 0x1A2B3C4D;
    const std::vector<std::u16string> values = test::MalformedStoredValues();
    ASSERT_EQ(values.size(), 100u);
    for (const Setting s : test::kEverySetting) {
        const size_t limit = LimitsOf(s).plainRead;
        const std::u16string name = ScrambledSettingName(s, kKey);
        for (size_t i = 0; i < values.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "setting " << static_cast<char>(s) << ", value " << i);
            TheDiagnosticLog().Clear();  // the log keeps every read; it is trimmed per link in use
            MemoryProfile profile;
            profile.entries[name] = values[i];
            const std::u16string text = ReadSetting(profile, s, kKey);
            EXPECT_LE(text.size(), limit);
            EXPECT_LE(ReadSettingWithDefault(profile, s, kKey, u"0").size(), limit);
            EXPECT_EQ(profile.entries[name], values[i]) << "a stored value, even a damaged one, is not replaced";
            const std::optional<std::u16string> stored = ReadStoredSetting(profile, s, kKey);
            ASSERT_TRUE(stored.has_value());
            EXPECT_EQ(*stored, text);
            const int32_t number = ReadSettingInt(profile, s, kKey);
            (void)DecodeConventionIndex(number);
            (void)ParseFieldLocator(text);
            (void)ParseButtonRect(text);
        }
    }
}

}  // namespace
}  // namespace vorbel
