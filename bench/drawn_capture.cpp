// Capture of three fields a program draws, read through its accessible tree, against three
// classic controls read by messages, in the same run. Target: at most four times the classic
// time. Beside it, what a read asks of the program: its requests (WM_GETOBJECT and COM calls,
// queries and releases included), each a round trip through the program's window thread.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "locator/field_locator.h"
#include "patient/window_fields.h"
#include "tools/drawn_standin_ids.h"
#include "tools/practice_standin_ids.h"
#include "win/descendant.h"

using namespace vorbel;

namespace {

constexpr int kRounds = 15;
constexpr double kTargetRatio = 4.0;

HWND StartStandIn(const std::wstring& commandLine, HANDLE& process) {
    process = bench::Start(commandLine);
    if (!process) bench::Fail("stand-in");
    WaitForInputIdle(process, 20000);
    return bench::WaitForTopWindow(process, 20000);
}

std::u16string DrawnLocator(HWND top, int row) {
    RECT client;
    GetClientRect(top, &client);
    POINT p = {MulDiv(drawn::FieldCentreX(), client.right, drawn::kDesignWidth),
               MulDiv(drawn::FieldCentreY(row), client.bottom, drawn::kDesignHeight)};
    ClientToScreen(top, &p);
    const auto element = ElementAtScreenPoint(top, p);
    return element ? BuildElementLocator(*element) : u"";
}

// What the drawn stand-in counted so far (drawn::kRequestsReceived, drawn::kCallsReceived).
LRESULT Counted(HWND drawnTop, UINT what) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(drawnTop, what, 0, 0, SMTO_BLOCK, 10000, &answer)) bench::Fail("the drawn stand-in hangs");
    return static_cast<LRESULT>(answer);
}

// Once the releases a read leaves behind have reached the program: its count stands still.
LRESULT SettledRequests(HWND drawnTop) {
    LRESULT last = Counted(drawnTop, drawn::kRequestsReceived);
    for (int i = 0; i < 50; ++i) {
        Sleep(100);
        const LRESULT now = Counted(drawnTop, drawn::kRequestsReceived);
        if (now == last) break;
        last = now;
    }
    return last;
}

std::vector<double> Time(const FieldLocators& locators, const std::u16string& expected) {
    std::vector<double> ms;
    for (int i = 0; i < kRounds; ++i) {
        const double t0 = bench::NowMs();
        const PatientRecord read = ReadWindowFields(locators, LocatorLookup::StructureFirst);
        ms.push_back(bench::NowMs() - t0);
        if (read.chartNumber != expected) bench::Fail("a field was not read");
    }
    return ms;
}

}  // namespace

int wmain() {
    HANDLE classicProcess = nullptr, drawnProcess = nullptr;
    const HWND classic =
        StartStandIn(L"\"" + bench::BinDir() + L"practice_standin.exe\" --pos=10,10 --chart=1234", classicProcess);
    const HWND drawnTop = StartStandIn(
        L"\"" + bench::BinDir() + L"drawn_standin.exe\" --mode=nested --pos=700,10 --chart=4321", drawnProcess);
    if (!classic || !drawnTop) bench::Fail("a stand-in never showed");
    const FieldLocators classicFields = {BuildFieldLocator(FindDescendantById(classic, standin::kChartNumber)),
                                         BuildFieldLocator(FindDescendantById(classic, standin::kLastName)),
                                         BuildFieldLocator(FindDescendantById(classic, standin::kFirstName))};
    const FieldLocators drawnFields = {DrawnLocator(drawnTop, 0), DrawnLocator(drawnTop, 1), DrawnLocator(drawnTop, 2)};

    // Alternated, so that both see the same load.
    std::vector<double> classicMs, drawnMs;
    const LRESULT requestsBefore = SettledRequests(drawnTop);
    const LRESULT callsBefore = Counted(drawnTop, drawn::kCallsReceived);
    for (int pass = 0; pass < 2; ++pass) {
        for (double t : Time(classicFields, u"1234")) classicMs.push_back(t);
        for (double t : Time(drawnFields, u"4321")) drawnMs.push_back(t);
    }
    const double reads = static_cast<double>(drawnMs.size());
    const double requests = static_cast<double>(SettledRequests(drawnTop) - requestsBefore) / reads;
    const double calls = static_cast<double>(Counted(drawnTop, drawn::kCallsReceived) - callsBefore) / reads;
    for (HANDLE p : {classicProcess, drawnProcess}) {
        TerminateProcess(p, 0);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }
    const double c = bench::Median(classicMs), d = bench::Median(drawnMs);
    std::printf(
        "6. Capture of three drawn fields (accessible tree, nested): %s ms, of three classic controls %s ms; "
        "%.2f of the classic time (target at most %.1f)\n",
        bench::Spread(drawnMs).c_str(), bench::Spread(classicMs).c_str(), d / c, kTargetRatio);
    std::printf("   A read of the three asks the program %.1f requests, %.1f of them calls into its elements\n",
                requests, calls);
    return 0;
}
