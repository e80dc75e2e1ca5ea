#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "settings/diagnostic_log.h"
#include "settings/scramble.h"
#include "text/text.h"
#include "tests/core/memory_profile.h"

namespace vorbel {
namespace {

using test::MemoryProfile;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { TheDiagnosticLog().Clear(); }
    const std::u16string& Log() { return TheDiagnosticLog().Text(); }
    MemoryProfile profile;
    static constexpr uint32_t kKey = 0x1A2B3C4D;
};

TEST_F(SettingsStoreTest, NamesAreBoundToTheMachineKey) {
    EXPECT_EQ(PlainSettingName(Setting::ImagingTarget, 0), u"Y.0");
    EXPECT_EQ(PlainSettingName(Setting::ImagingTarget, 0x1A2B3C4D), u"Y.1A2B3C4D");
    EXPECT_EQ(PlainSettingName(Setting::ChartNumberLocator, 0xFFFFFFFF), u"1.FFFFFFFF");
    EXPECT_EQ(ScrambledSettingName(Setting::ImagingTarget, 0), ScrambleText(u"Y.0"));
    EXPECT_NE(ScrambledSettingName(Setting::ImagingTarget, 1), ScrambledSettingName(Setting::ImagingTarget, 2));
}

TEST_F(SettingsStoreTest, WriteThenReadLogsEveryScrambleAndUnscramble) {
    WriteSetting(profile, Setting::ProgramLocation, kKey, u"C:\\vixwin\\vixwin.exe");
    const std::u16string name = ScrambleText(u"P.1A2B3C4D");
    const std::u16string value = ScrambleText(u"C:\\vixwin\\vixwin.exe");
    ASSERT_EQ(profile.entries.count(name), 1u);
    EXPECT_EQ(profile.entries[name], value);
    EXPECT_EQ(Log(), u"CryptString P.1A2B3C4D\r\nCryptString C:\\vixwin\\vixwin.exe\r\n");

    TheDiagnosticLog().Clear();
    EXPECT_EQ(ReadSetting(profile, Setting::ProgramLocation, kKey), u"C:\\vixwin\\vixwin.exe");
    EXPECT_EQ(Log(), u"CryptString P.1A2B3C4D\r\nDecryptString " + value + u" -> C:\\vixwin\\vixwin.exe\r\n");
}

TEST_F(SettingsStoreTest, AbsentEmptyAndBlankEntriesReadEmptyAndZero) {
    EXPECT_EQ(ReadSetting(profile, Setting::SiteLabel, kKey), u"");
    EXPECT_EQ(Log(), u"CryptString N.1A2B3C4D\r\nDecryptString  -> \r\n");
    WriteSetting(profile, Setting::ImagingTarget, kKey, u"");
    EXPECT_EQ(profile.entries[ScrambledSettingName(Setting::ImagingTarget, kKey)], u"");
    EXPECT_EQ(ReadSettingInt(profile, Setting::ImagingTarget, kKey), 0);
    profile.entries[ScrambledSettingName(Setting::ExitMode, kKey)] = u"55";  // unscrambles to ""
    EXPECT_EQ(ReadSetting(profile, Setting::ExitMode, kKey), u"");
    EXPECT_EQ(ReadSettingInt(profile, Setting::ExitMode, kKey), 0);
}

TEST_F(SettingsStoreTest, IntegersReadLikeTheDecimalConversion) {
    const std::pair<std::u16string, int32_t> cases[] = {
        {u"-1", -1}, {u"5", 5}, {u" 42abc", 42}, {u"abc", 0}, {u"99999999999", 2147483647}, {u"+7", 7},
    };
    for (const auto& [text, value] : cases) {
        WriteSetting(profile, Setting::ImagingTarget, kKey, text);
        EXPECT_EQ(ReadSettingInt(profile, Setting::ImagingTarget, kKey), value) << ToUtf8(text);
    }
}

TEST_F(SettingsStoreTest, DefaultIsStoredOnlyWhenNothingIsStored) {
    EXPECT_EQ(ReadSettingWithDefault(profile, Setting::DataLocation, kKey, u"C:\\Vximages"), u"C:\\Vximages");
    const std::u16string stored = ScrambleText(u"C:\\Vximages");
    EXPECT_EQ(profile.entries[ScrambledSettingName(Setting::DataLocation, kKey)], stored);
    EXPECT_EQ(Log(), u"CryptString I.1A2B3C4D\r\nCryptString C:\\Vximages\r\nDecryptString " + stored +
                         u" -> C:\\Vximages\r\n");

    EXPECT_EQ(ReadSettingWithDefault(profile, Setting::DataLocation, kKey, u"D:\\other"), u"C:\\Vximages");
    EXPECT_EQ(profile.writes, 1);
}

TEST_F(SettingsStoreTest, WindowRectReaderKeepsItsOwnDefault) {
    EXPECT_EQ(ReadStoredSetting(profile, Setting::WindowRect, kKey), std::nullopt);
    EXPECT_EQ(Log(), u"CryptString R.1A2B3C4D\r\n");
    WriteSetting(profile, Setting::WindowRect, kKey, u"10;10;20;20");
    EXPECT_EQ(ReadStoredSetting(profile, Setting::WindowRect, kKey), u"10;10;20;20");
}

TEST_F(SettingsStoreTest, OverLongTextsAreCutAtTheLimits) {
    struct Case {
        Setting setting;
        size_t plainLimit;
        size_t storedLimit;
    };
    for (const Case c : {Case{Setting::ProgramLocation, 511, 1023}, Case{Setting::WindowRect, 29, 59}}) {
        const std::u16string longText(3000, u'x');
        const std::u16string name = ScrambledSettingName(c.setting, kKey);

        WriteSetting(profile, c.setting, kKey, longText);
        EXPECT_EQ(profile.entries[name].size(), 2 * c.plainLimit);
        EXPECT_EQ(ReadSetting(profile, c.setting, kKey), longText.substr(0, c.plainLimit));

        // Wide units make the scrambled form longer than twice the plain; it is cut too.
        WriteSetting(profile, c.setting, kKey, u"x" + std::u16string(3000, u'’'));
        EXPECT_LE(profile.entries[name].size(), c.storedLimit);

        // A hand-made stored value far beyond the limit is read without overrun.
        profile.entries[name] = ScrambleText(longText) + ScrambleText(longText);
        EXPECT_EQ(ReadSetting(profile, c.setting, kKey).size(), c.plainLimit);
    }
}

TEST_F(SettingsStoreTest, CanStoreExactlyRefusesWhatWouldNotReadBack) {
    EXPECT_TRUE(CanStoreExactly(Setting::ProgramLocation, u"C:\\Program Files\\Vixwin\\vixwin.exe"));
    EXPECT_TRUE(CanStoreExactly(Setting::ProgramLocation, std::u16string(511, u'a')));
    EXPECT_FALSE(CanStoreExactly(Setting::ProgramLocation, std::u16string(512, u'a')));
    EXPECT_FALSE(CanStoreExactly(Setting::ProgramLocation, u"C:\\Radiologie\\Œuvre"));
    EXPECT_FALSE(CanStoreExactly(Setting::WindowRect, u"-1000000;-1000000;-1000000;-1000000"));
}

TEST(ConventionIndex, StoredNumbersDecodeByTruncation) {
    const std::pair<int32_t, int32_t> decode[] = {
        {0, 0},
        {42, 0},
        {100, 0},
        {-24, 0},
        {108, 0},
        {109, 1},
        {176, 2},
        {243, 3},
        {310, 4},
        {377, 5},
        {-25, -1},
        {INT32_MIN, -32051995},
        {INT32_MAX, 32051994},
    };
    for (auto [stored, index] : decode) EXPECT_EQ(DecodeConventionIndex(stored), index) << stored;
    for (int32_t index = -1; index <= 4; ++index) {
        EXPECT_EQ(DecodeConventionIndex(EncodeConventionIndex(index)), index);
    }
    EXPECT_EQ(EncodeConventionIndex(-1), -25);
    EXPECT_EQ(EncodeConventionIndex(4), 310);
}

}  // namespace
}  // namespace vorbel
