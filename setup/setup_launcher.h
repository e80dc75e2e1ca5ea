// Opens the Setup dialog over the launch button and returns when it is closed.
#pragma once

#include <windows.h>

namespace vorbel {

void RunSetupDialog(HWND parent);

}  // namespace vorbel
