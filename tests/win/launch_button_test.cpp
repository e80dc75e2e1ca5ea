// The launch button as the user meets it: the real Vorbel.exe, driven from outside.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <atomic>
#include <optional>
#include <thread>

#include "app/button_geometry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "tests/win/support/beep_watch.h"
#include "tests/win/support/dialog_search.h"
#include "tests/win/support/foreign_window.h"
#include "tests/win/support/mouse_input.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/vorbel_fixture.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::FindVisibleWindow;
using test::VorbelProcess;
using test::WaitUntil;

constexpr wchar_t kConfirmationTitle[] = L"Informations extraites";

RECT WindowRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

SIZE ClientSize(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

// A window of the imaging program's class (VixWin's by default), owned by a thread of the test;
// counts WM_CLOSE and stays open, so a test can count several requests.
class ImagingStandIn : public test::ForeignWindow {
public:
    explicit ImagingStandIn(const wchar_t* windowClass = L"WVXMAIN") : ForeignWindow({windowClass, L"Imagerie"}) {}
    int closes() const { return count(); }
};

class LaunchButtonTest : public test::VorbelProgramTest {};

TEST_F(LaunchButtonTest, OpensCentredAt64AndComesBackWhereItWasClosed) {
    RECT first;
    {
        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start());
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()); }, 5000));
        const SIZE client = ClientSize(vorbel.Button());
        EXPECT_EQ(client.cx, 64);
        EXPECT_EQ(client.cy, 64);
        first = WindowRect(vorbel.Button());
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR((first.left + first.right) / 2, (work.left + work.right) / 2, 1);
        EXPECT_NEAR((first.top + first.bottom) / 2, (work.top + work.bottom) / 2, 1);
        ASSERT_TRUE(vorbel.Quit()) << "Quitter ends the program";
    }
    EXPECT_EQ(Stored(Setting::WindowRect), FormatButtonRect({first.left, first.top, first.right, first.bottom}));

    VorbelProcess again;
    ASSERT_TRUE(again.Start());
    const RECT second = WindowRect(again.Button());
    EXPECT_EQ(second.left, first.left);
    EXPECT_EQ(second.top, first.top);
    EXPECT_EQ(second.right, first.right);
    EXPECT_EQ(second.bottom, first.bottom);
}

TEST_F(LaunchButtonTest, StoredRectangleIsClampedOrCentred) {
    struct Case {
        std::u16string stored;
        bool centred;
        POINT topLeft;
    };
    const Case cases[] = {
        {u"10;10;20;20", false, {10, 10}},
        {u"100;100", false, {100, 100}},
        {u"-5;10;60;70", true, {}},
        {u"1250;10;1350;100", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored));
        Store(Setting::WindowRect, c.stored);
        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start());
        const RECT r = WindowRect(vorbel.Button());
        const SIZE client = ClientSize(vorbel.Button());
        if (c.centred) {
            RECT work;
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
            EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
        } else {
            EXPECT_EQ(r.left, c.topLeft.x);
            EXPECT_EQ(r.top, c.topLeft.y);
            EXPECT_EQ(client.cx, 32) << "widened to the smallest size";
            EXPECT_EQ(client.cy, 32);
        }
        ASSERT_TRUE(vorbel.Quit());
    }
}

TEST_F(LaunchButtonTest, LaterInstanceHandsItsCommandLineOver) {
    Store(Setting::CommandLineConvention, u"109");  // "Dossier Nom Prénom"
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    EXPECT_EQ(test::RunLaterInstance(L"1234 DUPONT JEAN"), 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000));
    EXPECT_FALSE(IsWindowVisible(vorbel.Button())) << "the button hides during the link";
    wchar_t text[64];
    GetDlgItemTextW(dialog, 1003, text, 64);
    EXPECT_STREQ(text, L"1234");
    GetDlgItemTextW(dialog, 1004, text, 64);
    EXPECT_STREQ(text, L"DUPONT");
    GetDlgItemTextW(dialog, 1006, text, 64);
    EXPECT_STREQ(text, L"JEAN");
    EXPECT_EQ(HandedCommandLine(), u"") << "the running instance clears what it took";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 10000))
        << "the button comes back after the link";
}

// Whether a is above b among the top-level windows.
bool Above(HWND a, HWND b) {
    for (HWND w = GetWindow(a, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == b) return true;
    }
    return false;
}

