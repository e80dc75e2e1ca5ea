#include "app/vorbel_app.h"

#include <windows.h>

#include "app/handed_request.h"
#include "app/request_lock.h"
#include "app/vorbel_dlg.h"
#include "handoff/policy_templates.h"
#include "settings/policy_registry.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "setup/startup_entry.h"
#include "win/scoped.h"

namespace vorbel {
namespace {

// Whoever holds it is the button, for this session. A practice program's double click starts
// two instances a few milliseconds apart, before either has a window to find.
constexpr wchar_t kButtonMutex[] = L"Local\\Vorbel.Button";
// How long a later instance waits for the button's window while another instance starts it.
constexpr DWORD kWaitForButtonMs = 10000;
constexpr DWORD kPollMs = 10;

}  // namespace

bool CVorbelApp::InitInstance() {
    // The usual case first, without the mutex: a button is there to take the request.
    if (HWND running = FindWindowW(kButtonClass, kButtonTitle)) {
        HandOver(running);
        return false;
    }
    UniqueHandle button(CreateMutexW(nullptr, FALSE, kButtonMutex));
    const ULONGLONG deadline = GetTickCount64() + kWaitForButtonMs;
    for (;;) {
        if (HWND running = FindWindowW(kButtonClass, kButtonTitle)) {
            HandOver(running);
            return false;
        }
        // Abandoned: the button's process died; this one takes its place.
        const DWORD taken = button ? WaitForSingleObject(button.get(), 0) : WAIT_OBJECT_0;
        if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) break;
        if (GetTickCount64() >= deadline) {
            exitCode_ = kNotDelivered;
            return false;
        }
        Sleep(kPollMs);
    }
    ranTheButton_ = true;
    SetPolicyTemplateCheck(CheckPolicyTemplate);
    ApplyStartupPolicy();
    {
        CVorbelDlg dialog;
        dialog.pendingCommandLine = commandLine_;
        dialog.DoModal(nullptr);
    }
    if (button) ReleaseMutex(button.get());
    return false;
}

void CVorbelApp::HandOver(HWND running) {
    {
        RequestLock lock;
        RegistryProfile profile;
        LeaveHandedRequest(profile, commandLine_);
    }
    if (PostMessageW(running, WM_VORBEL_HANDOFF, 0, 0)) return;
    // Not delivered (the button closed meanwhile, or refuses our messages): not left either, so
    // that no later message hands it off stale.
    RequestLock lock;
    RegistryProfile profile;
    WithdrawHandedRequest(profile, commandLine_);
    exitCode_ = kNotDelivered;
}

}  // namespace vorbel
