// One hundred stored values that no write of Vorbel produces, as a damaged profile or another
// program could leave them: odd lengths, units outside the scrambling alphabet, over-long texts
// and pairs that are no hexadecimal number. Shared by the native and the registry tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/scramble.h"
#include "settings/setting_names.h"

namespace vorbel::test {

inline constexpr Setting kEverySetting[] = {Setting::ChartNumberLocator,
                                            Setting::LastNameLocator,
                                            Setting::FirstNameLocator,
                                            Setting::ExitMode,
                                            Setting::PointOnlyMode,
                                            Setting::DataLocation,
                                            Setting::CommandLineConvention,
                                            Setting::SiteLabel,
                                            Setting::SkipConfirmation,
                                            Setting::ProgramLocation,
                                            Setting::WindowRect,
                                            Setting::SwapNames,
                                            Setting::SiteComputerName,
                                            Setting::ImagingTarget};

inline std::vector<std::u16string> MalformedStoredValues() {
    uint32_t seed = 0x5EED1234;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    auto symbols = [&](size_t n) {
        std::u16string s;
        for (size_t i = 0; i < n; ++i) s += kScrambleAlphabet[next() % 16];
        return s;
    };
    const char16_t strange[] = {
        u'0',      u'9',      u'z', u'-', u'+', u' ', u'\t', u'x', u'é', u'’', char16_t(0xD800), char16_t(0xDFFF),
        u'\uffff', u'\u0001', u';', u'|'};
    const std::u16string notHex[] = {u"zz", u"-1", u"+F", u" 3", u"0x", u"--", u"g0", u"éé", u"1 ", u"\t\t"};
    std::vector<std::u16string> values;
    for (size_t i = 0; i < 25; ++i) values.push_back(symbols(2 * (next() % 60) + 1));  // odd length
    for (size_t i = 0; i < 25; ++i) {  // units outside the alphabet among good symbols
        std::u16string s = symbols(2 + 2 * (next() % 40));
        for (size_t k = 0; k <= i % 4; ++k) s[next() % s.size()] = strange[next() % std::size(strange)];
        values.push_back(s);
    }
    for (size_t i = 0; i < 25; ++i) values.push_back(symbols(1024 + 2 * i * (i + 1) * 97 + (i % 2)));  // over-long
    for (size_t i = 0; i < 25; ++i) {  // pairs that are no hexadecimal number
        std::u16string s = symbols(2 * (next() % 20));
        s.insert(2 * (next() % (s.size() / 2 + 1)), notHex[i % std::size(notHex)]);
        values.push_back(s);
    }
    return values;
}

}  // namespace vorbel::test
