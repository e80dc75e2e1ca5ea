// Where the launch button may stand when one or more monitors are attached, and its sizes at a
// monitor's scale. Rectangles are screen pixels; the primary monitor comes first. Platform-free.
#pragma once

#include <optional>
#include <span>

#include "app/button_geometry.h"

namespace vorbel {

struct SizeLimits {
    ButtonSize smallest, largest;
};

struct MonitorArea {
    ButtonRect bounds;  // the whole monitor
    ButtonRect work;    // the monitor without the task bar and docked bars
    SizeLimits limits;  // the button's window-size limits at this monitor's scale
};

// 96 dpi is 100 %: 64 pixels at 96 dpi are 128 at 192 dpi. Rounds to the nearest pixel.
int ScaleForDpi(int pixelsAt96, int dpi);

// The monitor a rectangle is on: the one it overlaps most, else the nearest; -1 when there is none.
int MonitorOf(const ButtonRect& r, std::span<const MonitorArea> monitors);

bool LiesWithin(const ButtonRect& r, const ButtonRect& area);

// Shifted whole into the area, keeping its size; one larger than the area keeps its left and
// top inside, so that its caption can still be grabbed.
ButtonRect ShiftInto(ButtonRect r, const ButtonRect& area);

// While dragged: the proposed rectangle kept whole inside the work area of the monitor it is on.
// Crossing to another monitor happens once the rectangle overlaps that one more.
ButtonRect KeepOnItsMonitor(const ButtonRect& proposed, std::span<const MonitorArea> monitors);

// At start: the stored rectangle brought into the size limits of the monitor that holds its
// top-left corner. Empty when no monitor holds that corner or the rectangle does not then lie
// whole on it: the caller centres the button on the primary monitor.
std::optional<ButtonRect> PlaceStoredRect(const ButtonRect& stored, std::span<const MonitorArea> monitors);

// After the monitors changed: where the button goes when it no longer lies whole on a present
// monitor (inside the work area of the one it overlaps most, or the nearest). Empty when it may stay.
std::optional<ButtonRect> BringBackOnScreen(const ButtonRect& current, std::span<const MonitorArea> monitors);

}  // namespace vorbel
