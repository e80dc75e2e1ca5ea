// Figure 1: a link from a later instance's command line (auto-confirmed, switch-argument target,
// the stand-in imaging program) until the imaging program runs, against the floor that no link
// can go under: (a) a minimal hand-over program that finds the button and posts it a message,
// plus (b) the imaging program's own start, from CreateProcess to its first act. The later
// instance alone is set against (a). The earlier baseline, two bare process starts in a row,
// stays printed beside them.
#include <windows.h>

#include <cstdio>

#include "bench/bench_support.h"
#include "bench/link_setup.h"

namespace {

constexpr int kRuns = 11;

double RunToExit(const std::wstring& commandLine) {
    const double t0 = bench::NowMs();
    HANDLE p = bench::Start(commandLine);
    if (!p) bench::Fail("a program did not start");
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
    return bench::NowMs() - t0;
}

double TwoBareStarts(const std::wstring& bare) { return RunToExit(bare) + RunToExit(bare); }

// (b): the stand-in imaging program from CreateProcess to its record.
double ImagingStart(const std::wstring& standin, const std::wstring& record) {
    DeleteFileW(record.c_str());
    const double t0 = bench::NowMs();
    HANDLE p = bench::Start(L"\"" + standin + L"\" /ID:1234 /LN:DUPONT /N:JEAN");
    if (!p) bench::Fail("imaging stand-in");
    if (!bench::WaitForRecord(record)) bench::Fail("the imaging stand-in never recorded its start");
    const double elapsed = bench::NowMs() - t0;
    CloseHandle(p);
    bench::EndImagingStandIn();
    return elapsed;
}

// The whole link; laterEnded: when the later instance had ended, from the same start.
double OneLink(const std::wstring& vorbel, const std::wstring& record, HWND button, double& laterEnded) {
    DeleteFileW(record.c_str());
    const double t0 = bench::NowMs();
    HANDLE later = bench::Start(L"\"" + vorbel + L"\" " + bench::kLinkArguments);
    if (!later) bench::Fail("later instance");
    const DWORD start = GetTickCount();
    laterEnded = 0;
    while (!bench::FileHasData(record)) {
        if (GetTickCount() - start > 20000) bench::Fail("the imaging stand-in never started");
        if (!laterEnded && WaitForSingleObject(later, 0) == WAIT_OBJECT_0) laterEnded = bench::NowMs() - t0;
        Sleep(1);
    }
    const double elapsed = bench::NowMs() - t0;
    if (!laterEnded) laterEnded = elapsed;
    WaitForSingleObject(later, 10000);
    CloseHandle(later);
    bench::EndImagingStandIn();
    bench::WaitForButtonBack(button);
    return elapsed;
}

}  // namespace

int wmain() {
    const std::wstring dir = bench::BinDir();
    const std::wstring vorbel = dir + L"Vorbel.exe", standin = dir + L"imaging_standin.exe";
    const std::wstring bare = L"\"" + dir + L"bench_bare_process.exe\"",
                       handover = L"\"" + dir + L"bench_handover.exe\"";
    const std::wstring record = bench::ConfigureLink(dir);

    HANDLE first = bench::Start(L"\"" + vorbel + L"\"");
    if (!first) bench::Fail("Vorbel.exe");
    HWND button = bench::WaitForTopWindow(first, 20000);
    if (!button) bench::Fail("the launch button never showed");

    // Warm-up: every program's pages are in the cache.
    double laterEnded = 0;
    OneLink(vorbel, record, button, laterEnded);
    TwoBareStarts(bare);
    RunToExit(handover);
    ImagingStart(standin, record);
    // Each round times every program once; the ratios are taken within a round, so that a change
    // of load on the machine between rounds does not enter them.
    std::vector<double> link, linkOld, later, laterOld, a, b;
    for (int i = 0; i < kRuns; ++i) {
        const double twoBare = TwoBareStarts(bare), handedOver = RunToExit(handover);
        const double imaging = ImagingStart(standin, record), whole = OneLink(vorbel, record, button, laterEnded);
        link.push_back(whole / (handedOver + imaging));
        linkOld.push_back(whole / twoBare);
        later.push_back(laterEnded / handedOver);
        laterOld.push_back(laterEnded / twoBare);
        a.push_back(handedOver / (twoBare / 2));
        b.push_back(imaging / (twoBare / 2));
    }

    PostMessageW(button, WM_COMMAND, 67, 0);  // "Quitter"
    if (WaitForSingleObject(first, 10000) != WAIT_OBJECT_0) TerminateProcess(first, 1);
    CloseHandle(first);
    bench::ClearProfile(record);

    std::printf(
        "1. Link latency: %s (later instance to imaging program running / (a) minimal hand-over + (b) imaging "
        "stand-in's start, %d rounds; target <= 1.1); earlier baseline: %s of two bare process starts\n",
        bench::Spread(link).c_str(), kRuns, bench::Spread(linkOld).c_str());
    std::printf("   Later instance alone: %s of (a) (target <= 1.1); earlier baseline: %s of two bare process starts\n",
                bench::Spread(later).c_str(), bench::Spread(laterOld).c_str());
    std::printf("   The floor, in bare process starts: (a) %s, (b) %s\n", bench::Spread(a).c_str(),
                bench::Spread(b).c_str());
    return 0;
}
