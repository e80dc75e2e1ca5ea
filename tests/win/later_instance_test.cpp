// A later instance's request while other windows carry the title "Vorbel": Vorbel's own message
// boxes, and another program's window. The request must reach the running button, once.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "tests/win/foreign_window.h"
#include "tests/win/shift_held.h"
#include "tests/win/vorbel_process.h"

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

class LaterInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ClearVorbelProfile();
        key_ = GetMachineKey();
        Store(Setting::CommandLineConvention, u"109");  // "Dossier Nom Prénom"
    }
    void TearDown() override { test::ClearVorbelProfile(); }

    void Store(Setting s, const std::u16string& value) {
        RegistryProfile profile = test::VorbelProfile();
        WriteSetting(profile, s, key_, value);
    }
    static std::u16string HandedCommandLine() { return test::VorbelProfile().GetString(u"CmdLine"); }

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

    uint32_t key_ = 0;
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
