// Is the imaging program open? Its main window, as each program publishes it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vorbel {

struct ImagingWindowLookup {
    HWND window = nullptr;
    LONG keyError = ERROR_SUCCESS;  // CliniView's registry key could not be opened
};

// Target 1: the handle CliniView stored under HKLM, only while it names a window of a process
// running the configured CliniView program (setting P, else its default); a stale handle may
// have been reused by any other program. Target 0 (VixWin): a window of class "WVXMAIN". Target
// 5 (web export): none, it starts no program. Every other: a shown, unowned top-level window of
// a process started from the configured program (setting P, else its default).
ImagingWindowLookup FindOpenImagingProgram(int target, uint32_t settingsKey);

// CliniView's stored window handle: its machine key in this process's registry view and, in a
// 64-bit process, in the 32-bit view where a 32-bit CliniView writes it.
ImagingWindowLookup ReadCliniViewWindowHandle();

// A window handle stored as 32 bits widens by sign extension, as Windows itself does.
inline HWND WindowFromStoredHandle(DWORD stored) { return static_cast<HWND>(LongToHandle(static_cast<LONG>(stored))); }

}  // namespace vorbel
