// Keeps Wine's desktop alive for a test run: Wine closes it about a second after the last GUI
// process ends, and every later start would then pay for a new one. Ends on WM_CLOSE or when
// the wineserver is ended.
#include <windows.h>

static LRESULT CALLBACK KeepAliveProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = KeepAliveProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"VorbelTestKeepAlive";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
