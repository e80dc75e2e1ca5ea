// Remembering a control of another program's window as a locator text, finding it again and
// reading what it shows.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vorbel {

// The locator of any window on the screen. Empty when there is no such window, or when the text
// could not be stored and read back whole as a setting (too long, or characters the store
// cannot carry): an empty locator is a field that is not configured.
std::u16string BuildFieldLocator(HWND window);

// The control the locator names now, or nullptr. Structurally first (top window by class, path,
// scaled centre), then by its screen point; only by the screen point in point-only mode.
HWND FindLocatedControl(std::u16string_view locator);

// The window under a screen point, descending through visible children; among siblings that
// contain the point, the last visible one in sibling order. nullptr over no window, over the
// desktop, or over a window's frame or caption.
HWND ControlAtScreenPoint(POINT screen);

// Check boxes and radio buttons read "1" or "0", a combo box its selected item, anything else
// its window text; at most 1023 characters. Empty when there is no window or it does not answer
// in time.
std::u16string ReadControlValue(HWND window);

// Process-wide; off at start. Set at every link from setting G, switched off by Setup.
void SetPointOnlyMode(bool on);
bool IsPointOnlyMode();

}  // namespace vorbel
