// Timing, process and window helpers shared by the measuring programs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// "median (middle half low-high)": the spread shows how far one figure can be trusted.
inline std::string Spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    char text[64];
    const size_t n = v.size();
    std::snprintf(text, sizeof(text), "%.2f (middle half %.2f-%.2f)", Median(v), n ? v[n / 4] : 0,
                  n ? v[(3 * n - 1) / 4] : 0);
    return text;
}

// The folder of this program, with its trailing backslash: the other programs sit beside it.
inline std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.rfind(L'\\') + 1);
}

// Starts a program; the process handle, or null.
inline HANDLE Start(const std::wstring& commandLine) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

struct TopWindowOf {
    DWORD pid;
    HWND found;
};

inline BOOL CALLBACK MatchTopWindow(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TopWindowOf*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
    s->found = w;
    return FALSE;
}

// The first visible top-level window of a process, waiting up to timeoutMs.
inline HWND WaitForTopWindow(HANDLE process, DWORD timeoutMs) {
    TopWindowOf search = {GetProcessId(process), nullptr};
    const DWORD start = GetTickCount();
    while (!search.found && GetTickCount() - start < timeoutMs) {
        EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(20);
    }
    return search.found;
}

inline void Fail(const char* what) {
    std::printf("FAILED: %s\n", what);
    std::fflush(stdout);
    ExitProcess(1);
}

}  // namespace bench
