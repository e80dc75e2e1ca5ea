#include <windows.h>

#include "app/vorbel_app.h"
#include "win/wide.h"

// The C runtime hands over the command line without the program's path and the blanks after it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    vorbel::CVorbelApp app(vorbel::U(commandLine));
    app.InitInstance();
    return app.ExitCode();
}
