// Shift held down by real input for as long as the object lives, for the tests of what Vorbel
// does when Shift is held.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace vorbel::test {

// The key-down is sent again every few milliseconds: under Wine the system drops an injected
// key state now and then when the focus moves.
class ShiftHeld {
public:
    ShiftHeld()
        : thread_([this] {
              while (!stop_) {
                  Send(0);
                  Sleep(5);
              }
              Send(KEYEVENTF_KEYUP);
          }) {}
    ~ShiftHeld() { Release(); }
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

    void Release() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    static void Send(DWORD flags) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_SHIFT;
        in.ki.dwFlags = flags;
        SendInput(1, &in, sizeof(in));
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vorbel::test
