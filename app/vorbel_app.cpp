#include "app/vorbel_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/vorbel_dlg.h"
#include "settings/settings.h"

namespace vorbel {

bool CVorbelApp::InitInstance() {
    InitCommonControls();
    if (HWND running = FindWindowW(kButtonClass, kButtonTitle)) {
        WriteHandedCommandLine(commandLine_);
        PostMessageW(running, WM_VORBEL_HANDOFF, 0, 0);
        return false;
    }
    CVorbelDlg button;
    button.pendingCommandLine = commandLine_;
    button.DoModal(nullptr);
    return false;
}

}  // namespace vorbel
