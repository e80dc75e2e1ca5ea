#include "setup/setup_launcher.h"

#include "setup/dialog_setup.h"

namespace vorbel {

void RunSetupDialog(HWND parent) {
    CDialogSetup dialog;
    dialog.DoModal(parent);
}

}  // namespace vorbel
