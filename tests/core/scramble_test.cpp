#include "settings/scramble.h"

#include <gtest/gtest.h>

#include "text/text.h"

namespace vorbel {
namespace {

// Maps hex digit text ("597769") to the stored symbols, to write expectations readably.
std::u16string Symbols(std::string_view hex) {
    std::u16string out;
    for (char c : hex) out.push_back(kScrambleAlphabet[c <= '9' ? c - '0' : c - 'A' + 10]);
    return out;
}

TEST(Scramble, KnownNameScramblesToDocumentedDigits) {
    // Y.0 has units 59 2E 30; after the XOR with the first: 59 77 69.
    EXPECT_EQ(ScrambleText(u"Y.0"), Symbols("597769"));
    EXPECT_EQ(ScrambleText(u"Y.0"), u"GsiiMs");
    EXPECT_EQ(ScrambleText(u""), u"");
}

TEST(Scramble, RoundTripsEveryTextOfLowUnits) {
    const std::u16string cases[] = {
        u"A",    // one unit: two symbols
        u"AAB",  // repeats of the first unit scramble to 00
        u"C:\\Program Files\\CliniView\\CliniView.exe",
        u"Élodie Müller-Ørsted",  // Latin-1 letters stay below 0x100
        u"10;20;110;120",
        u"ÿ\u0001",  // XOR of extremes
    };
    for (const auto& plain : cases) {
        SCOPED_TRACE(ToUtf8(plain));
        const std::u16string stored = ScrambleText(plain);
        EXPECT_EQ(stored.size(), plain.size() * 2);
        EXPECT_EQ(UnscrambleText(stored), plain);
    }
    EXPECT_EQ(ScrambleText(u"AAB"), Symbols("410003"));
}

// Which texts come back whole, stated by hand: every unit from 1 to 0xFF (a wide first unit
// takes more than two symbols; a later unit at or above 0x100 is so after the XOR; a NUL ends
// the text or reads back as '2').
TEST(Scramble, SurvivesRoundTripNamesExactlyTheTextsThatComeBack) {
    const struct Case {
        std::u16string plain;
        bool survives;
    } cases[] = {
        {u"", true},
        {u"A", true},
        {u"ÿ\u0001ÿ", true},
        {u"C:\\Clichés", true},
        {u"œ", false},  // first unit of three hex digits
        {u"\u0100A", false},
        {u"Cœur", false},  // later unit wide after the XOR
        {u"Aÿ\u0100", false},
        {std::u16string(u"A\0B", 3), false},  // a NUL in the middle
        {std::u16string(u"\0A", 2), false},   // a NUL first: nothing comes back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.plain));
        EXPECT_EQ(SurvivesRoundTrip(c.plain), c.survives);
        EXPECT_EQ(UnscrambleText(ScrambleText(c.plain)) == c.plain, c.survives);
    }
}

TEST(Scramble, WideUnitsTakeMoreSymbolsAndDoNotSurvive) {
    // 0x153 (œ) as first unit: three digits; 'A' ^ 0x2019 is 0x2058: four digits.
    EXPECT_EQ(ScrambleText(u"œ"), Symbols("153"));
    EXPECT_EQ(ScrambleText(u"A’"), Symbols("412058"));
    EXPECT_FALSE(SurvivesRoundTrip(u"Cœur"));
    EXPECT_FALSE(SurvivesRoundTrip(u"l’école"));
    EXPECT_NE(UnscrambleText(ScrambleText(u"Cœur")), u"Cœur");
}

TEST(Unscramble, HandMadeStoredTexts) {
    struct Case {
        std::u16string stored;
        std::u16string plain;
        const char* why;
    };
    const Case cases[] = {
        {Symbols("41") + u"5", u"A", "odd length: last symbol ignored"},
        {Symbols("4141"), u"A2", "later pair equal to the first reads as '2'"},
        {Symbols("0041"), u"", "first unit 0: empty text"},
        {Symbols("4100") + Symbols("03"), u"AAB", "00 reads back as the first unit"},
        {u"zz" + Symbols("03"), u"", "pair outside the alphabet and not hex gives 0"},
        {u"41" + Symbols("03"), u"AB", "digits outside the alphabet are read as they stand"},
        {Symbols("41") + u"-" + Symbols("1"), u"A\uffbe", "a sign inside a pair is honoured by the hex reading"},
        {Symbols("41") + u" " + Symbols("3"), u"AB", "leading white space inside a pair is skipped"},
        {u"", u"", "empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(UnscrambleText(c.stored), c.plain);
    }
}

}  // namespace
}  // namespace vorbel
