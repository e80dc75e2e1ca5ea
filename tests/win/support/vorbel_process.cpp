#include "tests/win/support/vorbel_process.h"

#include "tests/win/support/win_test_support.h"

namespace vorbel::test {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    const DWORD bound = Scaled(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > bound) return false;
        Sleep(20);
    }
}

HWND FindVisibleWindow(const wchar_t* title, const wchar_t* cls) {
    HWND w = FindWindowW(cls, title);
    return w && IsWindowVisible(w) ? w : nullptr;
}

RegistryProfile VorbelProfile() { return RegistryProfile(u"Vorbel", u"Vorbel"); }

void ClearVorbelProfile() { DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO\\Vorbel"); }

VorbelProcess::VorbelProcess(std::wstring exePath)
    : exePath_(exePath.empty() ? TestBinDir() + L"Vorbel.exe" : std::move(exePath)) {}

VorbelProcess::~VorbelProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        if (!Quit()) TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool VorbelProcess::Start(const std::wstring& arguments, bool waitForButton) {
    std::wstring cmd = L"\"" + exePath_ + L"\"";
    if (!arguments.empty()) cmd += L" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    process_.reset(pi.hProcess);
    CloseHandle(pi.hThread);
    if (!waitForButton) return true;
    return WaitUntil([&] { return (button_ = FindWindowW(nullptr, L"Vorbel")) != nullptr; }, 20000);
}

bool VorbelProcess::WaitForExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_.get(), Scaled(timeoutMs)) == WAIT_OBJECT_0;
}

bool VorbelProcess::Quit() {
    if (!button_) return false;
    PostMessageW(button_, WM_COMMAND, 67, 0);
    return WaitForExit(10000);
}

DWORD VorbelProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

int RunLaterInstance(const std::wstring& arguments) {
    std::wstring cmd = L"\"" + TestBinDir() + L"Vorbel.exe\"";
    if (!arguments.empty()) cmd += L" " + arguments;
    return RunProcess(cmd, 20000);
}

bool HandledEverythingPosted(HWND button) {
    if (!PostMessageW(button, WM_APP + 1, 0, WM_RBUTTONUP)) return false;
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = FindVisibleWindow(nullptr, L"#32768")) != nullptr; }, 15000)) return false;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return WaitUntil([] { return FindVisibleWindow(nullptr, L"#32768") == nullptr; }, 5000);
}

}  // namespace vorbel::test
