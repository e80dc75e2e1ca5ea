// The floor of a later instance: find the button and post it the hand-off, nothing else. Linked
// as Vorbel.exe is, so that the two differ only by what Vorbel does.
#include <windows.h>

#include "app/launch_button.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (HWND button = FindWindowW(nullptr, L"Vorbel")) PostMessageW(button, vorbel::WM_VORBEL_HANDOFF, 0, 0);
    return 0;
}
