// Whole links through the real Vorbel.exe: capture, the confirmation dialog and the hand-off, as
// the imaging stand-in sees the result.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "locator/accessible_element.h"
#include "locator/field_locator.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "tests/win/support/shift_held.h"
#include "tests/win/support/beep_watch.h"
#include "tests/win/support/dialog_search.h"
#include "tests/win/support/standin.h"
#include "tests/win/support/standin_process.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/vorbel_fixture.h"
#include "tests/win/support/win_test_support.h"
#include "tools/drawn_standin_ids.h"
#include "tools/practice_standin_ids.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::FindVisibleWindow;
using test::ShiftHeld;
using test::StandIn;
using test::StandInExe;
using test::VorbelProcess;
using test::WaitUntil;
using Args = std::vector<std::wstring>;
using Lines = std::vector<std::string>;
namespace si = standin;

constexpr wchar_t kConfirmationTitle[] = L"Informations extraites";
constexpr int kChartEdit = 1003, kLastNameEdit = 1004, kFirstNameEdit = 1006, kStatusStatic = 1002;

const Lines kAltE = {"WM_SYSKEYDOWN 0x45 0x20000001", "WM_SYSCHAR 0x65 0x1", "WM_SYSKEYUP 0x45 0xE0000001"};
const Lines kEscape = {"WM_KEYDOWN 0x1B 0x1", "WM_KEYUP 0x1B 0xC0000001"};
const Lines kVisioDentCommand = {"WM_COMMAND 0x7554 0x0"};

Args Arguments(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    Args args(argv, argv + count);
    LocalFree(argv);
    return args;
}

// What target 3 hands over for a patient.
Args SwitchArguments(const std::wstring& chart, const std::wstring& last, const std::wstring& first) {
    return {StandInExe(), L"/ID:" + chart, L"/LN:" + last, L"/N:" + first};
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

void PostKey(HWND target, WPARAM vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Whether a running process has the DLL loaded.
bool HasLoaded(DWORD pid, const wchar_t* dll) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry)) {
        found = lstrcmpiW(entry.szModule, dll) == 0;
    }
    CloseHandle(snapshot);
    return found;
}

// The settings in Vorbel.exe's profile section, to show that nothing was written. "CmdLine" is
// left out: it carries a later instance's command line to the running one.
std::map<std::wstring, std::vector<uint8_t>> ProfileValues() {
    std::map<std::wstring, std::vector<uint8_t>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZEMO\\Vorbel\\Vorbel", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256, type = 0;
        BYTE data[4096];
        DWORD dataSize = sizeof(data);
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        if (std::wstring(name) != L"CmdLine") values[name] = std::vector<uint8_t>(data, data + dataSize);
    }
    RegCloseKey(key);
    return values;
}

// Notes whether the confirmation dialog is ever visible while it runs. A poll: a dialog shown
// for less than a few milliseconds could slip through, but one that waits for the user cannot.
class VisibilityWatch {
public:
    VisibilityWatch()
        : thread_([this] {
              while (!stop_) {
                  if (FindVisibleWindow(kConfirmationTitle)) seen_ = true;
                  Sleep(2);
              }
          }) {}
    ~VisibilityWatch() {
        stop_ = true;
        thread_.join();
    }
    bool seen() const { return seen_; }

private:
    std::atomic<bool> stop_{false}, seen_{false};
    std::thread thread_;
};

class ConfirmationTest : public test::VorbelProgramTest {
protected:
    // The watch points Vorbel.exe, and through it the imaging stand-in, at the record file: it
    // must exist before Vorbel.exe starts.
    ConfirmationTest() : watch_(temp_.File(L"imaging-record.txt")) {}

    void TearDown() override {
        if (HWND dialog = FindWindowW(nullptr, kConfirmationTitle)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        watch_.EndAll();
        VorbelProgramTest::TearDown();
    }

    void Store(Setting s, const std::wstring& value) const { VorbelProgramTest::Store(s, U(value.c_str())); }
    void StoreSwitchTarget() {
        Store(Setting::ImagingTarget, L"3");
        Store(Setting::ProgramLocation, StandInExe());
    }
    // The three field locators, taken from the stand-in's controls as the field picker would.
    void StoreLocatorsOf(const StandIn& form) {
        Store(Setting::ChartNumberLocator, W(BuildFieldLocator(form.Control(si::kChartNumber))));
        Store(Setting::LastNameLocator, W(BuildFieldLocator(form.Control(si::kLastName))));
        Store(Setting::FirstNameLocator, W(BuildFieldLocator(form.Control(si::kFirstName))));
    }

    static void Click(const VorbelProcess& vorbel) { PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP); }

