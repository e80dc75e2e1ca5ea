// The footprint's link: bench_link_once configure | link [confirmed] | clear. "configure" sets the
// profile up before the button starts, "link" runs one link against the button already running
// and returns once it is back at rest ("confirmed": through the confirmation dialog, its OK
// pressed), "clear" removes the profile again.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "bench/link_setup.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc > 1 ? argv[1] : L"";
    const std::wstring dir = bench::BinDir();
    if (what == L"configure") {
        bench::ConfigureLink(dir);
        return 0;
    }
    if (what == L"clear") {
        bench::ClearProfile(bench::ConfigureLink(dir));
        return 0;
    }
    if (what != L"link") bench::Fail("usage: bench_link_once configure|link|clear");
    // The stand-in is started by the button, which has the record's place from the bench's
    // environment, not from this program's.
    wchar_t given[MAX_PATH] = {};
    GetEnvironmentVariableW(L"VORBEL_STANDIN_RECORD", given, MAX_PATH);
    const std::wstring configured = bench::ConfigureLink(dir), record = *given ? given : configured;
    const bool confirmed = argc > 2 && std::wstring(argv[2]) == L"confirmed";
    if (confirmed) bench::AskForConfirmation();
    DeleteFileW(record.c_str());
    HWND button = nullptr;
    for (int i = 0; i < 200 && !(button = FindWindowW(L"VorbelLaunchButton", nullptr)); ++i) Sleep(50);
    if (!button) bench::Fail("no launch button is running");
    HANDLE later = bench::Start(L"\"" + dir + L"Vorbel.exe\" " + bench::kLinkArguments);
    if (!later) bench::Fail("later instance");
    if (confirmed) bench::ConfirmWhenShown();
    if (!bench::WaitForRecord(record)) bench::Fail("the imaging stand-in never started");
    WaitForSingleObject(later, 10000);
    CloseHandle(later);
    bench::EndImagingStandIn();
    bench::WaitForButtonBack(button);
    return 0;
}
