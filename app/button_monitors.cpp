#include "app/button_monitors.h"

#include "win/dpi.h"

namespace vorbel {

ButtonSize ButtonWindowSize(HWND button, int clientAt96, UINT dpi) {
    const int side = ScaleForDpi(clientAt96, static_cast<int>(dpi));
    const RECT r = WindowRectForClient(side, side, static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE)),
                                       static_cast<DWORD>(GetWindowLongW(button, GWL_EXSTYLE)), dpi);
    return {r.right - r.left, r.bottom - r.top};
}

namespace {

struct Walk {
    HWND button;
    std::vector<MonitorArea> found;
};

BOOL CALLBACK AddMonitor(HMONITOR m, HDC, RECT*, LPARAM lp) {
    auto& w = *reinterpret_cast<Walk*>(lp);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (!GetMonitorInfoW(m, &mi)) return TRUE;
    const UINT dpi = DpiOfMonitor(m);
    const MonitorArea area{
        FromRect(mi.rcMonitor),
        FromRect(mi.rcWork),
        {ButtonWindowSize(w.button, kSmallestClient, dpi), ButtonWindowSize(w.button, kLargestClient, dpi)}};
    if (mi.dwFlags & MONITORINFOF_PRIMARY) w.found.insert(w.found.begin(), area);
    else w.found.push_back(area);
    return TRUE;
}

}  // namespace

std::vector<MonitorArea> PresentMonitors(HWND button) {
    Walk walk{button, {}};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

}  // namespace vorbel
