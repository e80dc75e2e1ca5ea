// Figure 1: a link from a later instance's command line (auto-confirmed, switch-argument target,
// the stand-in imaging program) until the imaging program runs, against two bare process starts
// in a row under the same Wine server.
#include <windows.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "settings/registry_profile.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

using namespace vorbel;

namespace {

constexpr int kRuns = 7;

bool FileHasData(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
}

// Ends the stand-in imaging program, found by its window class.
void EndImagingStandIn() {
    const DWORD start = GetTickCount();
    HWND w = nullptr;
    while (!(w = FindWindowW(L"WVXMAIN", nullptr)) && GetTickCount() - start < 5000) Sleep(10);
    if (!w) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(p, 0);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }
}

double TwoBareStarts(const std::wstring& bare) {
    const double t0 = bench::NowMs();
    for (int i = 0; i < 2; ++i) {
        HANDLE p = bench::Start(L"\"" + bare + L"\"");
        if (!p) bench::Fail("bare process");
        WaitForSingleObject(p, 10000);
        CloseHandle(p);
    }
    return bench::NowMs() - t0;
}

// The whole link; laterEnded: when the later instance had ended, from the same start.
double OneLink(const std::wstring& vorbel, const std::wstring& record, HWND button, double& laterEnded) {
    DeleteFileW(record.c_str());
    const double t0 = bench::NowMs();
    HANDLE later = bench::Start(L"\"" + vorbel + L"\" 1234 DUPONT JEAN");
    if (!later) bench::Fail("later instance");
    const DWORD start = GetTickCount();
    laterEnded = 0;
    while (!FileHasData(record)) {
        if (GetTickCount() - start > 20000) bench::Fail("the imaging stand-in never started");
        if (!laterEnded && WaitForSingleObject(later, 0) == WAIT_OBJECT_0) laterEnded = bench::NowMs() - t0;
        Sleep(1);
    }
    const double elapsed = bench::NowMs() - t0;
    if (!laterEnded) laterEnded = elapsed;
    WaitForSingleObject(later, 10000);
    CloseHandle(later);
    EndImagingStandIn();
    // The button is back once the link is over: the next one starts from idle.
    const DWORD back = GetTickCount();
    while (!IsWindowVisible(button) && GetTickCount() - back < 10000) Sleep(20);
    return elapsed;
}

}  // namespace

int wmain() {
    const std::wstring dir = bench::BinDir();
    const std::wstring vorbel = dir + L"Vorbel.exe", bare = dir + L"bench_bare_process.exe";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring record = std::wstring(temp) + L"vorbel-bench-link.txt";
    SetEnvironmentVariableW(L"VORBEL_STANDIN_RECORD", record.c_str());

    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZEMO\\Vorbel");
    {
        RegistryProfile profile(u"Vorbel", u"Vorbel");
        const uint32_t key = GetMachineKey();
        WriteSetting(profile, Setting::CommandLineConvention, key, u"109");  // chart, last, first
        WriteSetting(profile, Setting::SkipConfirmation, key, u"1");
        WriteSetting(profile, Setting::ImagingTarget, key, u"3");
        const std::wstring standin = dir + L"imaging_standin.exe";
        WriteSetting(profile, Setting::ProgramLocation, key,
                     std::u16string(reinterpret_cast<const char16_t*>(standin.c_str()), standin.size()));
    }

    HANDLE first = bench::Start(L"\"" + vorbel + L"\"");
    if (!first) bench::Fail("Vorbel.exe");
    HWND button = bench::WaitForTopWindow(first, 20000);
    if (!button) bench::Fail("the launch button never showed");

    double laterEnded = 0;
    OneLink(vorbel, record, button, laterEnded);  // warm-up: both programs' pages are in the cache
    TwoBareStarts(bare);
    std::vector<double> links, bares, laters;
    for (int i = 0; i < kRuns; ++i) {
        bares.push_back(TwoBareStarts(bare));
        links.push_back(OneLink(vorbel, record, button, laterEnded));
        laters.push_back(laterEnded);
    }

    PostMessageW(button, WM_COMMAND, 67, 0);  // "Quitter"
    if (WaitForSingleObject(first, 10000) != WAIT_OBJECT_0) TerminateProcess(first, 1);
    CloseHandle(first);
    DeleteFileW(record.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZEMO\\Vorbel");

    std::printf("1. Link latency: %.2f (later instance to imaging program running / two bare process starts, "
                "median of %d; target <= 1.3; the later instance alone ends at %.2f)\n",
                bench::Median(links) / bench::Median(bares), kRuns, bench::Median(laters) / bench::Median(bares));
    return 0;
}
