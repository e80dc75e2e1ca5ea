#include "win/dpi.h"

#include "win/system_dll.h"

namespace vorbel {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT DpiOfWindow(HWND w) {
    static const auto fn = SystemDllFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    const UINT dpi = fn && w ? fn(w) : 0;
    return dpi ? dpi : SystemDpi();
}

UINT DpiOfMonitor(HMONITOR m) {
    static const auto fn = SystemDllFunction<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the scale the user chose
    if (fn && m && SUCCEEDED(fn(m, kEffectiveDpi, &x, &y)) && y) return y;
    return SystemDpi();
}

RECT WindowRectForClient(int cx, int cy, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto fn = SystemDllFunction<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi");
    RECT r = {0, 0, cx, cy};
    if (!fn || !fn(&r, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return r;
}

}  // namespace vorbel