    static HWND WaitForConfirmation(DWORD timeoutMs = 15000) {
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, timeoutMs);
        return dialog;
    }
    // The arguments the imaging stand-in was started with; none when it was not started.
    Args Handed(DWORD timeoutMs = 20000) {
        const auto record = watch_.Record(timeoutMs);
        return record ? Arguments(record->commandLine) : Args{};
    }
    // Checked once the link has ended, or after the refusal's beep: a start would have come first.
    bool NothingStarted() { return watch_.NoneStarted() && !test::StandInWatch::WindowOpen(); }

    // Waits for the end of the link (the button back) and clears the imaging side for the next.
    void EndLink(const VorbelProcess& vorbel) {
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 15000))
            << "the button comes back after the link";
        watch_.EndAll();
        watch_.Reset();
    }

    test::TempDir temp_;
    test::StandInWatch watch_;
};

TEST_F(ConfirmationTest, CommandLineLinksHandOverExactlyThePatientWithoutShowingTheDialog) {
    struct Case {
        const wchar_t* convention;  // stored L
        const wchar_t* swap;        // stored V
        std::wstring commandLine;
        Args handed;
    };
    const Case cases[] = {
        {L"109", L"0", L"1234 DUPONT JEAN", SwitchArguments(L"1234", L"DUPONT", L"JEAN")},
        {L"109", L"1", L"0077 DUPONT JEAN", SwitchArguments(L"77", L"JEAN", L"DUPONT")},
        {L"176", L"0", L"42 \"DE LA TOUR\" \"Élise\" \"25/03/1970\"", SwitchArguments(L"42", L"DE LA TOUR", L"Élise")},
        {L"243", L"0", L"-I 9001 -N MARTIN^Léa -P C:\\img", SwitchArguments(L"9001", L"MARTIN", L"Léa")},
        {L"310", L"0", L"/p\"DUPONT, JEAN::98::1234::25/03/1970::M\"", SwitchArguments(L"1234", L"DUPONT", L"JEAN")},
    };
    StoreSwitchTarget();
    Store(Setting::SkipConfirmation, L"1");
    VorbelProcess vorbel;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(ToUtf8(U(c.commandLine.c_str())));
        Store(Setting::CommandLineConvention, c.convention);
        Store(Setting::SwapNames, c.swap);
        VisibilityWatch visibility;
        // The first link comes with the program's own start, the others from later instances.
        if (i == 0) {
            ASSERT_TRUE(vorbel.Start(c.commandLine));
        } else {
            EXPECT_EQ(test::RunLaterInstance(c.commandLine), 0);
        }
        EXPECT_EQ(Handed(), c.handed);
        EndLink(vorbel);
        EXPECT_FALSE(visibility.seen()) << "a complete capture is confirmed before the dialog shows";
    }
}

// A link without confirmation hands over without building the dialog: the button at rest after
// it keeps nothing that only a dialog loads. The same link confirmed shows what the check sees.
TEST_F(ConfirmationTest, ALinkWithoutConfirmationBuildsNoDialog) {
    StoreSwitchTarget();
    Store(Setting::CommandLineConvention, L"109");
    Store(Setting::SkipConfirmation, L"1");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    DWORD pid = 0;
    GetWindowThreadProcessId(vorbel.Button(), &pid);
    EXPECT_EQ(test::RunLaterInstance(L"1234 DUPONT JEAN"), 0);
    EXPECT_EQ(Handed(), SwitchArguments(L"1234", L"DUPONT", L"JEAN"));
    EndLink(vorbel);
    EXPECT_FALSE(HasLoaded(pid, L"comctl32.dll")) << "no dialog was built";

    Store(Setting::SkipConfirmation, L"0");
    EXPECT_EQ(test::RunLaterInstance(L"1234 DUPONT JEAN"), 0);
    const HWND dialog = WaitForConfirmation();
    ASSERT_NE(dialog, nullptr);
    PostKey(GetDlgItem(dialog, IDOK), VK_RETURN);
    EXPECT_EQ(Handed(), SwitchArguments(L"1234", L"DUPONT", L"JEAN"));
    EndLink(vorbel);
    EXPECT_TRUE(HasLoaded(pid, L"comctl32.dll")) << "a dialog loads the common controls";
}

