#include "app/vorbel_app.h"

#include <windows.h>
#include <commctrl.h>

namespace vorbel {

bool CVorbelApp::InitInstance() {
    InitCommonControls();
    return false;
}

}  // namespace vorbel
