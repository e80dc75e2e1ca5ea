// Is the imaging program open? Its main window, as each program publishes it.
#pragma once

#include <windows.h>

namespace vorbel {

struct ImagingWindowLookup {
    HWND window = nullptr;
    LONG keyError = ERROR_SUCCESS;  // CliniView's registry key could not be opened
};

// Target 1: the handle CliniView stores under HKLM, used as stored. Others: a window of class
// "WVXMAIN".
ImagingWindowLookup FindOpenImagingProgram(int target);

}  // namespace vorbel