TEST_F(ConfirmationTest, WindowLinksReadThePracticeProgramInBothLookupModes) {
    struct Case {
        const char* what;
        const wchar_t* topClass;
        const wchar_t* pointOnly;  // stored G
        bool fromLaterInstance;    // a command line that convention 0 must ignore
        std::wstring chart;        // read through the structure or through the screen point
        Lines practiceGets;
    };
    const Case cases[] = {
        {"structural", L"PmsPatientForm", L"0", false, L"MARTIN", {}},
        {"point-only", L"PmsPatientForm", L"1", false, L"5678", {}},
        {"WinDev, command line ignored",
         L"WinDevObject",
         L"0",
         true,
         L"MARTIN",
         {kAltE[0], kAltE[1], kAltE[2], kEscape[0], kEscape[1]}},
        {"WinDev point-only",
         L"WinDevObject",
         L"1",
         false,
         L"5678",
         {kAltE[0], kAltE[1], kAltE[2], kEscape[0], kEscape[1]}},
        {"VisioDent point-only", L"FENETRE_VISIODENT32", L"1", false, L"5678", kVisioDentCommand},
    };
    StoreSwitchTarget();
    Store(Setting::SkipConfirmation, L"1");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(temp_.File(L"practice.txt").c_str());
        StandIn form(std::wstring(L"--pos=10,10 --class=") + c.topClass + L" --chart=5678 --last=MARTIN --first=Léa",
                     temp_.File(L"practice.txt"));
        StoreLocatorsOf(form);
        Store(Setting::PointOnlyMode, c.pointOnly);
        // The chart-number locator carries the last name's structure and the chart number's
        // screen point: which text arrives shows which lookup ran.
        const std::u16string chart = BuildFieldLocator(form.Control(si::kChartNumber));
        const std::u16string last = BuildFieldLocator(form.Control(si::kLastName));
        Store(Setting::ChartNumberLocator, W(last.substr(0, last.find(u'|')) + chart.substr(chart.find(u'|'))));

        if (c.fromLaterInstance) {
            EXPECT_EQ(test::RunLaterInstance(L"999 AUTRE PATIENT"), 0);
        } else {
            Click(vorbel);
        }
        EXPECT_EQ(Handed(), SwitchArguments(c.chart, L"MARTIN", L"Léa"));
        EXPECT_EQ(form.Recorded(), c.practiceGets);
        EndLink(vorbel);
    }
}

TEST_F(ConfirmationTest, RefusedAutoConfirmShowsTheCaptureUntilAChartNumberIsTyped) {
    StoreSwitchTarget();
    Store(Setting::SkipConfirmation, L"1");
    Store(Setting::CommandLineConvention, L"310");
    test::BeepWatch beeps;
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start(L"/p\"DUPONT, JEAN::98\""));

    const HWND dialog = WaitForConfirmation();
    ASSERT_NE(dialog, nullptr) << "a refused confirmation leaves the dialog open";
    ASSERT_TRUE(beeps.WaitForBeep(10000)) << "the refusal beeps";
    EXPECT_TRUE(NothingStarted());
    EXPECT_EQ(ItemText(dialog, kChartEdit), L"");
    EXPECT_EQ(ItemText(dialog, kLastNameEdit), L"DUPONT");
    EXPECT_EQ(ItemText(dialog, kFirstNameEdit), L" JEAN");
    EXPECT_EQ(ItemText(dialog, kStatusStatic), L"");
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDOK)) << "Enter confirms";

    SetDlgItemTextW(dialog, kChartEdit, L"4321");
    PostKey(GetDlgItem(dialog, IDOK), VK_RETURN);
    EXPECT_EQ(Handed(), SwitchArguments(L"4321", L"DUPONT", L"JEAN"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    EndLink(vorbel);
}

// The spaced and quoted conventions carry the chart number as a number. A first piece that is
// not one (a word, an exchange file's path) names no patient: without confirmation the link stops
// there as for an empty chart number, never handing patient 0 over, even without names.
TEST_F(ConfirmationTest, AChartNumberThatIsNotANumberStopsAtTheConfirmation) {
    struct Case {
        const wchar_t* convention;
        std::wstring commandLine;
        const wchar_t* lastName;
        const wchar_t* firstName;
    };
    const Case cases[] = {
        {L"109", L"\"C:\\vdds\\exch 1.ini\"", L"1.ini\"", L""},
        {L"176", L"\"C:\\vdds\\exch 1.ini\"", L"C:\\vdds\\exch 1.ini", L""},
        {L"109", L"DOSSIER", L"", L""},
        {L"176", L"DOSSIER \"MARTIN\" \"Hélène\"", L"MARTIN", L"Hélène"},
    };
    StoreSwitchTarget();
    Store(Setting::SkipConfirmation, L"1");
    test::BeepWatch beeps;  // before the start: Vorbel.exe finds it in its environment
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(U(c.commandLine.c_str())));
        Store(Setting::CommandLineConvention, c.convention);
        EXPECT_EQ(test::RunLaterInstance(c.commandLine), 0);
        const HWND dialog = WaitForConfirmation();
        ASSERT_NE(dialog, nullptr) << "the link stops at the confirmation";
        ASSERT_TRUE(beeps.WaitForBeep(10000)) << "the refusal beeps";
        EXPECT_TRUE(NothingStarted());
        EXPECT_EQ(ItemText(dialog, kChartEdit), L"");
        EXPECT_EQ(ItemText(dialog, kLastNameEdit), c.lastName);
        EXPECT_EQ(ItemText(dialog, kFirstNameEdit), c.firstName);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EndLink(vorbel);
    }
}

