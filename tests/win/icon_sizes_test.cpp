// The program's icons for the button: at every size the button takes, from 100 % to 250 %, the
// image it loads is at least that large, so that it is only ever drawn smaller.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/button_geometry.h"
#include "app/monitor_placement.h"
#include "resources/resource.h"
#include "win/icon_sides.h"

namespace vorbel {
namespace {

// Width of an icon image resource: a BITMAPINFOHEADER, or a PNG (its IHDR, big-endian).
int ImageWidth(int iconId) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(iconId), MAKEINTRESOURCEW(3));  // RT_ICON
    if (!found) return 0;
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(self, found)));
    if (SizeofResource(self, found) < 24) return 0;
    if (bytes[0] == 0x89 && bytes[1] == 'P')
        return (bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19];
    return reinterpret_cast<const BITMAPINFOHEADER*>(bytes)->biWidth;
}

TEST(IconSizes, EveryButtonSizeIsDrawnFromAnImageAtLeastAsLarge) {
    HMODULE self = GetModuleHandleW(nullptr);
    for (int group : {IDI_VORBEL, IDI_VORBEL_EXIT}) {
        HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(group), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
        ASSERT_NE(found, nullptr) << group;
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(self, found)));
        const std::vector<int> sides = IconImageSides(self, group);
        for (int dpi : {96, 120, 144, 192, 240}) {
            // The button's limits and default, and the exit mode's steps, at this scale.
            for (int at96 : {16, 32, 48, 64, 96}) {
                const int px = ScaleForDpi(at96, dpi);
                const int side = SmallestSideAtLeast(sides, px);
                EXPECT_GE(side, px) << "icon " << group << ", " << px << " px at " << dpi << " dpi";
                // The system holds that very image: loading at its side scales nothing.
                const int id = LookupIconIdFromDirectoryEx(directory, TRUE, side, side, LR_DEFAULTCOLOR);
                EXPECT_EQ(ImageWidth(id), side) << "icon " << group << ", " << side << " px";
            }
        }
    }
}

}  // namespace
}  // namespace vorbel
