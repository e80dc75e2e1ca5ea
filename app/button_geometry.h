// The launch button's rectangle rules: the stored text, the size limits, staying on the primary
// screen, and the icon size of the exit-mode drawing. Platform-free.
#pragma once

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

// False when any edge lies off the primary screen of the given size.
bool LiesOnScreen(const ButtonRect& r, int screenWidth, int screenHeight);

// A dragged rectangle shifted back onto the primary screen, keeping its size.
ButtonRect KeepOnScreen(ButtonRect r, int screenWidth, int screenHeight);

// Icon size loaded in exit mode for a client area of w x h: 16, 32, 48 or 64.
int ExitModeIconSize(int w, int h);

}  // namespace vorbel