// A program that cannot start is never taken for a success: the user reads why, naming the
// program, and the confirmation then closes, its patient handed over as far as it went.
TEST_F(ConfirmationTest, AProgramThatCannotStartIsReportedBeforeTheDialogCloses) {
    const std::wstring program = temp_.File(L"absent.exe");
    Store(Setting::ImagingTarget, L"3");
    Store(Setting::ProgramLocation, program);
    Store(Setting::CommandLineConvention, L"109");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start(L"42 DUPONT JEAN"));
    const HWND dialog = WaitForConfirmation();
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);

    // The message box, titled like the launch button, which is a dialog too.
    const auto messageBox = [&] {
        HWND w = nullptr;
        while ((w = FindWindowExW(nullptr, w, L"#32770", L"Vorbel")) != nullptr) {
            if (w != vorbel.Button() && IsWindowVisible(w)) return w;
        }
        return w;
    };
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = messageBox()) != nullptr; }, 10000));
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t part[1024] = L"";
        GetWindowTextW(child, part, 1024);
        text += part;
    }
    EXPECT_NE(text.find(L"«\u00a0" + program + L"\u00a0» n'a pas pu être lancé"), std::wstring::npos)
        << ToUtf8(std::u16string(text.begin(), text.end()));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog waits for the message to be read";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000)) << "then closes";
    EndLink(vorbel);
}

TEST_F(ConfirmationTest, CancelHandsNothingOverAndWritesNothing) {
    const std::wstring program = temp_.File(L"img.exe");
    ASSERT_TRUE(CopyFileW(StandInExe().c_str(), program.c_str(), FALSE));
    Store(Setting::ImagingTarget, L"2");
    Store(Setting::ProgramLocation, program);
    struct Case {
        const char* what;
        const wchar_t* convention;
        std::wstring commandLine;  // empty: a click on the button
        std::wstring chart, last, first;
        std::function<void(HWND dialog)> cancel;
    };
    const Case cases[] = {
        {"Escape", L"176", L"42 \"DUPONT\" \"JEAN\" \"25/03/1970\"", L"42", L"DUPONT", L"JEAN",
         [](HWND d) { PostKey(GetDlgItem(d, IDOK), VK_ESCAPE); }},
        {"close box", L"243", L"-I 7 -N MARTIN^Léa", L"7", L"MARTIN", L"Léa",
         [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"WM_CLOSE after a click: nothing to capture", L"243", L"", L"", L"", L"",
         [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }},
    };
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(Setting::CommandLineConvention, c.convention);
        const auto before = ProfileValues();
        if (c.commandLine.empty()) {
            Click(vorbel);
        } else {
            EXPECT_EQ(test::RunLaterInstance(c.commandLine), 0);
        }
        const HWND dialog = WaitForConfirmation();
        ASSERT_NE(dialog, nullptr) << "without auto-confirm the dialog waits";
        EXPECT_EQ(ItemText(dialog, kChartEdit), c.chart);
        EXPECT_EQ(ItemText(dialog, kLastNameEdit), c.last);
        EXPECT_EQ(ItemText(dialog, kFirstNameEdit), c.first);
        EXPECT_EQ(ItemText(dialog, kStatusStatic), L"");
        c.cancel(dialog);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
        EndLink(vorbel);
        EXPECT_TRUE(NothingStarted());
        EXPECT_FALSE(test::FileExists(temp_.File(L"Linkage.xml")));
        EXPECT_EQ(ProfileValues(), before) << "no setting written";
    }
}

