#include "handoff/program_start.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "handoff/handoff_formats.h"
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

std::optional<std::u16string> ExistingFileFullPath(std::u16string_view candidate) {
    const std::wstring name = ToWide(candidate);
    const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::nullopt;
    std::wstring full(size, L'\0');
    const DWORD n = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return std::nullopt;
    full.resize(n);
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return U(full.c_str(), full.size());
}

std::u16string SystemCmdExe() {
    wchar_t folder[MAX_PATH] = L"";
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return U(folder, n < MAX_PATH ? n : 0) + u"\\cmd.exe";
}

}  // namespace

std::optional<ProgramSetting> ResolveProgramSetting(std::u16string_view setting) {
    return SplitProgramSetting(setting, ExistingFileFullPath);
}

std::optional<ProgramStart> ProgramStartFor(const ProgramSetting& program, std::u16string_view tail) {
    if (IsBatchFile(program.path)) {
        std::u16string arguments = program.arguments;
        arguments += tail;
        auto line = BuildBatchCommandLine(program.path, SplitCommandLineArguments(arguments));
        if (!line) return std::nullopt;
        return ProgramStart{SystemCmdExe(), std::move(*line)};
    }
    std::u16string line = QuotedProgramPath(program.written, true);
    line += program.arguments;
    line += tail;
    return ProgramStart{program.path, std::move(line)};
}

unsigned long StartImagingProgram(const ProgramStart& start, unsigned long idleWaitMs) {
    const std::wstring application = ToWide(start.application);
    std::wstring cmd = ToWide(start.commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(application.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        const DWORD error = GetLastError();
        return error == ERROR_SUCCESS ? ERROR_INVALID_FUNCTION : error;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitUntilIdle(process.get(), idleWaitMs);
    return ERROR_SUCCESS;
}

}  // namespace vorbel
