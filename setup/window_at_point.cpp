#include "setup/window_at_point.h"

namespace vorbel {

HWND WindowAtScreenPoint(POINT screen) {
    HWND h = WindowFromPoint(screen);
    if (!h) return nullptr;
    POINT p = screen;
    ScreenToClient(h, &p);
    // WindowFromPoint skips disabled children; the descent does not.
    for (bool first = true;; first = false) {
        HWND c = ChildWindowFromPointEx(h, p, CWP_SKIPINVISIBLE);
        if (!c) {
            if (first) return nullptr;  // outside the client area: frame or caption
            break;
        }
        if (c == h) break;
        MapWindowPoints(h, c, &p, 1);
        h = c;
    }
    ClientToScreen(h, &p);
    // A group frame before its controls in sibling order must not hide them. Top-level windows
    // after this one are behind it on the screen: they never win.
    HWND result = h;
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) return result;
    for (HWND s = GetWindow(h, GW_HWNDNEXT); s; s = GetWindow(s, GW_HWNDNEXT)) {
        RECT r;
        if (IsWindowVisible(s) && GetWindowRect(s, &r) && PtInRect(&r, p)) result = s;
    }
    return result;
}

}  // namespace vorbel
