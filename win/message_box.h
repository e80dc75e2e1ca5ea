// Vorbel's message boxes: one way to warn, one caption.
#pragma once

#include <windows.h>

#include <string>

namespace vorbel {

// Every box is titled with the product's name, except the boxes of the Setup dialog, which carry
// its title: the user is working there.
inline constexpr char16_t kProductName[] = u"Vorbel";

// A warning with OK, owned by `owner`; returns once the user has closed it.
void ShowWarning(HWND owner, const std::u16string& text, const std::u16string& caption = kProductName);
// The same with the information icon, for what is shown without anything being wrong.
void ShowInformation(HWND owner, const std::u16string& text, const std::u16string& caption = kProductName);

}  // namespace vorbel
