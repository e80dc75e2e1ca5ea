// Vorbel's message boxes: one way to show them, the caption each kind of box carries.
#pragma once

#include <windows.h>

#include <string>

namespace vorbel {

// Boxes of our own are titled with the product's name; Setup's own boxes carry its title, the
// user is working there. Practices' guides name a few boxes by the titles they have always had:
// exit mode's "Error", the web export's "Internet" and "WARNING", and the file-error box, titled
// with the program's file name.
inline constexpr char16_t kProductName[] = u"Vorbel";
inline constexpr char16_t kErrorCaption[] = u"Error";

// The one call behind every box: owned by `owner`, returns once the user has closed it.
int ShowMessage(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type);
// A warning with OK.
void ShowWarning(HWND owner, const std::u16string& text, const std::u16string& caption = kProductName);
// The same with the information icon, for what is shown without anything being wrong.
void ShowInformation(HWND owner, const std::u16string& text, const std::u16string& caption = kProductName);

}  // namespace vorbel