// A start from the Start menu while the button runs asks for no link: it brings the button
// forward and takes nothing, not even a request left in "CmdLine" without its message.
TEST_F(LaunchButtonTest, LaterInstanceWithoutArgumentsOnlyWakesTheButton) {
    Store(Setting::CommandLineConvention, u"109");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    test::VorbelProfile().WriteString(u"CmdLine", u"32 SECOND BRUNO");
    test::ForeignWindow other({L"AutreProgramme", L"Autre", WS_EX_TOPMOST, WM_APP, false, true});
    ASSERT_TRUE(Above(other.window(), vorbel.Button()));

    EXPECT_EQ(test::RunLaterInstance(L""), 0);
    EXPECT_TRUE(WaitUntil([&] { return Above(vorbel.Button(), other.window()); }, 5000)) << "the button comes forward";
    ASSERT_TRUE(test::HandledEverythingPosted(vorbel.Button()));
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr);
    EXPECT_TRUE(IsWindowVisible(vorbel.Button()));
    EXPECT_EQ(HandedCommandLine(), u"32 SECOND BRUNO");
}

// What waits in "CmdLine" when a button starts was left for another (one that was killed, or
// ended in an older version): never handed off by this one, with or without its own link.
TEST_F(LaunchButtonTest, ANewButtonNeverTakesARequestLeftBeforeItStarted) {
    Store(Setting::CommandLineConvention, u"109");
    for (const std::wstring arguments : {L"77 MARTIN ALICE", L""}) {
        SCOPED_TRACE(ToUtf8(U(arguments.c_str())));
        test::VorbelProfile().WriteString(u"CmdLine", u"32 SECOND BRUNO");
        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start(arguments));
        if (!arguments.empty()) {
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000));
            wchar_t text[64];
            GetDlgItemTextW(dialog, 1004, text, 64);
            EXPECT_STREQ(text, L"MARTIN");
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 10000));
        }
        EXPECT_EQ(HandedCommandLine(), u"") << "dropped as the button starts";
        EXPECT_EQ(test::RunLaterInstance(L""), 0);
        ASSERT_TRUE(test::HandledEverythingPosted(vorbel.Button()));
        EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "never the earlier request";
        ASSERT_TRUE(vorbel.Quit());
    }
}

TEST_F(LaunchButtonTest, ExitModeClosesTheOpenImagingProgramInsteadOfCapturing) {
    Store(Setting::ExitMode, u"1");
    Store(Setting::ImagingTarget, u"0");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    {
        ImagingStandIn imaging;
        PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
        EXPECT_TRUE(WaitUntil([&] { return imaging.closes() == 1; }, 5000));
        ASSERT_TRUE(test::HandledEverythingPosted(vorbel.Button()));
        EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "no capture";
    }
    // Nothing open: the click captures as usual.
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

BOOL CALLBACK CountConfirmation(HWND w, LPARAM count) {
    wchar_t title[64];
    if (IsWindowVisible(w) && GetWindowTextW(w, title, 64) && lstrcmpW(title, kConfirmationTitle) == 0) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int VisibleConfirmations() {
    int count = 0;
    EnumWindows(CountConfirmation, reinterpret_cast<LPARAM>(&count));
    return count;
}

// A double click in the practice program: the second remote click comes while the first link
// runs. It is refused at once (with the error beep) instead of opening a second confirmation.
TEST_F(LaunchButtonTest, RemoteClickDuringALinkIsIgnored) {
    test::BeepWatch beeps;
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000));
    // Sent, so that its return proves the button handled it; a nested link would not return.
    DWORD_PTR answer = 1;
    EXPECT_NE(SendMessageTimeoutW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP, SMTO_NORMAL, 5000, &answer), 0)
        << "the second click opened a link of its own";
    EXPECT_EQ(answer, 0u);
    EXPECT_TRUE(beeps.WaitForBeep(5000)) << "the error beep";
    EXPECT_EQ(VisibleConfirmations(), 1);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 10000));
    EXPECT_EQ(VisibleConfirmations(), 0);
    EXPECT_TRUE(vorbel.Quit());
}

