// A later instance's request while other windows carry the title "Vorbel": Vorbel's own message
// boxes, and another program's window. The request must reach the running button, once.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "tests/win/support/dialog_search.h"
#include "tests/win/support/foreign_window.h"
#include "tests/win/support/shift_held.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/vorbel_fixture.h"

namespace vorbel {
namespace {

using test::FindVisibleWindow;
using test::ShiftHeld;
using test::VorbelProcess;
using test::WaitUntil;

constexpr wchar_t kConfirmationTitle[] = L"Informations extraites";
constexpr int kChartEdit = 1003;

std::wstring ChartOf(HWND dialog) {
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, kChartEdit, text, 64);
    return text;
}

class LaterInstanceTest : public test::VorbelProgramTest {
protected:
    void SetUp() override {
        VorbelProgramTest::SetUp();
        Store(Setting::CommandLineConvention, u"109");  // "Dossier Nom Prénom"
    }

    // The confirmation dialog once it shows the chart number; null when it never does.
    static HWND WaitForConfirmation(const std::wstring& chart) {
        HWND dialog = nullptr;
        WaitUntil(
            [&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr && ChartOf(dialog) == chart; },
            10000);
        return dialog && ChartOf(dialog) == chart ? dialog : nullptr;
    }

    // The link has ended and no other starts: once the button is back and has handled what it
    // posted itself, its context menu opens on an idle button.
    static void ExpectNoFurtherLink(HWND button) {
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(button) != FALSE; }, 10000))
            << "the button comes back: no other link runs";
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutW(button, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
        PostMessageW(button, WM_APP + 1, 0, WM_RBUTTONUP);
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = FindVisibleWindow(nullptr, L"#32768")) != nullptr; }, 10000));
        EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "no second link for the same request";
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitUntil([] { return FindVisibleWindow(nullptr, L"#32768") == nullptr; }, 5000));
    }
};

TEST_F(LaterInstanceTest, AnotherProgramsTopmostWindowTitledVorbelIsPassedBy) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    test::ForeignWindow other({L"AutreProgramme", L"Vorbel", WS_EX_TOPMOST, WM_APP, false, true});
    ASSERT_EQ(FindWindowW(nullptr, L"Vorbel"), other.window()) << "the title alone finds the other window first";

    EXPECT_EQ(test::RunLaterInstance(L"4217 MARTIN HELENE"), 0);
    const HWND dialog = WaitForConfirmation(L"4217");
    ASSERT_NE(dialog, nullptr) << "the request reached the button";
    EXPECT_EQ(other.count(), 0);
    EXPECT_EQ(HandedCommandLine(), u"");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ExpectNoFurtherLink(vorbel.Button());
    EXPECT_EQ(other.count(), 0);
}

// How a button is told to end while a link runs: `taskkill` without /f closes its windows; the
// session's end asks, then tells, and the system ends the process after it.
struct EndingCase {
    const char* what;
    std::vector<std::pair<UINT, WPARAM>> messages;
};

void PrintTo(const EndingCase& c, std::ostream* os) { *os << c.what; }

class LaterInstanceEndingTest : public LaterInstanceTest, public ::testing::WithParamInterface<EndingCase> {};

// A request is handed off by the button that received it or by none: not by the next button,
// unconfirmed, in the next session.
TEST_P(LaterInstanceEndingTest, ARequestWaitingWhenTheButtonEndsIsHandedOffByNobody) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start(L"31 PREMIER ANNE"));
    const HWND first = WaitForConfirmation(L"31");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(test::RunLaterInstance(L"32 SECOND BRUNO"), 0) << "received: it waits for the link of 31";
    EXPECT_EQ(HandedCommandLine(), u"") << "held by the button that received it";

    for (const auto& [msg, wp] : GetParam().messages) {
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutW(vorbel.Button(), msg, wp, 0, SMTO_NORMAL, 10000, &ignored));
    }
    // The confirmation of 31 is still open: the ending button can still be found.
    EXPECT_EQ(test::RunLaterInstance(L"33 TROISIEME CLAIRE"), 1) << "a button that ends receives nothing more";
    EXPECT_EQ(HandedCommandLine(), u"") << "the request it refused is taken back";
    PostMessageW(first, WM_CLOSE, 0, 0);
    ASSERT_TRUE(vorbel.WaitForExit(10000)) << "the button ends with its link, running none for 32";
    EXPECT_EQ(HandedCommandLine(), u"");

    // The next session: the button starts without arguments, then the user starts Vorbel again.
    VorbelProcess next;
    ASSERT_TRUE(next.Start());
    EXPECT_EQ(test::RunLaterInstance(L""), 0);
    ASSERT_TRUE(test::HandledEverythingPosted(next.Button()));
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "never 32, confirmed or not";
}

