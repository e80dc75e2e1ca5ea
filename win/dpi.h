// The scale of a window or monitor. The per-monitor calls exist from Windows 8.1 and 10 only, so
// they are looked up at run time; older systems get the system dpi, which is theirs everywhere.
#pragma once

#include <windows.h>

namespace vorbel {

UINT SystemDpi();
UINT DpiOfWindow(HWND w);
UINT DpiOfMonitor(HMONITOR m);
// The window rectangle around a client area of cx x cy at the given dpi (frame sizes grow with it).
RECT WindowRectForClient(int cx, int cy, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace vorbel