TEST_F(LaunchButtonTest, RefusingTargetOnlyBeeps) {
    Store(Setting::ImagingTarget, u"-1");
    test::BeepWatch beeps;
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
    EXPECT_TRUE(beeps.WaitForBeep(10000)) << "the error beep";
    ASSERT_TRUE(test::HandledEverythingPosted(vorbel.Button()));
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "and nothing else";
    EXPECT_TRUE(IsWindowVisible(vorbel.Button()));
    EXPECT_FALSE(beeps.WaitForBeep(0)) << "one beep";
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

// The client area as it is on the screen, as 0x00RRGGBB pixels, row by row. Also written to a
// BMP beside the test binary for a person to look at.
std::vector<uint32_t> CaptureClient(HWND w, const std::wstring& bmpName) {
    RECT r;
    GetClientRect(w, &r);
    POINT origin = {0, 0};
    ClientToScreen(w, &origin);
    const int cx = r.right, cy = r.bottom;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, cx, cy, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + cx * cy);
    // Keep a picture for people: a bottom-up 32-bit BMP.
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + cx * cy * 4;
    BITMAPINFOHEADER ih = bi.bmiHeader;
    ih.biHeight = cy;
    HANDLE f =
        CreateFileW((test::TestBinDir() + bmpName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD n;
        WriteFile(f, &fh, sizeof(fh), &n, nullptr);
        WriteFile(f, &ih, sizeof(ih), &n, nullptr);
        for (int y = cy - 1; y >= 0; --y) WriteFile(f, &pixels[y * cx], cx * 4, &n, nullptr);
        CloseHandle(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    for (auto& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Pixels of the exit sign's red, roughly: strong red, little green and blue.
int RedPixels(const std::vector<uint32_t>& pixels) {
    int n = 0;
    for (uint32_t p : pixels) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (r > 180 && g < 120 && b < 100) ++n;
    }
    return n;
}

int BluePixels(const std::vector<uint32_t>& pixels) {
    int n = 0;
    for (uint32_t p : pixels) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (b > 90 && r < 80 && b > g) ++n;
    }
    return n;
}

// The button sits still (nothing repaints it from outside) while the imaging program opens and
// closes: the exit sign follows within a moment.
TEST_F(LaunchButtonTest, ExitSignFollowsTheImagingProgramWithoutARepaint) {
    Store(Setting::ExitMode, u"1");
    Store(Setting::ImagingTarget, u"0");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 5000));
    Sleep(300);
    EXPECT_EQ(RedPixels(CaptureClient(vorbel.Button(), L"button-still.bmp")), 0);
    {
        ImagingStandIn imaging;
        EXPECT_TRUE(
            WaitUntil([&] { return RedPixels(CaptureClient(vorbel.Button(), L"button-opened.bmp")) > 0; }, 5000))
            << "the exit sign once the imaging program is open";
    }
    EXPECT_TRUE(WaitUntil([&] { return RedPixels(CaptureClient(vorbel.Button(), L"button-closed.bmp")) == 0; }, 5000))
        << "the plain icon once it has closed";
}

TEST_F(LaunchButtonTest, PaintsItsIconAndTheExitSignWhileTheImagingProgramIsOpen) {
    Store(Setting::ExitMode, u"1");
    Store(Setting::ImagingTarget, u"0");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 5000));
    Sleep(300);
    const auto plain = CaptureClient(vorbel.Button(), L"button-normal.bmp");
    EXPECT_GT(BluePixels(plain), static_cast<int>(plain.size() / 4)) << "the blue badge of the icon";
    EXPECT_EQ(RedPixels(plain), 0);

    ImagingStandIn imaging;
    InvalidateRect(vorbel.Button(), nullptr, TRUE);
    Sleep(300);
    const auto exit = CaptureClient(vorbel.Button(), L"button-exit.bmp");
    EXPECT_GT(RedPixels(exit), static_cast<int>(exit.size() / 40)) << "icon 129's exit arrow";
    // The rounded corners are transparent: the white background shows there, untouched.
    for (const auto* pixels : {&plain, &exit}) {
        EXPECT_EQ(pixels->front(), 0xFFFFFFu);
        EXPECT_EQ(pixels->back(), 0xFFFFFFu);
    }
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