TEST_F(ConfirmationTest, ShiftShowsTheRawCommandLineBeforeCapturing) {
    Store(Setting::CommandLineConvention, L"176");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    const std::wstring commandLine = L"42 \"DUPONT\" \"JEAN\"";
    // The key goes to the window with the focus: Vorbel's own button.
    SetForegroundWindow(vorbel.Button());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == vorbel.Button(); }, 5000));
    ShiftHeld shift;
    ASSERT_TRUE(shift.pressed()) << "xdotool runs on the test display";
    ASSERT_TRUE(WaitUntil([] { return GetAsyncKeyState(VK_SHIFT) != 0; }, 5000)) << "Shift shows as held";
    EXPECT_EQ(test::RunLaterInstance(commandLine), 0);
    // The box, titled "Vorbel" like the button, is owned by the confirmation dialog, still hidden.
    const DWORD thread = GetWindowThreadProcessId(vorbel.Button(), nullptr);
    HWND box = nullptr;
    const bool shown = WaitUntil(
        [&] {
            const HWND confirmation = FindWindowW(nullptr, kConfirmationTitle);
            return confirmation && (box = test::FindDialog(thread, L"Vorbel", confirmation)) != nullptr;
        },
        10000);
    shift.Release();
    ASSERT_TRUE(shown) << "the raw command line is shown in a box titled Vorbel";
    EXPECT_EQ(FindVisibleWindow(kConfirmationTitle), nullptr) << "the box comes before the dialog shows";
    bool found = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[256] = L"";
        GetWindowTextW(child, text, 256);
        found = found || commandLine == text;
    }
    EXPECT_TRUE(found) << "unchanged";
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    const HWND dialog = WaitForConfirmation();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, kChartEdit), L"42");
    EXPECT_EQ(ItemText(dialog, kLastNameEdit), L"DUPONT");
    EXPECT_EQ(ItemText(dialog, kFirstNameEdit), L"JEAN");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EndLink(vorbel);
}

TEST_F(ConfirmationTest, HungPracticeProgramLeavesEmptyFieldsWithoutFreezingTheLink) {
    StoreSwitchTarget();
    Store(Setting::SkipConfirmation, L"1");
    StandIn form(L"--pos=10,10 --class=WinDevObject --chart=5678 --last=MARTIN", temp_.File(L"practice.txt"));
    StoreLocatorsOf(form);
    test::BeepWatch beeps;
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    form.Hang();

    const auto start = std::chrono::steady_clock::now();
    Click(vorbel);
    const HWND dialog = WaitForConfirmation(30000);
    ASSERT_NE(dialog, nullptr) << "the empty chart number is refused and shown";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(ItemText(dialog, kChartEdit), L"");
    EXPECT_EQ(ItemText(dialog, kLastNameEdit), L"");
    EXPECT_EQ(ItemText(dialog, kFirstNameEdit), L"");
    ASSERT_TRUE(beeps.WaitForBeep(10000)) << "the refusal beeps";
    EXPECT_TRUE(NothingStarted());
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EndLink(vorbel);
}

