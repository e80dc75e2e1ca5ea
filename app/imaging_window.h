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
// have been reused by any other program. Others: a window of class "WVXMAIN".
ImagingWindowLookup FindOpenImagingProgram(int target, uint32_t settingsKey);

}  // namespace vorbel
