#include "app/imaging_window.h"

#include <string>
#include <vector>

#include "handoff/handoff_formats.h"
#include "handoff/program_start.h"
#include "settings/settings.h"
#include "text/text.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {
namespace {

constexpr int kCliniView = 1;

// The full, long form of a path, for comparing two spellings of the same file.
std::wstring Canonical(std::wstring path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    std::vector<wchar_t> full(32768);
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    std::vector<wchar_t> longer(32768);
    const DWORD m = GetLongPathNameW(full.data(), longer.data(), static_cast<DWORD>(longer.size()));
    if (m == 0 || m >= longer.size()) return std::wstring(full.data(), n);
    return std::wstring(longer.data(), m);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring x = Canonical(a), y = Canonical(b);
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
}

// The window exists and its process runs the file the program setting names.
bool WindowOfProgram(HWND window, const std::u16string& setting) {
    if (!window || !IsWindow(window)) return false;
    const auto program = ResolveProgramSetting(setting);
    if (!program) return false;
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid) || pid == 0) return false;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    std::vector<wchar_t> image(32768);
    DWORD size = static_cast<DWORD>(image.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &size)) return false;
    return SamePath(std::wstring(image.data(), size), ToWide(program->path));
}

struct ProgramWindowSearch {
    std::wstring program;  // canonical
    DWORD lastPid = 0;     // the last process looked at, and whether it runs the program
    bool lastMatched = false;
    HWND found = nullptr;
};

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ProgramWindowSearch*>(param);
    // A main window: shown and owned by no other; helper windows of the program stay alone.
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid) || pid == 0) return TRUE;
    if (pid != search->lastPid) {
        search->lastPid = pid;
        search->lastMatched = false;
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        std::vector<wchar_t> image(32768);
        DWORD size = static_cast<DWORD>(image.size());
        if (process && QueryFullProcessImageNameW(process.get(), 0, image.data(), &size)) {
            const std::wstring path = Canonical(std::wstring(image.data(), size));
            search->lastMatched =
                CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), search->program.c_str(),
                                     static_cast<int>(search->program.size()), TRUE) == CSTR_EQUAL;
        }
    }
    if (!search->lastMatched) return TRUE;
    search->found = window;
    return FALSE;
}

// A shown top-level window of a process started from the configured program P.
HWND FindWindowOfProgram(int target, uint32_t settingsKey) {
    std::u16string program = Trim(ReadSetting(Setting::ProgramLocation, settingsKey));
    if (program.empty()) program = DefaultProgramPath(target);
    // P may carry its own arguments: the program is the file it names, split as at its start.
    const auto resolved = ResolveProgramSetting(program);
    if (!resolved) return nullptr;
    ProgramWindowSearch search;
    search.program = Canonical(ToWide(resolved->path));
    EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

ImagingWindowLookup ReadCliniViewWindowHandle() {
    ImagingWindowLookup found;
#ifdef _WIN64
    const REGSAM views[] = {0, KEY_WOW64_32KEY};
#else
    const REGSAM views[] = {0};
#endif
    for (const REGSAM view : views) {
        UniqueHKey key;
        const LONG error =
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Instrumentarium Dental\\CliniView", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_READ | view, nullptr, key.put(), nullptr);
        if (error != ERROR_SUCCESS) {
            key.release();
            if (view == 0) found.keyError = error;
            continue;
        }
        found.keyError = ERROR_SUCCESS;
        DWORD handle = 0, size = sizeof(handle), type = 0;
        if (RegQueryValueExW(key.get(), L"ApplicationWindowHandle", nullptr, &type, reinterpret_cast<BYTE*>(&handle),
                             &size) == ERROR_SUCCESS) {
            found.window = WindowFromStoredHandle(handle);
            return found;
        }
    }
    return found;
}

ImagingWindowLookup FindOpenImagingProgram(int target, uint32_t settingsKey) {
    if (target != kCliniView) {
        ImagingWindowLookup found;
        if (target == TargetVixWin) found.window = FindWindowW(L"WVXMAIN", nullptr);
        // The web export starts no program: there is none to close.
        else if (target != TargetWebExport && target != TargetNone)
            found.window = FindWindowOfProgram(target, settingsKey);
        return found;
    }
    ImagingWindowLookup found = ReadCliniViewWindowHandle();
    const HWND window = found.window;
    found.window = nullptr;
    if (!window || !IsWindow(window)) return found;
    const std::u16string program =
        Trim(ReadSettingWithDefault(Setting::ProgramLocation, settingsKey, DefaultProgramPath(kCliniView)));
    if (WindowOfProgram(window, program)) found.window = window;
    return found;
}

}  // namespace vorbel
