// The window under a screen point as the field picker designates it: descending through visible
// children, the last visible sibling containing the point winning.
#pragma once

#include <windows.h>

namespace vorbel {

// Null when no window is there, or when the point lies on a window's frame or caption.
HWND WindowAtScreenPoint(POINT screen);

}  // namespace vorbel
