#include "setup/setup_launcher.h"

namespace vorbel {

// Setup comes with its own dialog; until then the user is told where things stand.
void RunSetupDialog(HWND parent) {
    MessageBoxW(parent, L"Le paramétrage n’est pas encore disponible dans cette version.", L"Paramétrage",
                MB_ICONINFORMATION | MB_OK);
}

}  // namespace vorbel
