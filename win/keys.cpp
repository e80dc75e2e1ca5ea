#include "win/keys.h"

#include <windows.h>

namespace vorbel {

bool IsShiftOrCtrlHeld() {
    // The first answers also report presses since the last call; drop them and ask again.
    GetAsyncKeyState(VK_SHIFT);
    GetAsyncKeyState(VK_CONTROL);
    SHORT held = GetAsyncKeyState(VK_SHIFT);
    if (held == 0) held = GetAsyncKeyState(VK_CONTROL);
    return held != 0;
}

}  // namespace vorbel
