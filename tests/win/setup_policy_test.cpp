// Setup under machine-wide policy: what IT fixed is shown greyed with a line saying so, and OK
// leaves the user's own values of those settings as they were.
#include <gtest/gtest.h>

#include "handoff/policy_templates.h"
#include "resources/resource.h"
#include "settings/policy_registry.h"
#include "setup/setup_dialog.h"
#include "tests/win/support/policy_support.h"
#include "tests/win/support/setup_test_support.h"
#include "tests/win/support/ui_driver.h"

namespace vorbel {
namespace {

using test::IsChecked;
using test::ItemText;
using test::SetPolicy;

constexpr wchar_t kNote[] = L"Les réglages grisés sont fixés par l'administrateur.";

class SetupPolicyTest : public test::SetupRegistryTest {
protected:
    void SetUp() override {
        test::SetupRegistryTest::SetUp();
        test::ClearPolicy();
        SetPolicyTemplateCheck(CheckPolicyTemplate);
    }
    void TearDown() override {
        test::ClearPolicy();
        test::SetupRegistryTest::TearDown();
    }
    // The user's own settings, stored before IT's policy arrives.
    void StoreUsersOwn() {
        Store(Setting::ImagingTarget, u"0");
        Store(Setting::ProgramLocation, u"C:\\mine\\vixwin.exe");
        Store(Setting::DataLocation, u"C:\\MesImages");
        Store(Setting::CommandLineConvention, u"42");
        Store(Setting::ExitMode, u"0");
        Store(Setting::SwapNames, u"0");
    }
    static bool Enabled(HWND d, int id) { return IsWindowEnabled(GetDlgItem(d, id)) != FALSE; }
    static bool PressOk(HWND d) {
        test::PostClick(d, IDOK);
        return test::WaitUntil([&] { return !IsWindow(d); });
    }
};

TEST_F(SetupPolicyTest, FixedSettingsAreGreyedShownAndNeverStored) {
    StoreUsersOwn();
    SetPolicy(HKEY_LOCAL_MACHINE, L"ImagingTarget", 1);
    SetPolicy(HKEY_LOCAL_MACHINE, L"ProgramLocation", L"D:\\CliniView\\CliniView.exe");
    SetPolicy(HKEY_CURRENT_USER, L"DataLocation", L"\\\\serveur\\cv\\CliniView.ini");
    SetPolicy(HKEY_LOCAL_MACHINE, L"CommandLineConvention", 2);
    SetPolicy(HKEY_LOCAL_MACHINE, L"ExitMode", 1);
    SetPolicy(HKEY_LOCAL_MACHINE, L"StartWithWindows", 1);

    CSetupDialog setup;
    std::wstring note, program, data;
    int convention = -2;
    bool cliniView = false, exitMode = false, startup = false;
    bool targetsEnabled = true, programEnabled = true, browseProgram = true, browseData = true,
         conventionEnabled = true, exitEnabled = true, startupEnabled = true, swapEnabled = false;
    test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle,
                      [&](HWND d) {
                          note = ItemText(d, IDC_POLICY_NOTE);
                          program = ItemText(d, IDC_PROGRAM_LOCATION);
                          data = ItemText(d, IDC_DATA_LOCATION);
                          convention = static_cast<int>(SendDlgItemMessageW(d, IDC_CONVENTION, CB_GETCURSEL, 0, 0));
                          cliniView = IsChecked(d, IDC_CLINIVIEW);
                          exitMode = IsChecked(d, IDC_EXIT_MODE);
                          startup = IsChecked(d, IDC_STARTUP_ENTRY);
                          targetsEnabled =
                              Enabled(d, IDC_VIXWIN) || Enabled(d, IDC_CLINIVIEW) || Enabled(d, IDC_OTHER_PROGRAM);
                          programEnabled = Enabled(d, IDC_PROGRAM_LOCATION);
                          browseProgram = Enabled(d, IDC_BROWSE_PROGRAM);
                          browseData = Enabled(d, IDC_BROWSE_DATA);
                          conventionEnabled = Enabled(d, IDC_CONVENTION);
                          exitEnabled = Enabled(d, IDC_EXIT_MODE);
                          startupEnabled = Enabled(d, IDC_STARTUP_ENTRY);
                          swapEnabled = Enabled(d, IDC_SWAP_NAMES);
                          // The user may still change what IT left to them.
                          SendDlgItemMessageW(d, IDC_SWAP_NAMES, BM_SETCHECK, BST_CHECKED, 0);
                          PressOk(d);
                      });
    EXPECT_EQ(note, kNote);
    EXPECT_TRUE(cliniView);
    EXPECT_EQ(program, L"D:\\CliniView\\CliniView.exe");
    EXPECT_EQ(data, L"\\\\serveur\\cv\\CliniView.ini");
    EXPECT_EQ(convention, 2);
    EXPECT_TRUE(exitMode);
    EXPECT_TRUE(startup);
    EXPECT_FALSE(targetsEnabled);
    EXPECT_FALSE(programEnabled);
    EXPECT_FALSE(browseProgram);
    EXPECT_FALSE(browseData);
    EXPECT_FALSE(conventionEnabled);
    EXPECT_FALSE(exitEnabled);
    EXPECT_FALSE(startupEnabled);
    EXPECT_TRUE(swapEnabled);

