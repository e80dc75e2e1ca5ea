#include "app/button_geometry.h"

#include <gtest/gtest.h>

#include "text/text.h"

namespace vorbel {

void PrintTo(const ButtonRect& r, std::ostream* os) { *os << ToUtf8(FormatButtonRect(r)); }

namespace {

TEST(ButtonGeometry, StoredTextReadsLikeScanf) {
    const std::pair<std::u16string, ButtonRect> cases[] = {
        {u"10;20;110;120", {10, 20, 110, 120}},
        {u"100;100", {100, 100, 48, 48}},
        {u"-5; 7;x;9", {-5, 7, 48, 48}},
        {u"", {0, 0, 48, 48}},
        {u"1;2;3;4;5", {1, 2, 3, 4}},
        {u"1,2,3,4", {1, 0, 48, 48}},
        {u"99999999999;0;0;0", {2147483647, 0, 0, 0}},
    };
    for (const auto& [text, rect] : cases) EXPECT_EQ(ParseButtonRect(text), rect) << ToUtf8(text);
    EXPECT_EQ(FormatButtonRect({-8, 0, 100, 1000}), u"-8;0;100;1000");
}

TEST(ButtonGeometry, SizeIsBroughtIntoTheLimitsKeepingTheCorner) {
    const ButtonSize smallest{40, 50}, largest{104, 114};
    EXPECT_EQ(ClampButtonSize({10, 10, 20, 20}, smallest, largest), (ButtonRect{10, 10, 50, 60}));
    EXPECT_EQ(ClampButtonSize({100, 100, 48, 48}, smallest, largest), (ButtonRect{100, 100, 140, 150}));
    EXPECT_EQ(ClampButtonSize({0, 0, 500, 500}, smallest, largest), (ButtonRect{0, 0, 104, 114}));
    EXPECT_EQ(ClampButtonSize({5, 5, 80, 80}, smallest, largest), (ButtonRect{5, 5, 80, 80}));
    EXPECT_EQ(ClampButtonSize({2147483647, 0, 0, 0}, smallest, largest).right, 2147483647);
}

TEST(ButtonGeometry, ExitModeIconSizeSteps) {
    const std::pair<int, int> cases[] = {{17, 16}, {18, 32}, {39, 32}, {40, 48}, {55, 48}, {56, 64}, {96, 64}};
    for (auto [side, size] : cases) EXPECT_EQ(ExitModeIconSize(side, 96), size) << side;
    EXPECT_EQ(ExitModeIconSize(96, 20), 32) << "the smaller side decides";
    // At 200 % the steps and the sizes double: a 128-pixel button loads a 128-pixel image.
    const std::pair<int, int> at192[] = {{35, 32}, {36, 64}, {111, 96}, {112, 128}, {192, 128}};
    for (auto [side, size] : at192) EXPECT_EQ(ExitModeIconSize(side, side, 192), size) << side << " at 192 dpi";
    EXPECT_EQ(ExitModeIconSize(84, 84, 144), 96) << "150 %";
}

TEST(ButtonGeometry, IconImageIsNeverSmallerThanTheSideItIsDrawnAt) {
    const int sides[] = {16, 32, 48, 64, 96, 128, 192, 256};
    const std::pair<int, int> cases[] = {{16, 16},  {17, 32},   {20, 32},   {64, 64},  {80, 96},
                                         {97, 128}, {144, 192}, {240, 256}, {300, 256}};
    for (auto [px, side] : cases) EXPECT_EQ(SmallestSideAtLeast(sides, px), side) << px;
    const int unordered[] = {96, 16, 256, 48};
    EXPECT_EQ(SmallestSideAtLeast(unordered, 40), 48);
    EXPECT_EQ(SmallestSideAtLeast({}, 40), 0);
}

}  // namespace
}  // namespace vorbel
