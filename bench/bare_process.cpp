// The smallest Win32 process: the baseline of a process start under the same Wine server.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
