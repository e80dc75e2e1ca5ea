#include "tests/win/support/mouse_input.h"

#include <cstdint>

namespace vorbel::test {
namespace {

void SendMouse(DWORD flags, POINT p) {
    const int x0 = GetSystemMetrics(SM_XVIRTUALSCREEN), y0 = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    // Rounded up so that the system's scaling back lands on the very pixel.
    in.mi.dx = static_cast<LONG>((static_cast<int64_t>(p.x - x0) * 65536 + w - 1) / w);
    in.mi.dy = static_cast<LONG>((static_cast<int64_t>(p.y - y0) * 65536 + h - 1) / h);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &in, sizeof(in));
    Sleep(20);
}

}  // namespace

void MouseMove(POINT screen) { SendMouse(0, screen); }
void MouseDown(POINT screen) { SendMouse(MOUSEEVENTF_LEFTDOWN, screen); }
void MouseUp(POINT screen) { SendMouse(MOUSEEVENTF_LEFTUP, screen); }
void RightDown(POINT screen) { SendMouse(MOUSEEVENTF_RIGHTDOWN, screen); }
void RightUp(POINT screen) { SendMouse(MOUSEEVENTF_RIGHTUP, screen); }

void MouseGlide(POINT from, POINT to) {
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i)
        MouseMove({from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
}

}  // namespace vorbel::test
