// Stands in for an imaging program in the tests: a top-level window of class "WVXMAIN", like
// VixWin's, that records how it was started and then idles until WM_CLOSE.
//
// Environment, inherited from the test that caused the start:
//   VORBEL_STANDIN_RECORD    file that receives, in UTF-16LE, the lines pid=, show=, flags=,
//                            module= and last cmd= (the exact GetCommandLineW text, to the end)
//   VORBEL_STANDIN_DELAY_MS  wait this long before the window exists and input is awaited
//   VORBEL_STANDIN_HANG      when set, never wait for input: a hung program
#include <windows.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buf[32768];
    const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

// Written whole under a temporary name, then moved into place: a reader never sees half of it.
void Record(const std::wstring& path) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring text = L"pid=" + std::to_wstring(GetCurrentProcessId()) + L"\r\nshow=" +
                              std::to_wstring(startup.wShowWindow) + L"\r\nflags=" + std::to_wstring(startup.dwFlags) +
                              L"\r\nmodule=" + module + L"\r\ncmd=" + GetCommandLineW();
    const std::wstring temp = path + L".part";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const std::wstring record = Env(L"VORBEL_STANDIN_RECORD");
    if (!record.empty()) Record(record);
    if (!Env(L"VORBEL_STANDIN_HANG").empty()) {
        for (;;) Sleep(INFINITE);
    }
    const std::wstring delay = Env(L"VORBEL_STANDIN_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(_wtoi(delay.c_str())));

    WNDCLASSW wc = {};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"WVXMAIN";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Imagerie (test)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
