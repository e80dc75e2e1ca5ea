#include "app/monitor_placement.h"

#include <gtest/gtest.h>

#include <vector>

#include "text/text.h"

namespace vorbel {

void PrintTo(const ButtonRect& r, std::ostream* os);

namespace {

// Window-size limits of a tool window at 100 % and at 200 %.
constexpr SizeLimits k96{{40, 55}, {104, 119}};
constexpr SizeLimits k192{{80, 100}, {208, 228}};

MonitorArea Monitor(ButtonRect bounds, int taskbar = 0, SizeLimits limits = k96) {
    ButtonRect work = bounds;
    work.bottom -= taskbar;
    return {bounds, work, limits};
}

// The layouts practices have: the primary comes first.
const std::vector<MonitorArea> kSingle = {Monitor({0, 0, 1280, 1024})};
const std::vector<MonitorArea> kSideBySide = {Monitor({0, 0, 1280, 1024}, 40), Monitor({1280, 0, 2304, 768})};
const std::vector<MonitorArea> kStacked = {Monitor({0, 0, 1920, 1080}, 40), Monitor({0, 1080, 1920, 2160})};
// A second monitor left of and above the primary: negative coordinates.
const std::vector<MonitorArea> kLeftAbove = {Monitor({0, 0, 1280, 1024}, 40), Monitor({-1600, -300, 0, 900})};
// A high-resolution monitor at 200 % beside a 100 % one.
const std::vector<MonitorArea> kMixedScale = {Monitor({0, 0, 1920, 1080}, 40),
                                              Monitor({1920, 0, 5760, 2160}, 80, k192)};

struct Case {
    const char* what;
    const std::vector<MonitorArea>* layout;
    ButtonRect in;
    ButtonRect out;
};

TEST(MonitorPlacement, DraggingKeepsTheButtonWholeOnTheWorkAreaOfItsMonitor) {
    const Case cases[] = {
        {"inside: untouched", &kSingle, {100, 100, 150, 150}, {100, 100, 150, 150}},
        {"past the top-left corner", &kSingle, {-20, -30, 30, 20}, {0, 0, 50, 50}},
        {"past the bottom-right corner", &kSingle, {1260, 1000, 1310, 1050}, {1230, 974, 1280, 1024}},
        {"onto the task bar", &kSideBySide, {500, 1000, 550, 1050}, {500, 934, 550, 984}},
        {"mostly still on the primary", &kSideBySide, {1250, 100, 1300, 150}, {1230, 100, 1280, 150}},
        {"crossed over to the second", &kSideBySide, {1260, 100, 1310, 150}, {1280, 100, 1330, 150}},
        {"below the shorter second monitor", &kSideBySide, {2000, 750, 2050, 800}, {2000, 718, 2050, 768}},
        {"off both, nearer the second", &kSideBySide, {2400, 300, 2450, 350}, {2254, 300, 2304, 350}},
        {"down onto the lower monitor", &kStacked, {300, 1060, 350, 1110}, {300, 1080, 350, 1130}},
        {"off the bottom of the lower one", &kStacked, {300, 2150, 350, 2200}, {300, 2110, 350, 2160}},
        {"into negative coordinates", &kLeftAbove, {-40, 10, 10, 60}, {-50, 10, 0, 60}},
        {"above the top of the left monitor", &kLeftAbove, {-900, -350, -850, -300}, {-900, -300, -850, -250}},
        {"onto the 200 % monitor", &kMixedScale, {5700, 2100, 5800, 2200}, {5660, 1980, 5760, 2080}},
    };
    for (const Case& c : cases) EXPECT_EQ(KeepOnItsMonitor(c.in, *c.layout), c.out) << c.what;
}

TEST(MonitorPlacement, StoredRectangleIsUsedWhenItLiesWholeOnAPresentMonitor) {
    const Case cases[] = {
        {"on the primary", &kSideBySide, {100, 100, 160, 170}, {100, 100, 160, 170}},
        {"on the second", &kSideBySide, {1400, 100, 1460, 170}, {1400, 100, 1460, 170}},
        {"on the task bar, still on the monitor", &kSideBySide, {100, 960, 160, 1020}, {100, 960, 160, 1020}},
        {"on the lower monitor", &kStacked, {10, 2000, 70, 2070}, {10, 2000, 70, 2070}},
        {"at negative coordinates", &kLeftAbove, {-1500, -200, -1440, -130}, {-1500, -200, -1440, -130}},
        {"too small, widened where it stands", &kSideBySide, {1300, 10, 1310, 20}, {1300, 10, 1340, 65}},
        {"too large, narrowed", &kSingle, {0, 0, 500, 500}, {0, 0, 104, 119}},
        {"the 200 % limits on the high-resolution monitor",
         &kMixedScale,
         {2000, 100, 2050, 150},
         {2000, 100, 2080, 200}},
        {"the 100 % limits on the other", &kMixedScale, {100, 100, 300, 300}, {100, 100, 204, 219}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaceStoredRect(c.in, *c.layout), c.out) << c.what;

    const std::pair<const char*, ButtonRect> centred[] = {
        {"the second monitor is gone", {1400, 100, 1460, 170}}, {"left of the primary", {-5, 10, 60, 70}},
        {"across the right edge", {1250, 10, 1350, 100}},       {"above the primary", {100, -80, 160, -10}},
        {"below the primary", {100, 1024, 160, 1090}},
    };
    for (const auto& [what, stored] : centred) EXPECT_EQ(PlaceStoredRect(stored, kSingle), std::nullopt) << what;
    EXPECT_EQ(PlaceStoredRect({1270, 100, 1330, 170}, kSideBySide), std::nullopt) << "across two monitors";
    EXPECT_EQ(PlaceStoredRect({2250, 700, 2300, 800}, kSideBySide), std::nullopt) << "below the shorter monitor";
    EXPECT_EQ(PlaceStoredRect({100, 100, 160, 170}, {}), std::nullopt) << "no monitor at all";
}

TEST(MonitorPlacement, AButtonLeftOnAMonitorThatWentAwayComesBack) {
    // The second monitor of the side-by-side layout unplugged: only the primary remains.
    const std::vector<MonitorArea> removed = {kSideBySide[0]};
    const Case moved[] = {
        {"from the second monitor", &removed, {1400, 100, 1460, 170}, {1220, 100, 1280, 170}},
        {"from far on the second, low", &removed, {2200, 700, 2260, 760}, {1220, 700, 1280, 760}},
        {"half on the primary", &removed, {1250, 100, 1310, 170}, {1220, 100, 1280, 170}},
        {"from the left monitor", &kSingle, {-1500, -200, -1440, -130}, {0, 0, 60, 70}},
    };
    for (const Case& c : moved) EXPECT_EQ(BringBackOnScreen(c.in, *c.layout), c.out) << c.what;
    EXPECT_EQ(BringBackOnScreen({100, 100, 160, 170}, removed), std::nullopt) << "still on the primary";
    EXPECT_EQ(BringBackOnScreen({1400, 100, 1460, 170}, kSideBySide), std::nullopt) << "nothing removed";
    EXPECT_EQ(BringBackOnScreen({100, 1000, 160, 1020}, removed), std::nullopt) << "on the task bar is on the monitor";
}

TEST(MonitorPlacement, ShiftIntoAnAreaSmallerThanTheButtonKeepsItsCornerInside) {
    EXPECT_EQ(ShiftInto({500, 500, 700, 700}, {0, 0, 100, 100}), (ButtonRect{0, 0, 200, 200}));
    EXPECT_EQ(ShiftInto({2147483600, 0, 2147483647, 40}, {0, 0, 100, 100}), (ButtonRect{53, 0, 100, 40}));
}

TEST(MonitorPlacement, SizesScaleWithTheDpi) {
    const struct {
        int px, dpi, scaled;
    } cases[] = {{64, 96, 64},  {64, 192, 128}, {32, 144, 48},  {96, 144, 144},
                 {64, 120, 80}, {33, 120, 41},  {-10, 144, -15}};
    for (const auto& c : cases) EXPECT_EQ(ScaleForDpi(c.px, c.dpi), c.scaled) << c.px << " at " << c.dpi;
}

}  // namespace
}  // namespace vorbel
