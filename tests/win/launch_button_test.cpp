// The launch button as the user meets it: the real Vorbel.exe, driven from outside.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/button_geometry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings/text.h"
#include "tests/win/vorbel_process.h"
#include "tests/win/win_test_support.h"
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

// A window of the imaging program's class, owned by a thread of the test; counts WM_CLOSE.
class ImagingStandIn {
public:
    ImagingStandIn() {
        thread_ = std::thread([this] { Run(); });
        WaitUntil([this] { return window_.load() != nullptr; }, 5000);
    }
    ~ImagingStandIn() {
        if (HWND w = window_.load()) PostMessageW(w, WM_USER, 0, 0);
        thread_.join();
    }
    int closes() const { return closes_.load(); }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ImagingStandIn*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        if (msg == WM_CLOSE && self) {
            ++self->closes_;
            return 0;  // stays open, so a test can count several requests
        }
        if (msg == WM_USER) {
            DestroyWindow(w);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(w, msg, wp, lp);
    }
    void Run() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"WVXMAIN";
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, L"WVXMAIN", L"Imagerie", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = w;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        UnregisterClassW(L"WVXMAIN", wc.hInstance);
    }
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<int> closes_{0};
};

class LaunchButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ClearVorbelProfile();
        key_ = GetMachineKey();
    }
    void TearDown() override { test::ClearVorbelProfile(); }

    void Store(Setting s, const std::u16string& value) {
        RegistryProfile profile = test::VorbelProfile();
        WriteSetting(profile, s, key_, value);
    }
    std::u16string Stored(Setting s) {
        RegistryProfile profile = test::VorbelProfile();
        return ReadSetting(profile, s, key_);
    }
    std::u16string HandedCommandLine() { return test::VorbelProfile().GetString(u"CmdLine"); }

    uint32_t key_ = 0;
};

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

TEST_F(LaunchButtonTest, LaterInstanceWithoutArgumentsChangesNothing) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    EXPECT_EQ(test::RunLaterInstance(L""), 0);
    EXPECT_FALSE(WaitUntil([] { return FindWindowW(nullptr, kConfirmationTitle) != nullptr; }, 1500));
    EXPECT_TRUE(IsWindowVisible(vorbel.Button()));
    EXPECT_TRUE(test::VorbelProfile().GetString(u"CmdLine").empty());
}

TEST_F(LaunchButtonTest, FirstStartWithArgumentsRunsALinkAndLeavesCmdLineAlone) {
    Store(Setting::CommandLineConvention, u"109");
    test::VorbelProfile().WriteString(u"CmdLine", u"left by someone else");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start(L"77 MARTIN ALICE"));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000));
    wchar_t text[64];
    GetDlgItemTextW(dialog, 1004, text, 64);
    EXPECT_STREQ(text, L"MARTIN");
    EXPECT_EQ(HandedCommandLine(), u"left by someone else");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
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
        EXPECT_FALSE(WaitUntil([] { return FindWindowW(nullptr, kConfirmationTitle) != nullptr; }, 1000));
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
    EXPECT_EQ(VisibleConfirmations(), 1);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 10000));
    EXPECT_EQ(VisibleConfirmations(), 0);
    EXPECT_TRUE(vorbel.Quit());
}

TEST_F(LaunchButtonTest, RefusingTargetOnlyBeeps) {
    Store(Setting::ImagingTarget, u"-1");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
    EXPECT_FALSE(WaitUntil([] { return FindWindowW(nullptr, kConfirmationTitle) != nullptr; }, 1500));
    EXPECT_TRUE(IsWindowVisible(vorbel.Button()));
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
    HANDLE f = CreateFileW((test::TestBinDir() + bmpName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
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