TEST_F(ConfirmationTest, BirthDateAndSexReachTheLinkageFileOnlyWithTheCapturedPatient) {
    const std::wstring program = temp_.File(L"img.exe");
    ASSERT_TRUE(CopyFileW(StandInExe().c_str(), program.c_str(), FALSE));
    Store(Setting::ImagingTarget, L"2");
    Store(Setting::ProgramLocation, program);
    struct Case {
        const char* what;
        const wchar_t* convention;
        std::wstring commandLine;
        const wchar_t* editedLastName;  // null: confirmed as captured
        bool skipped;                   // no confirmation: handed over as captured
        std::u16string patient;         // the Patient element and what follows it
    };
    const std::u16string quoted =
        u"<Patient LastName=\"DUPONT\" FirstName=\"JEAN\" ChartNumber=\"42\">\r\n<Birthday>25/03/1970</Birthday>\r\n"
        u"<Gender></Gender>\r\n";
    const std::u16string slashP =
        u"<Patient LastName=\"DUPONT\" FirstName=\"JEAN\" ChartNumber=\"1234\">\r\n<Birthday>25/03/1970</Birthday>\r\n"
        u"<Gender>Female</Gender>\r\n";
    const Case cases[] = {
        {"quoted, as captured", L"176", L"42 \"DUPONT\" \"JEAN\" \"25/03/1970\"", nullptr, false, quoted},
        {"quoted, leading zeros, without confirmation", L"176", L"0042 \"DUPONT\" \"JEAN\" \"25/03/1970\"", nullptr,
         true, quoted},
        {"slash-p, as captured", L"310", L"/p\"DUPONT, JEAN::98::1234::25/03/1970::F\"", nullptr, false, slashP},
        {"slash-p, without confirmation", L"310", L"/p\"DUPONT, JEAN::98::1234::25/03/1970::F\"", nullptr, true,
         slashP},
        {"slash-p, name corrected", L"310", L"/p\"DUPONT, JEAN::98::1234::25/03/1970::F\"", L"DURAND", false,
         u"<Patient LastName=\"DURAND\" FirstName=\"JEAN\" ChartNumber=\"1234\">\r\n<Birthday></Birthday>\r\n"
         u"<Gender></Gender>\r\n"},
    };
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(temp_.File(L"Linkage.xml").c_str());
        Store(Setting::CommandLineConvention, c.convention);
        Store(Setting::SkipConfirmation, c.skipped ? L"1" : L"0");
        EXPECT_EQ(test::RunLaterInstance(c.commandLine), 0);
        if (!c.skipped) {
            const HWND dialog = WaitForConfirmation();
            ASSERT_NE(dialog, nullptr);
            if (c.editedLastName) SetDlgItemTextW(dialog, kLastNameEdit, c.editedLastName);
            PostKey(GetDlgItem(dialog, IDOK), VK_RETURN);
        }
        EXPECT_EQ(Handed(), Args{program});
        const std::vector<uint8_t> bytes = test::ReadFileBytes(temp_.File(L"Linkage.xml"));
        ASSERT_GE(bytes.size(), 2u);
        const std::u16string xml(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        EXPECT_NE(xml.find(c.patient + u"</Patient>"), std::u16string::npos) << ToUtf8(xml);
        EndLink(vorbel);
    }
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

// Target 6: the bytes of the bridge file of the reference patient, in each encoding.
std::vector<uint8_t> Utf8Of(const std::u16string& text) {
    const std::string s = ToUtf8(text);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST_F(ConfirmationTest, TemplateLinksKeepEveryValueInsideItsOwnArgument) {
    Store(Setting::ImagingTarget, L"6");
    Store(Setting::ProgramLocation, StandInExe());
    Store(Setting::CommandLineConvention, L"176");
    Store(Setting::ArgumentTemplate, L"/ID:{DOSSIER} {NOM} /LN:{NOM} \"/N:{NOM}\" /P:\"{PRENOM}\" {PRENOM}^{NOM}");
    const std::wstring hostile[] = {
        L"MARTIN",      L"DE LA TOUR", L"A\" /X \"B", L"C:\\tmp\\", L"\\\\\"", L"\"", L"O'Neil & ^ | %PATH% <x>",
        L"a\\\\b\\\"c", L"{NOM}",      L"\\",
    };
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    for (const std::wstring& value : hostile) {
        SCOPED_TRACE(ToUtf8(U(value.c_str())));
        EXPECT_EQ(test::RunLaterInstance(L"4217 \"X\" \"Y\""), 0);
        const HWND dialog = WaitForConfirmation();
        ASSERT_NE(dialog, nullptr);
        // Typed as a user would correct the captured patient.
        SetDlgItemTextW(dialog, kLastNameEdit, value.c_str());
        SetDlgItemTextW(dialog, kFirstNameEdit, (value + L"2").c_str());
        PostKey(GetDlgItem(dialog, IDOK), VK_RETURN);
        const auto record = watch_.Record(20000);
        ASSERT_TRUE(record.has_value());
        // A double quote arrives as an apostrophe: no program's parser can end its argument on it.
        std::wstring safe = value;
        std::replace(safe.begin(), safe.end(), L'"', L'\'');
        const Args expected = {StandInExe(),         L"/ID:4217",        safe, L"/LN:" + safe, L"/N:" + safe,
                               L"/P:" + safe + L"2", safe + L"2^" + safe};
        EXPECT_EQ(record->arguments, expected)
            << "as the program's CommandLineToArgvW read " << ToUtf8(U(record->commandLine.c_str()));
        EndLink(vorbel);
    }
}

TEST_F(ConfirmationTest, TemplateLinksWriteTheBridgeFileInEachEncodingBeforeTheStart) {
    // The byte expectations below are those of a French Windows.
    ASSERT_EQ(GetACP(), 1252u);
    ASSERT_EQ(GetOEMCP(), 850u);
    CreateDirectoryW(temp_.File(L"Pont Imagerie").c_str(), nullptr);
    const std::wstring bridge = temp_.File(L"Pont Imagerie\\4217.txt");
    Store(Setting::ImagingTarget, L"6");
    Store(Setting::ProgramLocation, StandInExe());
    Store(Setting::SkipConfirmation, L"1");
    Store(Setting::CommandLineConvention, L"310");
    Store(Setting::ArgumentTemplate, L"/patient @{FICHIER}");
    Store(Setting::BridgeFilePath, temp_.File(L"Pont Imagerie\\{DOSSIER}.txt"));
    Store(
        Setting::BridgeFileContent,
        L"[Patient]\r\nId={DOSSIER}\r\nNom={NOM}\r\nPrenom={PRENOM}\r\nNe={NAISSANCE:AAAAMMJJ}\r\nSexe={SEXE:HF}\r\n");
    const std::u16string text =
        u"[Patient]\r\nId=4217\r\nNom=MARTIN \u0141UKASZ\r\nPrenom=Hélène\r\nNe=19840912\r\nSexe=F\r\n";
    const std::string ansi =
        "[Patient]\r\nId=4217\r\nNom=MARTIN ?UKASZ\r\nPrenom=H\xe9l\xe8ne\r\nNe=19840912\r\nSexe=F\r\n";
    const std::string oem =
        "[Patient]\r\nId=4217\r\nNom=MARTIN ?UKASZ\r\nPrenom=H\x82l\x8ane\r\nNe=19840912\r\nSexe=F\r\n";
    std::vector<uint8_t> utf16 = {0xFF, 0xFE};
    for (char16_t c : text) utf16.insert(utf16.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
    std::vector<uint8_t> utf8Bom = {0xEF, 0xBB, 0xBF};
    const std::vector<uint8_t> utf8 = Utf8Of(text);
    utf8Bom.insert(utf8Bom.end(), utf8.begin(), utf8.end());
    const struct {
        const wchar_t* encoding;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {L"0", utf8},
        {L"1", utf8Bom},
        {L"2", utf16},
        {L"3", std::vector<uint8_t>(ansi.begin(), ansi.end())},
        {L"4", std::vector<uint8_t>(oem.begin(), oem.end())},
    };
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(U(c.encoding)));
        Store(Setting::BridgeFileEncoding, c.encoding);
        EXPECT_EQ(test::RunLaterInstance(L"/p\"MARTIN \u0141UKASZ, Hélène::98::4217::12/09/1984::F\""), 0);
        const auto record = watch_.Record(20000);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->arguments, (Args{StandInExe(), L"/patient", L"@" + bridge}));
        ASSERT_TRUE(record->bridge.has_value()) << "the bridge file is there when the program starts";
        EXPECT_EQ(*record->bridge, c.bytes);
        EndLink(vorbel);
    }
}

