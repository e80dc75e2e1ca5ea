#include "locator/locator_text.h"

#include <gtest/gtest.h>

#include "text/text.h"

namespace vorbel {

void PrintTo(const ParsedLocator& p, std::ostream* os) {
    *os << "{" << p.width << "x" << p.height << " '" << ToUtf8(p.className) << "'";
    if (p.hasStructure) {
        *os << " path";
        for (int32_t i : p.path) *os << " " << i;
        *os << " at " << p.x << "," << p.y;
    }
    if (p.screen) *os << " screen " << p.screen->x << "," << p.screen->y;
    for (const AccessibleStep& step : p.element)
        *os << " > " << step.role << "," << step.index << "," << ToUtf8(step.name);
    *os << "}";
}

namespace {

using namespace std::string_literals;

struct ParseCase {
    std::u16string text;
    std::optional<ParsedLocator> expected;
};

ParsedLocator Full(int32_t w, int32_t h, std::u16string cls, std::vector<int32_t> path, int32_t x, int32_t y,
                   std::optional<ScreenPoint> screen) {
    return {w, h, std::move(cls), true, std::move(path), x, y, screen, {}};
}

ParsedLocator ClassOnly(int32_t w, int32_t h, std::u16string cls, std::optional<ScreenPoint> screen) {
    ParsedLocator p;
    p.width = w;
    p.height = h;
    p.className = std::move(cls);
    p.screen = screen;
    return p;
}

class ParseFieldLocatorTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseFieldLocatorTest, ReadsTheFieldsAsTheirSeparatorsFall) {
    EXPECT_EQ(ParseFieldLocator(GetParam().text), GetParam().expected) << ToUtf8(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, ParseFieldLocatorTest,
    ::testing::Values(
        ParseCase{u"800;600;PmsMain;3;1;140;22|655|301", Full(800, 600, u"PmsMain", {3, 1}, 140, 22, {{655, 301}})},
        ParseCase{u"800;600;PmsMain;140;22|655|301", Full(800, 600, u"PmsMain", {}, 140, 22, {{655, 301}})},
        ParseCase{u"-5;0;A;-3;-1;-140;-22|-655|-301", Full(-5, 0, u"A", {-3, -1}, -140, -22, {{-655, -301}})},
        ParseCase{u"1;2;Fenêtre;1;1;1;1;1;9;8|7|6", Full(1, 2, u"Fenêtre", {1, 1, 1, 1, 1}, 9, 8, {{7, 6}})}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, ParseFieldLocatorTest,
    ::testing::Values(
        ParseCase{u"", std::nullopt}, ParseCase{u"800;PmsMain", std::nullopt}, ParseCase{u"800;600", std::nullopt},
        ParseCase{u"800;600;Pms\0Main;140;22|1|2"s, std::nullopt},  // a NUL would end the class early
        // Up to three ";": a class but no path and centre; the screen point stays usable.
        ParseCase{u"800;600;PmsMain", ClassOnly(800, 600, u"PmsMain", std::nullopt)},
        ParseCase{u"800;600;PmsMain;140|655|301", ClassOnly(800, 600, u"PmsMain", {{655, 301}})},
        ParseCase{u"800;600;PmsMain|655|301", ClassOnly(800, 600, u"PmsMain|655|301", {{655, 301}})},
        // A class with separators of its own shifts every field after it.
        ParseCase{u"800;600;Pms;Main;140;22|655|301", Full(800, 600, u"Pms", {0}, 140, 22, {{655, 301}})},
        ParseCase{u"800;600;Pms|X;140;22|655|301", Full(800, 600, u"Pms|X", {}, 140, 22, {{0, 655}})},
        // Numbers: leading blanks and a sign, reading stops at the first other character, none is 0,
        // out of range is clamped.
        ParseCase{u" +8x;  -6;C;a1; 2z;99999999999;22|  655px|-0301",
                  Full(8, -6, u"C", {0, 2}, 2147483647, 22, {{655, -301}})},
        ParseCase{u";;;;", Full(0, 0, u"", {}, 0, 0, std::nullopt)},
        // Without both screen fields there is no screen point.
        ParseCase{u"800;600;PmsMain;3;1;140;22", Full(800, 600, u"PmsMain", {3, 1}, 140, 22, std::nullopt)},
        ParseCase{u"800;600;PmsMain;3;1;140;22|655", Full(800, 600, u"PmsMain", {3, 1}, 140, 22, std::nullopt)},
        ParseCase{u"800;600;PmsMain;3;1;140;22||", Full(800, 600, u"PmsMain", {3, 1}, 140, 22, {{0, 0}})}));

TEST(ParseFieldLocator, LengthIsBoundedByWhatTheStoreKeeps) {
    const std::u16string head = u"800;600;PmsMain;";
    const std::u16string tail = u"140;22|655|301";
    std::u16string longest = head;
    while (longest.size() + 2 + tail.size() <= kMaxLocatorLength) longest += u"1;";
    longest += tail;
    longest.resize(kMaxLocatorLength, u' ');
    const auto parsed = ParseFieldLocator(longest);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->path.size(), (kMaxLocatorLength - head.size() - tail.size()) / 2);
    EXPECT_FALSE(ParseFieldLocator(longest + u" ").has_value());
    EXPECT_FALSE(ParseFieldLocator(std::u16string(100000, u';')).has_value());
}

TEST(FormatFieldLocator, WritesTheDocumentedLayout) {
    LocatorParts parts;
    parts.width = 800;
    parts.height = 600;
    parts.className = u"PmsMain";
    parts.path = {3, 1};
    parts.x = 140;
    parts.y = 22;
    parts.screen = {655, 301};
    EXPECT_EQ(FormatFieldLocator(parts), u"800;600;PmsMain;3;1;140;22|655|301");

    parts.path.clear();
    parts.x = -7;
    parts.screen = {-1, 0};
    EXPECT_EQ(FormatFieldLocator(parts), u"800;600;PmsMain;-7;22|-1|0") << "a direct child has no path";

    parts.className = std::u16string(300, u'C');
    const std::u16string cut = FormatFieldLocator(parts);
    EXPECT_EQ(cut.find(std::u16string(kMaxLocatorClassLength, u'C') + u";"), 8u) << "the class is cut to 249";
}

TEST(FormatFieldLocator, ReadsBackAsWritten) {
    LocatorParts parts;
    parts.width = 1920;
    parts.height = -1;
    parts.className = u"FENETRE_VISIODENT32";
    parts.path = {2, 1, 14};
    parts.x = 2147483647;
    parts.y = -2147483647 - 1;
    parts.screen = {5, 6};
    const auto parsed = ParseFieldLocator(FormatFieldLocator(parts));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, Full(1920, -1, u"FENETRE_VISIODENT32", {2, 1, 14}, 2147483647, -2147483647 - 1, {{5, 6}}));
}

ParsedLocator Element(ParsedLocator window, std::vector<AccessibleStep> steps) {
    window.element = std::move(steps);
    return window;
}

INSTANTIATE_TEST_SUITE_P(
    Elements, ParseFieldLocatorTest,
    ::testing::Values(
        ParseCase{u"640;440;VorbelDrawnForm;320;40|400|120|@42,2,N° de dossier",
                  Element(Full(640, 440, u"VorbelDrawnForm", {}, 320, 40, {{400, 120}}), {{42, 2, u"N° de dossier"}})},
        ParseCase{
            u"640;440;Q;2;9;8|7|6|@16,1,>20,3,Identité>42,1,",
            Element(Full(640, 440, u"Q", {2}, 9, 8, {{7, 6}}), {{16, 1, u""}, {20, 3, u"Identité"}, {42, 1, u""}})},
        // Escapes: every separator and "%" itself; a "%" without four hex digits stands for itself.
        ParseCase{u"1;2;C;3;4|5|6|@42,1,a%003Bb%007Cc%002Cd%003Ee%0025f%000A",
                  Element(Full(1, 2, u"C", {}, 3, 4, {{5, 6}}), {{42, 1, u"a;b|c,d>e%f\n"}})},
        ParseCase{u"1;2;C;3;4|5|6|@42,1,100%>42,2,%4x%00e9",
                  Element(Full(1, 2, u"C", {}, 3, 4, {{5, 6}}), {{42, 1, u"100%"}, {42, 2, u"%4xé"}})},
        // A class holding "|@" stays a class: the element part comes after the last ";".
        ParseCase{u"1;2;A|@B;3;4|5|6", Full(1, 2, u"A|@B", {}, 3, 4, {{0, 5}})},
        // A step short of a field names nothing.
        ParseCase{u"1;2;C;3;4|5|6|@42,1", std::nullopt}, ParseCase{u"1;2;C;3;4|5|6|@", std::nullopt},
        ParseCase{u"1;2;C;3;4|5|6|@42,1,a>", std::nullopt}, ParseCase{u"1;2;C;3;4|5|6|@42,1,a,b", std::nullopt}));

TEST(FormatFieldLocator, WritesAnElementAfterItsWindow) {
    LocatorParts parts;
    parts.width = 640;
    parts.height = 440;
    parts.className = u"VorbelDrawnForm";
    parts.x = 320;
    parts.y = 40;
    parts.screen = {400, 120};
    parts.element = {{16, 1, u"Fiche"}, {42, 3, u"Nom; prénom|1,2>%"}};
    EXPECT_EQ(FormatFieldLocator(parts),
              u"640;440;VorbelDrawnForm;320;40|400|120|@16,1,Fiche>42,3,Nom%003B prénom%007C1%002C2%003E%0025");
    const auto parsed = ParseFieldLocator(FormatFieldLocator(parts));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->element, parts.element);

    parts.element = {{42, 1, std::u16string(200, u'x')}};
    const auto cut = ParseFieldLocator(FormatFieldLocator(parts));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->element[0].name, std::u16string(kMaxAccessibleNameLength, u'x')) << "long names are cut";
}

TEST(SameClassName, IgnoresAsciiLetterCaseOnly) {
    EXPECT_TRUE(SameClassName(u"FENETRE_VISIODENT32", u"fenetre_visiodent32"));
    EXPECT_TRUE(SameClassName(u"WinDevObject", u"WINDEVOBJECT"));
    EXPECT_TRUE(SameClassName(u"", u""));
    EXPECT_FALSE(SameClassName(u"WinDevObject", u"WinDevObject2"));
    EXPECT_FALSE(SameClassName(u"Button", u"Butt0n"));
    EXPECT_FALSE(SameClassName(u"@", u"`")) << "only letters fold";
}

}  // namespace
}  // namespace vorbel
