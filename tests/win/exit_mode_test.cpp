// Exit mode through the real Vorbel.exe: the button closes the open imaging program, without
// ever freezing on it and without closing a window that is not the imaging program's.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "tests/win/support/foreign_window.h"
#include "tests/win/support/standin.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/vorbel_fixture.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::FindVisibleWindow;
using test::ForeignWindow;
using test::VorbelProcess;
using test::WaitUntil;

constexpr wchar_t kConfirmationTitle[] = L"Informations extraites";
constexpr wchar_t kCliniViewKey[] = L"SOFTWARE\\Instrumentarium Dental\\CliniView";

void Click(HWND button) { PostMessageW(button, WM_APP + 1, 0, WM_LBUTTONUP); }

// The button is back in its message loop: a posted request for its context menu is served,
// and no confirmation is open meanwhile. The menu is dismissed again.
void ExpectIdleWithoutCapture(HWND button) {
    PostMessageW(button, WM_APP + 1, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindVisibleWindow(nullptr, L"#32768")) != nullptr; }, 10000))
        << "the button answers again";
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "no capture in exit mode";
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([] { return FindVisibleWindow(nullptr, L"#32768") == nullptr; }, 5000));
}

std::wstring OwnExe() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

class ExitModeTest : public test::VorbelProgramTest {
protected:
    void SetUp() override {
        VorbelProgramTest::SetUp();
        test::DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Instrumentarium Dental");
        Store(Setting::ExitMode, u"1");
    }
    void TearDown() override {
        VorbelProgramTest::TearDown();
        test::DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Instrumentarium Dental");
    }
    // What CliniView publishes about its main window.
    static void PublishCliniViewWindow(HWND window) {
        const DWORD handle = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(window));
        test::WriteRawValue(HKEY_LOCAL_MACHINE, kCliniViewKey, L"ApplicationWindowHandle", REG_DWORD, &handle,
                            sizeof(handle));
    }
};

TEST_F(ExitModeTest, AHungImagingProgramDoesNotFreezeTheButton) {
    Store(Setting::ImagingTarget, u"0");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    ForeignWindow imaging({L"WVXMAIN", L"Imagerie", 0, WM_CLOSE, true});
    Click(vorbel.Button());
    ASSERT_TRUE(WaitUntil([&] { return imaging.count() == 1; }, 5000)) << "the close request reached it";
    ExpectIdleWithoutCapture(vorbel.Button());
}

// CliniView's stored handle names a window; only a window of the configured CliniView program
// is closed. Any other window counts as CliniView not open: the click captures.
TEST_F(ExitModeTest, CliniViewsStoredHandleClosesOnlyAWindowOfCliniView) {
    const struct {
        const char* what;
        std::optional<std::wstring> program;  // setting P; nothing: CliniView's default
        bool windowAlive;
        bool closed;
    } cases[] = {
        {"handle reused by another program's window", test::StandInExe(), true, false},
        {"default program, another program's window", std::nullopt, true, false},
        {"handle of a window that is gone", OwnExe(), false, false},
        {"window of the configured program", OwnExe(), true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ClearVorbelProfile();
        Store(Setting::ExitMode, u"1");
        Store(Setting::ImagingTarget, u"1");
        if (c.program) Store(Setting::ProgramLocation, U(c.program->c_str()));
        std::optional<ForeignWindow> window;
        window.emplace(ForeignWindow::Options{L"CliniViewStandIn", L"CliniView", 0, WM_CLOSE});
        PublishCliniViewWindow(window->window());
        const HWND published = window->window();
        if (!c.windowAlive) window.reset();
        ASSERT_TRUE(c.windowAlive || !IsWindow(published));

        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start());
        Click(vorbel.Button());
        if (c.closed) {
            EXPECT_TRUE(WaitUntil([&] { return window->count() == 1; }, 5000));
            ExpectIdleWithoutCapture(vorbel.Button());
        } else {
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000))
                << "counted as not open: the click captures";
            if (window) {
                EXPECT_EQ(window->count(), 0) << "a stranger's window is never closed";
            }
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        ASSERT_TRUE(vorbel.Quit());
    }
}

// Beyond VixWin and CliniView, the open imaging program is a shown window of a process started
// from the configured program; a VixWin window beside it is not theirs. The web export starts
// no program, so nothing is ever closed for it.
TEST_F(ExitModeTest, EachTargetClosesOnlyTheProgramItStarts) {
    const struct {
        const char* target;
        std::wstring program;  // setting P
        bool closed;
    } cases[] = {
        {"6", test::StandInExe(), false},  // a VixWin window beside the template target
        {"6", OwnExe(), true},
        {"2", OwnExe(), true},
        {"3", OwnExe(), true},
        {"4", OwnExe(), true},
        {"7", OwnExe(), true},
        {"2", test::StandInExe(), false},
        {"5", OwnExe(), false},
        {"0", test::StandInExe(), true},  // VixWin itself: by its window class
        // P as the program followed by its own arguments, bare or quoted
        {"4", OwnExe() + L" /NOSPLASH", true},
        {"6", L"\"" + OwnExe() + L"\" -x", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("target ") + c.target + (c.closed ? ", its program's window" : ", a stranger"));
        test::ClearVorbelProfile();
        Store(Setting::ExitMode, u"1");
        Store(Setting::ImagingTarget, U(std::wstring(c.target, c.target + std::strlen(c.target)).c_str()));
        Store(Setting::ProgramLocation, U(c.program.c_str()));
        ForeignWindow window({L"WVXMAIN", L"Imagerie", 0, WM_CLOSE, false, true});
        VorbelProcess vorbel;
        ASSERT_TRUE(vorbel.Start());
        Click(vorbel.Button());
        if (c.closed) {
            EXPECT_TRUE(WaitUntil([&] { return window.count() == 1; }, 5000));
            ExpectIdleWithoutCapture(vorbel.Button());
        } else {
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000))
                << "counted as not open: the click captures";
            EXPECT_EQ(window.count(), 0) << "a stranger's window is never closed";
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        ASSERT_TRUE(vorbel.Quit());
    }
}

}  // namespace
}  // namespace vorbel
