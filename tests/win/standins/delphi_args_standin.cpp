// An imaging program written in Delphi: ParamStr splits GetCommandLineW with no escaped quote (a
// quote only toggles quoting, a backslash is a plain character). Writes each argument, UTF-16,
// on a line of "<own path>.args".
#include <windows.h>

#include <string>

#include "tests/core/argv_split.h"

int main() {
    const auto args = vorbel::test::SplitDelphiCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()));
    wchar_t path[MAX_PATH + 8] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    lstrcpyW(path + n, L".args");
    std::u16string text;
    for (size_t i = 1; i < args.size(); ++i) text += args[i] + u"\n";
    HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
    CloseHandle(out);
    return 0;
}