TEST_F(ConfirmationTest, TemplateLinksShowTheBirthDateAndSexTheTemplatesUseForCorrection) {
    constexpr int kBirthDateEdit = 1040, kSexList = 1042;
    Store(Setting::ImagingTarget, L"6");
    Store(Setting::ProgramLocation, StandInExe());
    Store(Setting::CommandLineConvention, L"310");
    const std::wstring commandLine = L"/p\"MARTIN, Hélène::98::4217::12/09/1984::F\"";
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    const auto visible = [](HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; };

    // Not used by the templates: neither is shown.
    Store(Setting::ArgumentTemplate, L"{DOSSIER}");
    EXPECT_EQ(test::RunLaterInstance(commandLine), 0);
    HWND dialog = WaitForConfirmation();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(visible(dialog, kBirthDateEdit));
    EXPECT_FALSE(visible(dialog, kSexList));
    PostKey(GetDlgItem(dialog, IDOK), VK_RETURN);
    EXPECT_EQ(Handed(), (Args{StandInExe(), L"4217"}));
    EndLink(vorbel);

    // Used: shown as captured, and what the user corrects is handed over.
    Store(Setting::ArgumentTemplate, L"{DOSSIER} /D:{NAISSANCE:AAAAMMJJ}");
    Store(Setting::BridgeFilePath, temp_.File(L"p.txt"));
    Store(Setting::BridgeFileContent, L"{SEXE:HF}");
    EXPECT_EQ(test::RunLaterInstance(commandLine), 0);
    dialog = WaitForConfirmation();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(visible(dialog, kBirthDateEdit));
    EXPECT_TRUE(visible(dialog, kSexList));
    EXPECT_EQ(ItemText(dialog, kBirthDateEdit), L"12/09/1984");
    EXPECT_EQ(SendDlgItemMessageW(dialog, kSexList, CB_GETCURSEL, 0, 0), 2) << "Féminin";
    SetDlgItemTextW(dialog, kBirthDateEdit, L"01/02/1990");
    SendDlgItemMessageW(dialog, kSexList, CB_SETCURSEL, 1, 0);
    PostKey(GetDlgItem(dialog, IDOK), VK_RETURN);
    EXPECT_EQ(Handed(), (Args{StandInExe(), L"4217", L"/D:19900201"}));
    EXPECT_EQ(test::ReadFileBytes(temp_.File(L"p.txt")), Utf8Of(u"H"));
    EndLink(vorbel);
}

