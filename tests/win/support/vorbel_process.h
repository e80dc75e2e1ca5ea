// Drives the real Vorbel.exe under Wine: start it, find its windows, end it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "settings/registry_profile.h"
#include "win/scoped.h"

namespace vorbel::test {

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A visible top-level window of this title (and class, when given), or null.
HWND FindVisibleWindow(const wchar_t* title, const wchar_t* cls = nullptr);

// Vorbel.exe's own profile section: HKCU\Software\ZEMO\Vorbel\Vorbel.
RegistryProfile VorbelProfile();
void ClearVorbelProfile();

class VorbelProcess {
public:
    // Vorbel.exe beside the test binary, unless another copy (an installed one) is named.
    explicit VorbelProcess(std::wstring exePath = {});
    ~VorbelProcess();

    // Starts Vorbel.exe with the given arguments. With waitForButton, returns once the launch
    // button is shown and titled.
    bool Start(const std::wstring& arguments = L"", bool waitForButton = true);
    HWND Button() const { return button_; }
    bool WaitForExit(DWORD timeoutMs);
    // "Quitter" from the context menu's command, then waits for the process to end.
    bool Quit();
    DWORD ExitCode() const;

private:
    std::wstring exePath_;
    UniqueHandle process_;
    HWND button_ = nullptr;
};

// Runs Vorbel.exe as a later instance and waits for it to end; its exit code, or -1.
int RunLaterInstance(const std::wstring& arguments);

// Posts a request for the context menu to the button behind whatever was posted to it before,
// waits for the menu and dismisses it. Posted messages are handled in order: when the menu
// shows, the earlier ones have been handled, and a check that they did nothing can be made.
bool HandledEverythingPosted(HWND button);

}  // namespace vorbel::test