TEST_F(LaunchButtonTest, RemoteContextMenuQuitterEndsTheProgram) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindVisibleWindow(nullptr, L"#32768")) != nullptr; }, 5000));
    // Up from no selection lands on the last item; Enter chooses it.
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(vorbel.WaitForExit(10000)) << "Quitter ends the program";
    EXPECT_FALSE(Stored(Setting::WindowRect).empty()) << "and stores the rectangle";
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

// The monitor it stood on was unplugged: the system announces the new layout and the button,
// now off every monitor, comes back whole onto the nearest one's work area.
TEST_F(LaunchButtonTest, DisplayChangeBringsAButtonOffEveryMonitorBack) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    const RECT before = WindowRect(vorbel.Button());
    const int w = before.right - before.left, h = before.bottom - before.top;
    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    SetWindowPos(vorbel.Button(), nullptr, right + 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(WindowRect(vorbel.Button()).left, right + 200);
    SendMessageW(vorbel.Button(), WM_DISPLAYCHANGE, 32,
                 MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    const RECT after = WindowRect(vorbel.Button());
    HMONITOR nearest = MonitorFromRect(&after, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(nearest, &mi);
    EXPECT_EQ(after.right, mi.rcWork.right) << "at the right edge it went out by";
    EXPECT_EQ(after.top, 300) << "at the height it had";
    EXPECT_EQ(after.right - after.left, w);
    EXPECT_EQ(after.bottom - after.top, h);

    // Still on a monitor: a display change leaves it where it is.
    SetWindowPos(vorbel.Button(), nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(vorbel.Button(), WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(WindowRect(vorbel.Button()).left, 100);
    EXPECT_EQ(WindowRect(vorbel.Button()).top, 120);
}

// CliniView's key under HKEY_LOCAL_MACHINE, where it publishes its main window's handle; gone
// before and after each use.
class CliniViewKey {
public:
    CliniViewKey() { Remove(); }
    ~CliniViewKey() { Remove(); }

    void PublishHandle(DWORD handle) const {
        test::WriteRawValue(HKEY_LOCAL_MACHINE, kPath, L"ApplicationWindowHandle", REG_DWORD, &handle, sizeof(handle));
    }
    void RemoveHandle() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueW(key, L"ApplicationWindowHandle");
        RegCloseKey(key);
    }
    // The key stays, but no one may read it: only its security can still be changed. In both
    // registry views, since a 64-bit Vorbel also looks where a 32-bit CliniView writes.
    bool Lock() const {
        PublishHandle(0);
        bool locked = true;
        for (const REGSAM view : kViews) {
            HKEY key = nullptr;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr) ==
                ERROR_SUCCESS) {
                RegCloseKey(key);
            }
            locked = SetAccess(L"D:P(A;;0x000E0000;;;WD)", view) && locked;
        }
        return locked;
    }

private:
    static constexpr wchar_t kPath[] = L"SOFTWARE\\Instrumentarium Dental\\CliniView";
    static constexpr REGSAM kViews[] = {0, KEY_WOW64_32KEY};

    static bool SetAccess(const wchar_t* sddl, REGSAM view) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
        HKEY key = nullptr;
        LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, WRITE_DAC | view, &key);
        if (error == ERROR_SUCCESS) {
            error = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
            RegCloseKey(key);
        }
        LocalFree(sd);
        return error == ERROR_SUCCESS;
    }
    static void Remove() {
        for (const REGSAM view : kViews) {
            SetAccess(L"D:(A;;KA;;;WD)", view);
            HKEY software = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
                RegDeleteTreeW(software, L"Instrumentarium Dental");
                RegCloseKey(software);
            }
        }
    }
};

DWORD HandleValue(HWND w) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(w)); }

TEST_F(LaunchButtonTest, ExitModeWithCliniViewClosesTheWindowWhoseHandleItPublishes) {
    Store(Setting::ExitMode, u"1");
    Store(Setting::ImagingTarget, u"1");
    CliniViewKey published;
    // A class of its own: only the published handle leads to it. Its process, this test, is the
    // configured CliniView program, as the button checks before closing.
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    Store(Setting::ProgramLocation, U(self));
    ImagingStandIn cliniView(L"CliniViewStandIn");
    ImagingStandIn vixWin;  // never closed for CliniView
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    const struct Case {
        const char* what;
        std::optional<DWORD> handle;  // none: no value
        bool closes;
    } cases[] = {
        {"the handle of its open window", HandleValue(cliniView.window()), true},
        {"handle 0: not open", 0, false},
        {"no value: not open", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.handle) {
            published.PublishHandle(*c.handle);
        } else {
            published.RemoveHandle();
        }
        const int before = cliniView.closes();
        PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
        if (c.closes) {
            EXPECT_TRUE(WaitUntil([&] { return cliniView.closes() == before + 1; }, 5000));
            ASSERT_TRUE(test::HandledEverythingPosted(vorbel.Button()));
            EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "no capture";
        } else {
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000))
                << "a capture as usual";
            EXPECT_EQ(cliniView.closes(), before);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 10000));
        }
        EXPECT_EQ(vixWin.closes(), 0);
    }
}