INSTANTIATE_TEST_SUITE_P(Endings, LaterInstanceEndingTest,
                         ::testing::Values(EndingCase{"Close", {{WM_CLOSE, 0}}},
                                           EndingCase{"SessionEnd", {{WM_QUERYENDSESSION, 0}, {WM_ENDSESSION, TRUE}}}),
                         [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.what); });

// A window found as the button that does not take the request: one that refuses it, as a
// closing button does, or one that never answers, as a hung one. The later start says it failed
// and takes its request back, leaving nothing for that button, or the next, to hand off later.
TEST_F(LaterInstanceTest, ARequestTheButtonDoesNotReceiveIsTakenBack) {
    for (const bool hangs : {false, true}) {
        SCOPED_TRACE(hangs ? "never answers" : "refuses");
        test::ForeignWindow button({L"VorbelLaunchButton", L"Vorbel", 0, WM_APP, hangs, false});
        EXPECT_EQ(test::RunLaterInstance(L"32 SECOND BRUNO"), 1);
        EXPECT_EQ(button.count(), 1);
        EXPECT_EQ(HandedCommandLine(), u"");
    }
}

// One of Vorbel's own boxes titled "Vorbel" is open when the request comes: it reaches the
// button once the box and the link under it have closed.
struct BoxCase {
    const char* what;
    std::vector<std::pair<Setting, std::u16string>> settings;  // beyond the convention
    bool holdShift;         // Shift held as the link starts: the raw command-line box
    bool confirmFirstLink;  // OK on the first link's confirmation opens the box
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.what; }

class LaterInstanceBoxTest : public LaterInstanceTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(LaterInstanceBoxTest, RequestWaitsForTheBoxAndReachesTheButtonOnce) {
    const BoxCase& c = GetParam();
    for (const auto& [setting, value] : c.settings) Store(setting, value);
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());

    HWND box = nullptr;
    {
        std::optional<ShiftHeld> shift;
        if (c.holdShift) shift.emplace(vorbel.Button());
        EXPECT_EQ(test::RunLaterInstance(L"1 PREMIER ANNE"), 0);
        if (c.confirmFirstLink) {
            HWND dialog = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (dialog = FindVisibleWindow(kConfirmationTitle)) != nullptr; }, 10000));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
        ASSERT_TRUE(WaitUntil([&] { return (box = FindVisibleWindow(L"Vorbel", L"#32770")) != nullptr; }, 10000))
            << "the box titled Vorbel";
    }
    ASSERT_EQ(FindWindowW(nullptr, L"Vorbel"), box) << "the title alone finds the box first";

    EXPECT_EQ(test::RunLaterInstance(L"2 SECOND BRUNO"), 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const HWND first = WaitForConfirmation(L"1");
    ASSERT_NE(first, nullptr);
    PostMessageW(first, WM_COMMAND, IDCANCEL, 0);

    const HWND second = WaitForConfirmation(L"2");
    ASSERT_NE(second, nullptr) << "the request reached the button after the box closed";
    EXPECT_EQ(HandedCommandLine(), u"");
    PostMessageW(second, WM_COMMAND, IDCANCEL, 0);
    ExpectNoFurtherLink(vorbel.Button());
    EXPECT_EQ(HandedCommandLine(), u"");
}

