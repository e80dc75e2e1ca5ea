#include "handoff/program_start.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr DWORD kIdleStepMs = 20;

// Serves the messages sent to this thread's windows, and nothing else: posted input and paint
// stay queued for the dialog's own loop.
void ServeSentMessages() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

void WaitUntilIdle(HANDLE process, DWORD boundMs) {
    const ULONGLONG until = GetTickCount64() + boundMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD step = now >= until ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(kIdleStepMs, until - now));
        // Idle, ended, or not a program with windows: nothing more to wait for.
        if (WaitForInputIdle(process, step) != WAIT_TIMEOUT || step == 0) return;
        ServeSentMessages();
    }
}

}  // namespace

unsigned long StartImagingProgram(std::u16string_view commandLine, unsigned long idleWaitMs) {
    std::wstring cmd = ToWide(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        const DWORD error = GetLastError();
        return error == ERROR_SUCCESS ? ERROR_INVALID_FUNCTION : error;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitUntilIdle(process.get(), idleWaitMs);
    return ERROR_SUCCESS;
}

}  // namespace vorbel
