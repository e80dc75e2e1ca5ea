#include "settings/settings_store.h"

#include <algorithm>

#include "settings/diagnostic_log.h"
#include "settings/scramble.h"
#include "text/text.h"

namespace vorbel {
namespace {

constexpr char16_t kCryptLine[] = u"CryptString %s\r\n";
constexpr char16_t kDecryptLine[] = u"DecryptString %s -> %s\r\n";

std::u16string_view Cut(std::u16string_view t, size_t limit) { return t.substr(0, limit); }

// Steps shared by every reader and writer: the name line and the scrambled name.
std::u16string EntryName(Setting s, uint32_t key) {
    std::u16string plainName = PlainSettingName(s, key);
    AppendLogLine(kCryptLine, {plainName});
    return ScrambleText(plainName);
}

std::u16string ReadStored(ProfileSection& profile, const std::u16string& entry, Setting s) {
    std::u16string stored = profile.GetString(entry);
    stored.resize(std::min(stored.size(), LimitsOf(s).storedRead));
    return stored;
}

std::u16string Unscramble(Setting s, const std::u16string& stored) {
    std::u16string plain(Cut(UnscrambleText(stored), LimitsOf(s).plainRead));
    AppendLogLine(kDecryptLine, {stored, plain});
    return plain;
}

// Scrambled form of a value, cut to the limits so that nothing larger ever reaches the profile.
std::u16string ScrambleForStore(Setting s, std::u16string_view plain) {
    const SettingLimits limits = LimitsOf(s);
    plain = Cut(plain, limits.plainWrite);
    AppendLogLine(kCryptLine, {plain});
    std::u16string scrambled = ScrambleText(plain);
    scrambled.resize(std::min(scrambled.size(), limits.scrambledWrite));
    return scrambled;
}

}  // namespace

std::u16string ReadSetting(ProfileSection& profile, Setting s, uint32_t key) {
    const std::u16string entry = EntryName(s, key);
    return Unscramble(s, ReadStored(profile, entry, s));
}

int32_t ReadSettingInt(ProfileSection& profile, Setting s, uint32_t key) {
    return ParseDecimalInt(ReadSetting(profile, s, key));
}

std::u16string ReadSettingWithDefault(ProfileSection& profile, Setting s, uint32_t key, std::u16string_view fallback) {
    const std::u16string entry = EntryName(s, key);
    std::u16string stored = ReadStored(profile, entry, s);
    if (stored.empty()) {
        stored = ScrambleForStore(s, fallback);
        profile.WriteString(entry, stored);
    }
    return Unscramble(s, stored);
}

void WriteSetting(ProfileSection& profile, Setting s, uint32_t key, std::u16string_view plain) {
    const std::u16string entry = EntryName(s, key);
    profile.WriteString(entry, ScrambleForStore(s, plain));
}

std::optional<std::u16string> ReadStoredSetting(ProfileSection& profile, Setting s, uint32_t key) {
    const std::u16string entry = EntryName(s, key);
    std::u16string stored = ReadStored(profile, entry, s);
    if (stored.empty()) return std::nullopt;
    return Unscramble(s, stored);
}

bool CanStoreExactly(Setting s, std::u16string_view plain) {
    return plain.size() <= LimitsOf(s).plainWrite && SurvivesRoundTrip(plain);
}

int32_t EncodeConventionIndex(int32_t index) { return static_cast<int32_t>(static_cast<int64_t>(index) * 67 + 42); }

int32_t DecodeConventionIndex(int32_t stored) { return static_cast<int32_t>((static_cast<int64_t>(stored) - 42) / 67); }

}  // namespace vorbel
