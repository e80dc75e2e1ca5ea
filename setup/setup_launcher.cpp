#include "setup/setup_launcher.h"

#include "setup/setup_dialog.h"

namespace vorbel {

void RunSetupDialog(HWND parent) {
    CSetupDialog dialog;
    dialog.DoModal(parent);
}

}  // namespace vorbel
