#include <windows.h>

#include "app/vorbel_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vorbel::CVorbelApp app;
    app.InitInstance();
    return 0;
}
