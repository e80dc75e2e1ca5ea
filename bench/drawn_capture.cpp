// Capture of three fields a program draws, read through its accessible tree, against three
// classic controls read by messages, in the same run. Target: at most twice the classic time.
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
constexpr double kTargetRatio = 2.0;

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
    for (int pass = 0; pass < 2; ++pass) {
        for (double t : Time(classicFields, u"1234")) classicMs.push_back(t);
        for (double t : Time(drawnFields, u"4321")) drawnMs.push_back(t);
    }
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
    return 0;
}
