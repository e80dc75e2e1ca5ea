// The monitors the launch button may stand on, as the platform reports them now.
#pragma once

#include <windows.h>

#include <vector>

#include "app/monitor_placement.h"

namespace vorbel {

// The button's client sizes at 96 dpi; each monitor scales them with its own dpi.
inline constexpr int kSmallestClient = 32, kLargestClient = 96, kDefaultClient = 64;

inline ButtonRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT ToRect(const ButtonRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The window size of the button for a client side given at 96 dpi, at the given dpi.
ButtonSize ButtonWindowSize(HWND button, int clientAt96, UINT dpi);

// Every present monitor, the primary first, with the button's size limits at its scale.
std::vector<MonitorArea> PresentMonitors(HWND button);

}  // namespace vorbel
