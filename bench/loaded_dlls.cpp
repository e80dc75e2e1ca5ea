// Figure 5: the DLLs that each stage has loaded, against those of the minimal hand-over program.
// A later instance should need no more than it; the button at rest nothing that only Setup, the
// hand-off's date parsing, the web export or the version lookups use.
#include <windows.h>

#include <cstdio>

#include "app/launch_button.h"
#include "bench/bench_support.h"
#include "bench/link_setup.h"
#include "bench/loaded_modules.h"

namespace {

void PrintStage(const char* stage, const bench::Modules& now, const bench::Modules& before) {
    std::printf("   %-17s + %ls\n", stage, bench::Joined(bench::Minus(now, before)).c_str());
}

}  // namespace

int wmain() {
    const std::wstring dir = bench::BinDir();
    const std::wstring vorbel = L"\"" + dir + L"Vorbel.exe\"";
    const std::wstring record = bench::ConfigureLink(dir);

    HANDLE first = bench::Start(vorbel);
    if (!first) bench::Fail("Vorbel.exe");
    HWND button = bench::WaitForTopWindow(first, 20000);
    if (!button) bench::Fail("the launch button never showed");
    WaitForInputIdle(first, 10000);
    const DWORD pid = GetProcessId(first);
    const bench::Modules atRest = bench::ModulesOf(pid);

    const bench::Modules handover = bench::ModulesUntilExit(L"\"" + dir + L"bench_handover.exe\"");
    DeleteFileW(record.c_str());
    const bench::Modules later = bench::ModulesUntilExit(vorbel + L" " + bench::kLinkArguments);
    if (!bench::WaitForRecord(record)) bench::Fail("the link never reached the imaging stand-in");
    bench::EndImagingStandIn();
    bench::WaitForButtonBack(button);
    WaitForInputIdle(first, 10000);
    const bench::Modules afterLink = bench::ModulesOf(pid);

    bench::AskForConfirmation();
    DeleteFileW(record.c_str());
    HANDLE confirming = bench::Start(vorbel + L" " + bench::kLinkArguments);
    if (!confirming) bench::Fail("later instance");
    CloseHandle(confirming);
    bench::ConfirmWhenShown();
    if (!bench::WaitForRecord(record)) bench::Fail("the confirmed link never reached the imaging stand-in");
    bench::EndImagingStandIn();
    bench::WaitForButtonBack(button);
    WaitForInputIdle(first, 10000);
    const bench::Modules afterConfirmed = bench::ModulesOf(pid);

    PostMessageW(button, WM_COMMAND, vorbel::ID_VORBEL_SETUP, 0);
    const DWORD start = GetTickCount();
    while (IsWindowVisible(button) && GetTickCount() - start < 10000) Sleep(20);
    HWND setup = bench::WaitForTopWindow(first, 20000);
    if (!setup || setup == button) bench::Fail("Setup never showed");
    WaitForInputIdle(first, 10000);
    const bench::Modules inSetup = bench::ModulesOf(pid);
    PostMessageW(setup, WM_COMMAND, IDCANCEL, 0);
    bench::WaitForButtonBack(button);

    PostMessageW(button, WM_COMMAND, vorbel::ID_VORBEL_QUIT, 0);
    if (WaitForSingleObject(first, 10000) != WAIT_OBJECT_0) TerminateProcess(first, 1);
    CloseHandle(first);
    bench::ClearProfile(record);

    std::printf("5. DLLs loaded, beyond the %zu of the minimal hand-over program (%ls):\n", handover.size(),
                bench::Joined(handover).c_str());
    PrintStage("later instance", later, handover);
    PrintStage("button at rest", atRest, handover);
    PrintStage("after a link", afterLink, atRest);
    PrintStage("confirmed link", afterConfirmed, afterLink);
    PrintStage("Setup open", inSetup, afterConfirmed);
    return 0;
}
