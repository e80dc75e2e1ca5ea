// Shift held down for as long as the object lives, as a real keyboard holds it, for the tests of
// what Vorbel does when Shift is held.
#pragma once

#include <windows.h>

#include <string>

#include "tests/win/support/win_test_support.h"

namespace vorbel::test {

// xdotool presses the key at the X server through XTEST, and Wine takes it in like any key the
// user presses. (Shift injected with SendInput reaches another process's GetAsyncKeyState only
// some of the time.) The key goes to the window with the focus: give it `focus` first.
class ShiftHeld {
public:
    explicit ShiftHeld(HWND focus = nullptr) {
        if (focus) SetForegroundWindow(focus);
        held_ = XdoTool(L"keydown Shift_L");
    }
    ~ShiftHeld() { Release(); }
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

    bool pressed() const { return held_; }
    void Release() {
        if (held_) XdoTool(L"keyup Shift_L");
        held_ = false;
    }

private:
    static bool XdoTool(const std::wstring& arguments) {
        return RunProcess(L"start.exe /wait /unix /usr/bin/xdotool " + arguments, 10000) == 0;
    }
    bool held_ = false;
};

}  // namespace vorbel::test
