// The real launch button on the screens practices have: two monitors side by side, a monitor
// gone since the last run, a display scale above 100 %. tests/rig/monitors.sh runs each suite on
// the screen it needs, in this order; on the plain test screen only ButtonAtScale applies.
#include <gtest/gtest.h>

#include <vector>

#include "app/monitor_placement.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "tests/win/support/mouse_input.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/win_test_support.h"

namespace vorbel {
namespace {

using test::VorbelProcess;
using test::WaitUntil;

// The button's sizes in the screen's own pixels: a program unaware of the scale would be told
// sizes of 100 % by Windows.
const bool kDpiAware = SetProcessDPIAware() != FALSE;

struct Monitor {
    RECT bounds, work;
};

BOOL CALLBACK AddMonitor(HMONITOR m, HDC, RECT*, LPARAM lp) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(m, &mi);
    auto& list = *reinterpret_cast<std::vector<Monitor>*>(lp);
    const Monitor found{mi.rcMonitor, mi.rcWork};
    if (mi.dwFlags & MONITORINFOF_PRIMARY) list.insert(list.begin(), found);
    else list.push_back(found);
    return TRUE;
}

// Primary first.
std::vector<Monitor> Monitors() {
    std::vector<Monitor> list;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

RECT WindowRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

bool Within(const RECT& r, const RECT& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

std::string Text(const RECT& r) { return ToUtf8(FormatButtonRect({r.left, r.top, r.right, r.bottom})); }

// Drags the button by its caption with the real mouse, so that the system's move loop runs and
// asks the button where it may go, and waits until it stands still.
RECT DragButton(HWND button, POINT to) {
    const RECT r = WindowRect(button);
    POINT client = {0, 0};
    ClientToScreen(button, &client);
    const POINT grip = {(r.left + r.right) / 2, (r.top + client.y) / 2};
    test::MouseMove(grip);
    test::MouseDown(grip);
    test::MouseGlide(grip, {(grip.x + to.x) / 2, (grip.y + to.y) / 2});
    test::MouseGlide({(grip.x + to.x) / 2, (grip.y + to.y) / 2}, to);
    test::MouseUp(to);
    RECT last = WindowRect(button);
    WaitUntil(
        [&] {
            Sleep(100);
            const RECT now = WindowRect(button);
            const bool still = EqualRect(&now, &last);
            last = now;
            return still;
        },
        3000);
    return last;
}

void ExpectCentredOn(const RECT& r, const RECT& area) {
    EXPECT_NEAR((r.left + r.right) / 2, (area.left + area.right) / 2, 1) << Text(r);
    EXPECT_NEAR((r.top + r.bottom) / 2, (area.top + area.bottom) / 2, 1) << Text(r);
}

uint32_t Key() { return GetMachineKey(); }
std::u16string StoredRect() {
    RegistryProfile profile = test::VorbelProfile();
    return ReadSetting(profile, Setting::WindowRect, Key());
}

void StoreRect(const std::u16string& text) {
    RegistryProfile profile = test::VorbelProfile();
    WriteSetting(profile, Setting::WindowRect, Key(), text);
}

TEST(TwoMonitors, DraggedAcrossItStaysWholeOnTheSecondAndStartsThereAgain) {
    const std::vector<Monitor> monitors = Monitors();
    ASSERT_EQ(monitors.size(), 2u) << "needs the screen of tests/rig/monitors.sh";
    const RECT& second = monitors[1].work;
    test::ClearVorbelProfile();
    RECT there;
    {
        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start());
        ExpectCentredOn(WindowRect(vorbel.Button()), monitors[0].work);

        const POINT middle = {(second.left + second.right) / 2, (second.top + second.bottom) / 2};
        there = DragButton(vorbel.Button(), middle);
        EXPECT_TRUE(Within(there, second)) << "crossed onto the second monitor: " << Text(there);

        // Pulled past its bottom-right corner, below the shorter monitor: it stops at both edges.
        const RECT corner = DragButton(vorbel.Button(), {second.right + 60, monitors[0].work.bottom - 20});
        EXPECT_EQ(corner.right, second.right) << Text(corner);
        EXPECT_EQ(corner.bottom, second.bottom) << Text(corner);

        there = DragButton(vorbel.Button(), {second.left + 150, second.top + 120});
        ASSERT_TRUE(Within(there, second)) << Text(there);
        ASSERT_TRUE(vorbel.Quit());
    }
    EXPECT_EQ(StoredRect(), FormatButtonRect({there.left, there.top, there.right, there.bottom}));

    VorbelProcess again;
    ASSERT_TRUE(again.Start());
    const RECT restarted = WindowRect(again.Button());
    EXPECT_TRUE(EqualRect(&restarted, &there)) << "where it was closed: " << Text(restarted);
    // The profile stays for SecondMonitorGone, run next on a screen without this monitor.
}

TEST(SecondMonitorGone, AButtonLeftThereStartsCentredOnThePrimary) {
    const std::vector<Monitor> monitors = Monitors();
    ASSERT_EQ(monitors.size(), 1u) << "needs the screen of tests/rig/monitors.sh, second monitor removed";
    const ButtonRect left = ParseButtonRect(StoredRect());
    ASSERT_GE(left.left, monitors[0].bounds.right) << "TwoMonitors left the button on the second monitor";
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    const RECT r = WindowRect(vorbel.Button());
    ExpectCentredOn(r, monitors[0].work);
    EXPECT_TRUE(Within(r, monitors[0].work)) << Text(r);
    test::ClearVorbelProfile();
}

SIZE ClientSize(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

int Dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// 64, 32 and 96 pixels at 100 % become 96, 48 and 144 at 150 %, 128, 64 and 192 at 200 %.
TEST(ButtonAtScale, DefaultSizeAndLimitsFollowTheScale) {
    const int dpi = Dpi();
    test::ClearVorbelProfile();
    struct Case {
        std::u16string stored;
        int client;
    } const cases[] = {
        {u"", ScaleForDpi(64, dpi)},
        {u"10;10;20;20", ScaleForDpi(32, dpi)},
        {u"10;10;1000;1000", ScaleForDpi(96, dpi)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored) + " at " + std::to_string(dpi) + " dpi");
        if (!c.stored.empty()) StoreRect(c.stored);
        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start());
        const SIZE client = ClientSize(vorbel.Button());
        EXPECT_EQ(client.cx, c.client);
        EXPECT_EQ(client.cy, c.client);
        ASSERT_TRUE(vorbel.Quit());
    }
    test::ClearVorbelProfile();
}

}  // namespace
}  // namespace vorbel