TEST_F(LaunchButtonTest, ExitModeWithAnUnreadableCliniViewKeyReportsItThenCaptures) {
    Store(Setting::ExitMode, u"1");
    Store(Setting::ImagingTarget, u"1");
    CliniViewKey published;
    ASSERT_TRUE(published.Lock());
    HKEY probe = nullptr;
    const LONG error =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Instrumentarium Dental\\CliniView", 0, KEY_READ, &probe);
    if (probe) RegCloseKey(probe);
    ASSERT_NE(error, ERROR_SUCCESS) << "the locked key cannot be read";
    wchar_t* expected = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&expected), 0, nullptr);
    const std::wstring errorText = expected ? expected : L"?";
    LocalFree(expected);

    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindVisibleWindow(L"Error", L"#32770")) != nullptr; }, 10000));
    EXPECT_EQ(GetWindow(box, GW_OWNER), vorbel.Button());
    wchar_t text[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    EXPECT_EQ(std::wstring(text), errorText) << "the system's text for the error";
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "the box comes first";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000))
        << "then a capture as usual";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

TEST_F(LaunchButtonTest, RightButtonReleasedAfterAPressOnTheButtonOpensSetup) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    const HWND button = vorbel.Button();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(button) != FALSE; }, 5000));
    POINT on = {ClientSize(button).cx / 2, ClientSize(button).cy / 2};
    ClientToScreen(button, &on);
    const POINT elsewhere = {on.x + 250, on.y + 250};  // the bare desktop
    const auto setupShown = [&] {
        return test::FindDialog(GetWindowThreadProcessId(button, nullptr), L"Paramétrage", button);
    };
    const auto captured = [&] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(GetWindowThreadProcessId(button, nullptr), &info) && info.hwndCapture == button;
    };
    const auto closeSetup = [&](HWND setup) {
        EXPECT_FALSE(IsWindowVisible(button)) << "the button hides while Setup is open";
        PostMessageW(setup, WM_COMMAND, IDCANCEL, 0);
        return WaitUntil([&] { return IsWindowVisible(button) != FALSE; }, 10000);
    };

    // Pressed elsewhere and released on the button: no press there took the capture.
    test::MouseMove(elsewhere);
    test::RightDown(elsewhere);
    test::MouseGlide(elsewhere, on);
    test::RightUp(on);
    // Pressed on the button: it takes the capture. Input is handled in order, so the release
    // before has been handled by then.
    test::RightDown(on);
    ASSERT_TRUE(WaitUntil(captured, 5000)) << "a press on the button captures the mouse";
    EXPECT_EQ(setupShown(), nullptr) << "a release without a press on the button does nothing";

    // Released away from the button: the capture brings the release to it all the same.
    test::MouseGlide(on, elsewhere);
    test::RightUp(elsewhere);
    HWND setup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (setup = setupShown()) != nullptr; }, 10000));
    EXPECT_FALSE(captured()) << "the release ends the capture";
    ASSERT_TRUE(closeSetup(setup));

    // Pressed and released on the button, away from the press before: two presses close in
    // time and place would make a double click, which the button does not take.
    const POINT again = {on.x - 2 * GetSystemMetrics(SM_CXDOUBLECLK), on.y - 2 * GetSystemMetrics(SM_CYDOUBLECLK)};
    test::MouseMove(again);
    test::RightDown(again);
    test::RightUp(again);
    ASSERT_TRUE(WaitUntil([&] { return (setup = setupShown()) != nullptr; }, 10000));
    ASSERT_TRUE(closeSetup(setup));
}

}  // namespace
}  // namespace vorbel
