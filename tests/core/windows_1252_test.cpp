#include "text/windows_1252.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vorbel {
namespace {

struct EncodeCase {
    std::u16string text;
    std::string bytes;
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.bytes); }

class EncodeWindows1252Test : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeWindows1252Test, OneByteACharacterAndAQuestionMarkForWhatThePageLacks) {
    EXPECT_EQ(EncodeWindows1252(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(All, EncodeWindows1252Test,
                         ::testing::Values(EncodeCase{u"4217 MARTIN\r\n\t", "4217 MARTIN\r\n\t"},
                                           EncodeCase{u"Hélène ÉLOÏSE ÿ", "H\xe9l\xe8ne \xc9LO\xcfSE \xff"},
                                           // The letters and signs of bytes 80 to 9F, which Latin-1 lacks.
                                           EncodeCase{u"€ Œuvre Ÿ ‘x’ …", "\x80 \x8cuvre \x9f \x91x\x92 \x85"},
                                           // No look-alike: a Polish name keeps its length and shows what was lost.
                                           EncodeCase{u"Ko\u0142\u0105taj \u0151 \u0100", "Ko??taj ? ?"},
                                           // A character beyond the 16-bit range is one "?", half of one too.
                                           EncodeCase{u"A\U0001F600B", "A?B"},
                                           EncodeCase{std::u16string{u'A', 0xD800, u'B', 0xDC00}, "A?B?"},
                                           // C1 controls: only the five the page leaves undefined have a byte; U+0085
                                           // (a line break elsewhere) is not the ellipsis of byte 85.
                                           EncodeCase{std::u16string{0x80, 0x81, 0x85, 0x8D, 0x8F, 0x90, 0x9D, 0x9F},
                                                      "?\x81?\x8d\x8f\x90\x9d?"}));

TEST(DecodeWindows1252Test, EveryByteComesBackThroughTheEncoder) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::u16string text = DecodeWindows1252(all);
    ASSERT_EQ(text.size(), all.size());
    EXPECT_EQ(EncodeWindows1252(text), all);
    EXPECT_EQ(DecodeWindows1252("\x80\x81\x8a\x9f\xa0\xe9"), (std::u16string{0x20AC, 0x81, 0x160, 0x178, 0xA0, 0xE9}));
}

}  // namespace
}  // namespace vorbel
