// The demo's hands inside Wine: run.sh --demo calls it once per step. Never installed.
//   vorbel_demo designate PROGRAM DATA   remembers the stand-in practice program's three fields
//                                        as Setup would, and the imaging target VixWin at PROGRAM
//   vorbel_demo convention N             command-line convention N (0 to 4)
//   vorbel_demo wait WINDOW [MS]         waits until WINDOW is visible; prints its screen
//                                        rectangle as WxH+X+Y (exit 1 when it never shows)
//   vorbel_demo gone WINDOW [MS]         waits until WINDOW is no longer visible
//   vorbel_demo command WINDOW ID        posts WM_COMMAND ID, as a click on that control would
//   vorbel_demo post WINDOW MSG LPARAM   posts MSG (decimal) with wParam 0
//   vorbel_demo later N CHART LAST FIRST BIRTH
//                                        starts Vorbel.exe, from this program's folder, with
//                                        the patient written in convention N (1 to 4), as a
//                                        practice program would; prints that command line
// WINDOW is the start of a top-level window's title, or "class:NAME".
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "locator/field_locator.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "tools/practice_standin_ids.h"
#include "win/descendant.h"
#include "win/wide.h"

namespace {

using namespace vorbel;

struct Search {
    const std::wstring& name;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchTop(HWND w, LPARAM context) {
    auto* c = reinterpret_cast<Search*>(context);
    if (c->visibleOnly && !IsWindowVisible(w)) return TRUE;
    wchar_t text[512] = L"";
    const bool byClass = c->name.rfind(L"class:", 0) == 0;
    if (byClass) GetClassNameW(w, text, 512);
    else GetWindowTextW(w, text, 512);
    const std::wstring wanted = byClass ? c->name.substr(6) : c->name;
    // A title may carry a suffix, such as Setup's version.
    if (byClass ? wanted != text : std::wstring(text).rfind(wanted, 0) != 0) return TRUE;
    c->found = w;
    return FALSE;
}

// A top-level window by class, or by the start of its title.
HWND FindTop(const std::wstring& name, bool visibleOnly) {
    Search c = {name, visibleOnly, nullptr};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

int Designate(const std::wstring& program, const std::wstring& data) {
    HWND practice = FindWindowW(L"PmsPatientForm", nullptr);
    if (!practice) {
        fwprintf(stderr, L"vorbel_demo : le programme de gestion de démonstration n'est pas ouvert.\n");
        return 1;
    }
    RegistryProfile profile(kProfileSection, u"Vorbel");
    const uint32_t key = GetMachineKey();
    const struct {
        Setting setting;
        int id;
    } fields[] = {{Setting::ChartNumberLocator, standin::kChartNumber},
                  {Setting::LastNameLocator, standin::kLastName},
                  {Setting::FirstNameLocator, standin::kFirstName}};
    for (const auto& f : fields) {
        const std::u16string locator = BuildFieldLocator(FindDescendantById(practice, f.id));
        if (locator.empty()) {
            fwprintf(stderr, L"vorbel_demo : le champ %d ne peut pas être désigné.\n", f.id);
            return 1;
        }
        WriteSetting(profile, f.setting, key, locator);
    }
    WriteSetting(profile, Setting::CommandLineConvention, key, DecimalText(EncodeConventionIndex(0)));
    WriteSetting(profile, Setting::ImagingTarget, key, u"0");
    WriteSetting(profile, Setting::ProgramLocation, key, U(program.c_str()));
    WriteSetting(profile, Setting::DataLocation, key, U(data.c_str()));
    for (Setting s : {Setting::SkipConfirmation, Setting::ExitMode, Setting::PointOnlyMode, Setting::SwapNames}) {
        WriteSetting(profile, s, key, u"0");
    }
    // Beside the practice program's window, where a practice would keep it.
    WriteSetting(profile, Setting::WindowRect, key, u"700;52;764;116");
    return 0;
}

int Convention(int index) {
    RegistryProfile profile(kProfileSection, u"Vorbel");
    WriteSetting(profile, Setting::CommandLineConvention, GetMachineKey(), DecimalText(EncodeConventionIndex(index)));
    return 0;
}

int Wait(const std::wstring& name, DWORD ms, bool untilGone) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND w = FindTop(name, true);
        if (untilGone && !w) return 0;
        if (!untilGone && w) {
            RECT r;
            GetWindowRect(w, &r);
            wprintf(L"%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
            return 0;
        }
        if (GetTickCount() - start > ms) return 1;
        Sleep(50);
    }
}

int Post(const std::wstring& name, UINT msg, WPARAM wp, LPARAM lp) {
    HWND w = FindTop(name, false);
    if (!w) {
        fwprintf(stderr, L"vorbel_demo : pas de fenêtre « %ls ».\n", name.c_str());
        return 1;
    }
    if (msg == WM_COMMAND) lp = reinterpret_cast<LPARAM>(GetDlgItem(w, static_cast<int>(wp)));
    return PostMessageW(w, msg, wp, lp) ? 0 : 1;
}

// The command lines practice programs pass, one per convention of the Setup list.
std::wstring PracticeCommandLine(int convention, const std::wstring& chart, const std::wstring& last,
                                 const std::wstring& first, const std::wstring& birth) {
    switch (convention) {
        case 1: return chart + L" " + last + L" " + first;
        case 2: return chart + L" \"" + last + L"\" \"" + first + L"\" \"" + birth + L"\"";
        case 3: return L"-I " + chart + L" -N " + last + L"^" + first + L" -P C:\\Imagerie";
        case 4: return L"/p\"" + last + L", " + first + L"::98::" + chart + L"::" + birth + L"::F\"";
        default: return L"";
    }
}

int Later(int convention, const std::wstring& chart, const std::wstring& last, const std::wstring& first,
          const std::wstring& birth) {
    const std::wstring args = PracticeCommandLine(convention, chart, last, first, birth);
    if (args.empty()) return 2;
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"Vorbel.exe";
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fwprintf(stderr, L"vorbel_demo : Vorbel.exe ne démarre pas (%lu).\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    wprintf(L"%ls\n", args.c_str());
    return 0;
}

}  // namespace

int wmain() {
    // Window rectangles in the screen's own pixels, as the screenshots take them, at any scale.
    SetProcessDPIAware();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    auto arg = [&](int i) { return i < argc ? std::wstring(argv[i]) : std::wstring(); };
    auto num = [&](int i, long fallback) { return i < argc ? wcstol(argv[i], nullptr, 10) : fallback; };
    int rc = 2;
    if (verb == L"designate" && argc == 4) rc = Designate(arg(2), arg(3));
    else if (verb == L"convention" && argc == 3) rc = Convention(static_cast<int>(num(2, 0)));
    else if (verb == L"wait" && argc >= 3) rc = Wait(arg(2), static_cast<DWORD>(num(3, 10000)), false);
    else if (verb == L"gone" && argc >= 3) rc = Wait(arg(2), static_cast<DWORD>(num(3, 10000)), true);
    else if (verb == L"command" && argc == 4) rc = Post(arg(2), WM_COMMAND, static_cast<WPARAM>(num(3, 0)), 0);
    else if (verb == L"post" && argc == 5) rc = Post(arg(2), static_cast<UINT>(num(3, 0)), 0, num(4, 0));
    else if (verb == L"later" && argc == 7) rc = Later(static_cast<int>(num(2, 0)), arg(3), arg(4), arg(5), arg(6));
    else fwprintf(stderr, L"vorbel_demo : commande inconnue.\n");
    LocalFree(argv);
    return rc;
}
