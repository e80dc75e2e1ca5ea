// Stored setting values are edited by hand now and then: any text must unscramble safely.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/diagnostic_log.h"
#include "settings/scramble.h"
#include "settings/setting_names.h"
#include "settings/settings_store.h"

namespace {

class FixedProfile : public vorbel::ProfileSection {
public:
    explicit FixedProfile(std::u16string stored) : stored_(std::move(stored)) {}
    std::u16string GetString(std::u16string_view) override { return stored_; }
    void WriteString(std::u16string_view, std::u16string_view) override {}

private:
    std::u16string stored_;
};

// Stated apart from the scrambler: a text comes back whole exactly when every unit is from 1 to
// 0xFF. A wider first unit takes more than two symbols; a wider later unit is still wide after
// the XOR with the first; a NUL ends the text or reads back as '2'.
bool ShouldSurvive(const std::u16string& plain) {
    for (char16_t u : plain) {
        if (u == 0 || u > 0xFF) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string stored;
    for (size_t i = 0; i + 1 < size; i += 2) stored.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

    const std::u16string plain = vorbel::UnscrambleText(stored);
    if (plain.size() > stored.size() / 2) std::abort();
    // The unscrambled text and the raw input (which may hold NULs) as plain texts to store.
    for (const std::u16string* text : {&plain, static_cast<const std::u16string*>(&stored)}) {
        const bool survives = ShouldSurvive(*text);
        if ((vorbel::UnscrambleText(vorbel::ScrambleText(*text)) == *text) != survives) std::abort();
        if (vorbel::SurvivesRoundTrip(*text) != survives) std::abort();
    }

    FixedProfile profile(stored);
    for (auto s : {vorbel::Setting::ProgramLocation, vorbel::Setting::WindowRect}) {
        if (vorbel::ReadSetting(profile, s, 0x1A2B3C4D).size() > vorbel::LimitsOf(s).plainRead) std::abort();
        (void)vorbel::ReadSettingInt(profile, s, 0);
    }
    // Every read logs a line; kept across runs, the log grows by megabytes a second.
    vorbel::TheDiagnosticLog().Clear();
    return 0;
}
