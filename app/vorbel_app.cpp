#include "app/vorbel_app.h"

#include <windows.h>

#include "app/vorbel_dlg.h"
#include "handoff/policy_templates.h"
#include "settings/policy_registry.h"
#include "settings/settings.h"
#include "setup/startup_entry.h"

namespace vorbel {

bool CVorbelApp::InitInstance() {
    if (HWND running = FindWindowW(kButtonClass, kButtonTitle)) {
        WriteHandedCommandLine(commandLine_);
        PostMessageW(running, WM_VORBEL_HANDOFF, 0, 0);
        return false;
    }
    SetPolicyTemplateCheck(CheckPolicyTemplate);
    ApplyStartupPolicy();
    CVorbelDlg button;
    button.pendingCommandLine = commandLine_;
    button.DoModal(nullptr);
    return false;
}

}  // namespace vorbel