TEST_F(ConfirmationTest, TemplateLinkWithAnXmlBridgeEscapesTheValuesOnly) {
    const std::wstring bridge = temp_.File(L"patient.xml");
    Store(Setting::ImagingTarget, L"6");
    Store(Setting::ProgramLocation, StandInExe());
    Store(Setting::SkipConfirmation, L"1");
    Store(Setting::CommandLineConvention, L"310");
    Store(Setting::ArgumentTemplate, L"@{FICHIER}");
    Store(Setting::BridgeFilePath, bridge);
    Store(Setting::BridgeFileContent, L"<patient id=\"{DOSSIER}\" nom=\"{NOM}\" sexe=\"{SEXE}\"/>");
    Store(Setting::BridgeXmlEscape, L"1");
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start(L"/p\"O'BRIEN & <FILS>, Ana::98::42::::M\""));
    const auto record = watch_.Record(20000);
    ASSERT_TRUE(record.has_value());
    ASSERT_TRUE(record->bridge.has_value());
    EXPECT_EQ(*record->bridge, Utf8Of(u"<patient id=\"42\" nom=\"O&apos;BRIEN &amp; &lt;FILS&gt;\" sexe=\"M\"/>"));
    EndLink(vorbel);
}

// A practice program that draws its fields: designated at their points, stored, and read through
// its accessible tree by a whole link, after the form has moved and grown.
TEST_F(ConfirmationTest, WindowLinksReadTheFieldsAPracticeProgramDraws) {
    StoreSwitchTarget();
    Store(Setting::SkipConfirmation, L"1");
    StandIn form(L"--pos=40,40 --mode=nested", L"", L"drawn_standin.exe");
    const Setting fields[] = {Setting::ChartNumberLocator, Setting::LastNameLocator, Setting::FirstNameLocator};
    for (int row = 0; row < 3; ++row) {
        RECT client;
        GetClientRect(form.top(), &client);
        POINT at = {MulDiv(drawn::FieldCentreX(), client.right, drawn::kDesignWidth),
                    MulDiv(drawn::FieldCentreY(row), client.bottom, drawn::kDesignHeight)};
        ClientToScreen(form.top(), &at);
        const auto element = ElementAtScreenPoint(form.top(), at);
        ASSERT_TRUE(element.has_value()) << "row " << row;
        Store(fields[row], W(BuildElementLocator(*element)));
    }
    form.Place(200, 120, 900, 560);
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    Click(vorbel);
    EXPECT_EQ(Handed(), SwitchArguments(L"4321", L"MARTIN", L"Zoé"));
    EndLink(vorbel);
}

}  // namespace
}  // namespace vorbel
