// Reading other programs' windows without hanging with them, and telling the system's controls
// from windows that draw their fields themselves.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace vorbel {

// The window's text (WM_GETTEXT) with room for `room` units, terminator included; empty when
// the window does not answer in time (see SendToForeignWindow).
std::u16string ReadWindowTextBounded(HWND window, size_t room);

// The system's controls (by class name prefix, any case): such a window is the field itself,
// designated and read as a window rather than through accessibility.
bool IsClassicControlClass(const wchar_t* className);
bool IsClassicControl(HWND window);

}  // namespace vorbel
