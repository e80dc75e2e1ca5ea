// The launch button's rectangle rules: the stored text, the size limits and the icon size of the
// exit-mode drawing. Platform-free; the monitors it may stand on are in monitor_placement.h.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vorbel {

struct ButtonRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ButtonRect&) const = default;
};

struct ButtonSize {
    int cx = 0, cy = 0;
};

// "%d;%d;%d;%d" read as swscanf does: fields that are missing or do not parse keep 0, 0, 48, 48,
// and reading stops at the first that fails.
ButtonRect ParseButtonRect(std::u16string_view text);
std::u16string FormatButtonRect(const ButtonRect& r);

// Widened to the smallest size, then narrowed to the largest, keeping left and top.
ButtonRect ClampButtonSize(ButtonRect r, ButtonSize smallest, ButtonSize largest);

// Icon size loaded in exit mode for a client area of w x h: 16, 32, 48 or 64 at 96 dpi, steps
// and sizes scaled with the monitor's dpi, so that a large button never stretches a small image.
int ExitModeIconSize(int w, int h, int dpi = 96);

// The image of an icon to draw a side of px from: the smallest at least that large, so that it is
// only ever drawn smaller; the largest when none is. 0 without images.
int SmallestSideAtLeast(std::span<const int> sides, int px);

}  // namespace vorbel