    // The user's own values are untouched underneath; what IT left to them is stored.
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"0");
    EXPECT_EQ(Stored(Setting::ProgramLocation), u"C:\\mine\\vixwin.exe");
    EXPECT_EQ(Stored(Setting::DataLocation), u"C:\\MesImages");
    EXPECT_EQ(Stored(Setting::CommandLineConvention), u"42");
    EXPECT_EQ(Stored(Setting::ExitMode), u"0");
    EXPECT_EQ(Stored(Setting::SwapNames), u"1");
    EXPECT_EQ(RunEntry(), std::nullopt) << "OK does not turn IT's choice into the user's entry";
}

TEST_F(SetupPolicyTest, AFixedProgramStaysWhenTheUserPicksAnotherTarget) {
    StoreUsersOwn();
    SetPolicy(HKEY_LOCAL_MACHINE, L"ProgramLocation", L"D:\\Rx\\rx.exe");
    CSetupDialog setup;
    std::wstring program, data;
    bool browseData = false;
    test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle,
                      [&](HWND d) {
                          test::Click(d, IDC_CLINIVIEW);
                          program = ItemText(d, IDC_PROGRAM_LOCATION);
                          data = ItemText(d, IDC_DATA_LOCATION);
                          browseData = Enabled(d, IDC_BROWSE_DATA);
                          PressOk(d);
                      });
    EXPECT_EQ(program, L"D:\\Rx\\rx.exe");
    EXPECT_NE(data, L"C:\\MesImages") << "the data location is the user's: CliniView's default";
    EXPECT_TRUE(browseData);
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"1");
    EXPECT_EQ(Stored(Setting::ProgramLocation), u"C:\\mine\\vixwin.exe");
}

TEST_F(SetupPolicyTest, WithoutPolicyNothingIsGreyedAndNothingIsSaid) {
    StoreUsersOwn();
    // A wrong value is no policy either.
    SetPolicy(HKEY_LOCAL_MACHINE, L"ExitMode", 7);
    CSetupDialog setup;
    std::wstring note = L"?";
    bool allEnabled = false;
    test::RunScripted(
        [&] { return setup.DoModal(nullptr); }, test::kSetupTitle,
        [&](HWND d) {
            note = ItemText(d, IDC_POLICY_NOTE);
            allEnabled = true;
            for (int id : {IDC_VIXWIN, IDC_CLINIVIEW, IDC_OTHER_PROGRAM, IDC_CONVENTION, IDC_PROGRAM_LOCATION,
                           IDC_BROWSE_PROGRAM, IDC_DATA_LOCATION, IDC_BROWSE_DATA, IDC_STARTUP_ENTRY, IDC_EXIT_MODE,
                           IDC_SKIP_CONFIRMATION, IDC_SWAP_NAMES, IDC_POINT_ONLY}) {
                allEnabled = allEnabled && Enabled(d, id);
            }
            SendDlgItemMessageW(d, IDC_EXIT_MODE, BM_SETCHECK, BST_CHECKED, 0);
            PressOk(d);
        });
    EXPECT_EQ(note, L"");
    EXPECT_TRUE(allEnabled);
    EXPECT_EQ(Stored(Setting::ExitMode), u"1");
}

// The policy note and a kept target's note share one row under the picture: what is visible
// there says who set the target and who greyed the rest.
TEST_F(SetupPolicyTest, OneRowSaysWhoSetTheTargetAndWhoGreyedTheRest) {
    const struct Case {
        const char* what;
        bool targetByPolicy, exitModeByPolicy;
        std::wstring visible;
    } cases[] = {
        {"policy only", false, true, kNote},
        {"installer's target, policy elsewhere", false, true,
         L"Cible : fichier de liaison, réglée par l'installation ; les autres grisés : par "
         L"l'administrateur"},
        {"administrator's target", true, false, L"Cible : fichier de liaison, réglée par l'administrateur"},
        {"installer's target alone", false, false, L"Cible : fichier de liaison, réglée par l'installation"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ClearPolicy();
        StoreUsersOwn();
        const bool kept = std::string(c.what) != "policy only";
        if (kept && !c.targetByPolicy) Store(Setting::ImagingTarget, u"2");
        if (c.targetByPolicy) SetPolicy(HKEY_LOCAL_MACHINE, L"ImagingTarget", 2);
        if (c.exitModeByPolicy) SetPolicy(HKEY_LOCAL_MACHINE, L"ExitMode", 1);
        std::wstring visible = L"?";
        int shown = 0;
        CSetupDialog setup;
        test::RunScripted([&] { return setup.DoModal(nullptr); }, test::kSetupTitle,
                          [&](HWND d) {
                              for (int id : {IDC_TARGET_NOTE, IDC_POLICY_NOTE}) {
                                  if (IsWindowVisible(GetDlgItem(d, id)) && !ItemText(d, id).empty()) {
                                      ++shown;
                                      visible = ItemText(d, id);
                                  }
                              }
                              test::PostClick(d, IDCANCEL);
                          });
        EXPECT_LE(shown, 1) << "one row, one text";
        EXPECT_EQ(visible, c.visible);
    }
}

}  // namespace
}  // namespace vorbel
