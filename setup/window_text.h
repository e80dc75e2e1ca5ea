// Reading other programs' windows without hanging with them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace vorbel {

// How long Setup waits for a window that does not answer; it then shows an empty text.
inline constexpr UINT kForeignWindowTimeoutMs = 2000;

// The window's text (WM_GETTEXT) with room for `room` units, terminator included; empty when
// the window does not answer in time.
std::u16string ReadWindowTextBounded(HWND window, size_t room);

}  // namespace vorbel
