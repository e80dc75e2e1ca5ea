#include "win/keys.h"

#include <windows.h>

namespace vorbel {

bool IsShiftOrCtrlHeld() {
    // The first answers also report presses since the last call; drop them and ask again.
    GetAsyncKeyState(VK_SHIFT);
    GetAsyncKeyState(VK_CONTROL);
    return GetAsyncKeyState(VK_SHIFT) != 0 || GetAsyncKeyState(VK_CONTROL) != 0;
}

}  // namespace vorbel