INSTANTIATE_TEST_SUITE_P(Boxes, LaterInstanceBoxTest,
                         ::testing::Values(
                             // The raw command line, shown before the confirmation.
                             BoxCase{"RawCommandLine", {}, true, false},
                             // OK with a Sidexis exchange file that does not exist: the file-error box, titled with
                             // the executable's name.
                             BoxCase{"FileError",
                                     {{Setting::ImagingTarget, u"4"},
                                      {Setting::DataLocation, u"C:\\vorbel-absent\\siomin.sdx"}},
                                     false,
                                     true}),
                         [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

BOOL CALLBACK CountButtons(HWND w, LPARAM count) {
    wchar_t cls[64] = L"";
    if (GetClassNameW(w, cls, 64) && lstrcmpW(cls, L"VorbelLaunchButton") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int Buttons() {
    int count = 0;
    EnumWindows(CountButtons, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The link has ended and no other starts: Setup opens from the button, and no confirmation.
void ExpectAtRest(HWND button) {
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(button) != FALSE; }, 10000));
    Sleep(500);
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "no second link for the same request";
    PostMessageW(button, WM_COMMAND, 66, 0);
    const DWORD thread = GetWindowThreadProcessId(button, nullptr);
    HWND setup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (setup = test::FindDialog(thread, L"Paramétrage", button)) != nullptr; }, 10000))
        << "the button is at rest";
    PostMessageW(setup, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(button) != FALSE; }, 10000));
}

// A practice program's double click: two starts 30 ms apart, before either has a window.
TEST_F(LaterInstanceTest, TwoQuickStartsGiveOneButtonAndOneLink) {
    VorbelProcess first, second;
    ASSERT_TRUE(first.Start(L"", false));
    Sleep(30);
    ASSERT_TRUE(second.Start(L"4217 MARTIN HELENE", false));
    const HWND dialog = WaitForConfirmation(L"4217");
    ASSERT_NE(dialog, nullptr) << "the request reached a button";
    EXPECT_TRUE(WaitUntil([&] { return second.WaitForExit(0) || first.WaitForExit(0); }, 10000))
        << "the later one hands over and ends";
    EXPECT_EQ(Buttons(), 1);
    EXPECT_EQ(HandedCommandLine(), u"");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    const HWND button = FindWindowW(L"VorbelLaunchButton", L"Vorbel");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(button) != FALSE; }, 10000));
    Sleep(500);
    EXPECT_EQ(FindWindowW(nullptr, kConfirmationTitle), nullptr) << "no second link for the same request";
    EXPECT_EQ(Buttons(), 1);
}

// Setup is open when the request comes: it waits, then runs once Setup has closed.
TEST_F(LaterInstanceTest, RequestDuringSetupRunsWhenSetupCloses) {
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());
    PostMessageW(vorbel.Button(), WM_COMMAND, 66, 0);  // "Setup" of the context menu
    HWND setup = nullptr;
    const DWORD thread = GetWindowThreadProcessId(vorbel.Button(), nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return (setup = test::FindDialog(thread, L"Paramétrage", vorbel.Button())) != nullptr; }, 10000));
    EXPECT_EQ(test::RunLaterInstance(L"2 SECOND BRUNO"), 0);
    // The button has handled the request (a sent message comes after the posted one).
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutW(vorbel.Button(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
    Sleep(500);
    EXPECT_EQ(FindVisibleWindow(kConfirmationTitle), nullptr) << "no link inside Setup";
    // A remote click is refused too: no second Setup, no link over it.
    PostMessageW(vorbel.Button(), WM_APP + 1, 0, WM_LBUTTONUP);
    PostMessageW(vorbel.Button(), WM_COMMAND, 66, 0);
    ASSERT_TRUE(SendMessageTimeoutW(vorbel.Button(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
    Sleep(300);
    EXPECT_EQ(FindVisibleWindow(kConfirmationTitle), nullptr);
    PostMessageW(setup, WM_COMMAND, IDCANCEL, 0);
    const HWND dialog = WaitForConfirmation(L"2");
    ASSERT_NE(dialog, nullptr) << "the request ran after Setup closed";
    EXPECT_EQ(FindWindowW(nullptr, L"Paramétrage"), nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(vorbel.Button()) != FALSE; }, 10000));
    ExpectAtRest(vorbel.Button());
}

}  // namespace
}  // namespace vorbel
