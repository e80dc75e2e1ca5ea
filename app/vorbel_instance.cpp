#include "app/vorbel_instance.h"

#include <windows.h>

#include "app/handed_request.h"
#include "app/request_lock.h"
#include "app/launch_button.h"
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
// How long a later instance waits for the button's answer. The button answers from any of its
// waits, at once; only a button that hangs makes it wait this long.
constexpr UINT kAnswerMs = 10000;

// A start without arguments asks for no link: it brings a shown button above the other
// always-on-top windows, without the focus (Enter or Escape on the button would close it), and
// leaves a hidden one (a link or Setup is open) hidden.
void WakeButton(HWND button) {
    if (!IsWindowVisible(button)) return;
    SetWindowPos(button, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

}  // namespace

int CVorbelInstance::Run() {
    // The usual case first, without the mutex: a button is there to take the request.
    if (HWND running = FindWindowW(kButtonClass, kButtonTitle)) {
        HandOver(running);
        return exitCode_;
    }
    UniqueHandle button(CreateMutexW(nullptr, FALSE, kButtonMutex));
    const ULONGLONG deadline = GetTickCount64() + kWaitForButtonMs;
    for (;;) {
        if (HWND running = FindWindowW(kButtonClass, kButtonTitle)) {
            HandOver(running);
            return exitCode_;
        }
        // Abandoned: the button's process died; this one takes its place.
        const DWORD taken = button ? WaitForSingleObject(button.get(), 0) : WAIT_OBJECT_0;
        if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) break;
        if (GetTickCount64() >= deadline) {
            exitCode_ = kNotDelivered;
            return exitCode_;
        }
        Sleep(kPollMs);
    }
    ranTheButton_ = true;
    {
        // What waits was left for a button before this one, which did not hand it off: not ours.
        // Nothing is left for this one before its window can be found.
        RequestLock lock;
        RegistryProfile profile;
        DropWaitingRequest(profile);
    }
    SetPolicyTemplateCheck(CheckPolicyTemplate);
    ApplyStartupPolicy();
    {
        CLaunchButton dialog;
        dialog.pendingCommandLine = commandLine_;
        dialog.DoModal(nullptr);
    }
    if (button) ReleaseMutex(button.get());
    return exitCode_;
}

void CVorbelInstance::HandOver(HWND running) {
    if (commandLine_.empty()) {
        WakeButton(running);
        return;
    }
    {
        RequestLock lock;
        RegistryProfile profile;
        LeaveHandedRequest(profile, commandLine_);
    }
    // Sent rather than posted: a posted message dies unread with a button that closes first.
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(running, WM_VORBEL_HANDOFF, 0, 0, SMTO_NORMAL, kAnswerMs, &answer) &&
        static_cast<LRESULT>(answer) == kRequestReceived) {
        return;
    }
    // Not received (the button is closing or gone, hangs, or refuses our messages): not left
    // either, so that nobody hands it off stale.
    RequestLock lock;
    RegistryProfile profile;
    WithdrawHandedRequest(profile, commandLine_);
    exitCode_ = kNotDelivered;
}

}  // namespace vorbel
