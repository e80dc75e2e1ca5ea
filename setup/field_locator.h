// Field locators: the text by which a control of another program's window is remembered, found
// again in a later run of that program, and read.
#pragma once

#include <windows.h>

#include <string>

namespace vorbel {

// The locator of any window on the screen, normally another program's control.
std::u16string BuildFieldLocator(HWND window);
// The control a locator designates now, or null.
HWND FindLocatedControl(const std::u16string& locator);
// What the control shows: "1"/"0" for a check box, the selected item of a combo box, else its
// text. Empty for no window, or for a window that does not answer.
std::u16string ReadControlValue(HWND window);
// Process-wide: when on, FindLocatedControl uses the remembered screen point only.
void SetPointOnlyMode(bool on);

}  // namespace vorbel
