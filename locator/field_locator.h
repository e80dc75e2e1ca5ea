// Remembering a field of another program's window as a locator text, finding it again and
// reading what it shows: a control (a child window), or an element that a window draws.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "locator/accessible_element.h"
#include "locator/locator_text.h"

namespace vorbel {

// The locator of any window on the screen. Empty when there is no such window, or when the text
// could not be stored and read back whole as a setting (too long, or characters the store
// cannot carry): an empty locator is a field that is not configured.
std::u16string BuildFieldLocator(HWND window);

// The locator of an element a window draws: the path to its window, its centre, its path in the
// window's accessible tree. Empty when it could not be stored and read back whole, as above.
std::u16string BuildElementLocator(const AccessibleElement& element);

enum class LocatorLookup {
    StructureFirst,  // top window by class, path, scaled centre; then the screen point
    PointOnly,       // the screen point alone (setting G, "Pointage des données")
};

// The control the locator names now, or nullptr. For an element, the window that draws it.
HWND FindLocatedControl(std::u16string_view locator, LocatorLookup lookup);
HWND FindLocatedControl(const ParsedLocator& locator, LocatorLookup lookup);

// What the field that the locator names shows now: a control's value (ReadControlValue), or an
// element's value or else its name. Empty when not configured, not found or not answered in time.
std::u16string ReadLocatedField(std::u16string_view locator, LocatorLookup lookup);

// What each field shows, as ReadLocatedField reads it, from locators parsed once (nullopt: not
// configured). Controls in turn; the elements one window draws on one worker, which asks for its
// tree's root and the levels they share once.
std::vector<std::u16string> ReadLocatedFields(const std::vector<std::optional<ParsedLocator>>& locators,
                                              LocatorLookup lookup);

// The window under a screen point, descending through visible children; among siblings that
// contain the point, the last visible one in sibling order. nullptr over no window, over the
// desktop, or over a window's frame or caption.
HWND ControlAtScreenPoint(POINT screen);

// Check boxes and radio buttons read "1" or "0", a combo box its selected item, anything else
// its window text; at most 1023 characters. Empty when there is no window or it does not answer
// in time.
std::u16string ReadControlValue(HWND window);

// What designating `window` names: the window itself, or, given the point designated on the
// screen, the element there when the window is no classic control and publishes one. The locator
// is empty without a window, or when it could not be stored as above.
struct DesignatedField {
    std::u16string locator;
    bool element = false;
};
DesignatedField DesignateField(HWND window, std::optional<POINT> screen);

}  // namespace vorbel
