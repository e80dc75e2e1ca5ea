#include "capture/program_start.h"

#include <windows.h>

#include <string>

#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {

bool StartImagingProgram(std::u16string_view commandLine, unsigned long idleWaitMs) {
    std::wstring cmd = ToWide(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitForInputIdle(process.get(), idleWaitMs);
    return true;
}

}  // namespace vorbel
