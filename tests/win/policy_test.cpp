// Machine-wide policy against the real registry: it wins at every read, is never stored, and a
// value that is wrong is ignored with a line in the log.
#include <gtest/gtest.h>

#include "handoff/policy_templates.h"
#include "handoff/web_export.h"
#include "settings/diagnostic_log.h"
#include "settings/policy_registry.h"
#include "settings/settings.h"
#include "text/text.h"
#include "setup/startup_entry.h"
#include "tests/win/support/policy_support.h"
#include "tests/win/support/settings_fixture.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::ClearPolicy;
using test::SetPolicy;

const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class PolicyTest : public test::SettingsTest {
protected:
    void SetUp() override {
        Clean();
        SetPolicyTemplateCheck(CheckPolicyTemplate);
    }
    void TearDown() override { Clean(); }
    // The settings, and the policy and start-up entries beside them.
    static void Clean() {
        SettingsTest::Clean();
        ClearPolicy();
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY run = nullptr;
            if (RegOpenKeyExW(root, kRunKey.c_str(), 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
                RegDeleteValueW(run, L"Vorbel");
                RegCloseKey(run);
            }
        }
    }
    // The user's own value, read past the policy.
    static std::u16string Users(Setting s) { return ReadStoredSetting(s, kKey).value_or(u"(absent)"); }
    static size_t Count(const std::u16string& text, const std::u16string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
};

TEST_F(PolicyTest, TheMachineWinsOverTheUserAndNeitherIsStored) {
    WriteSetting(Setting::ProgramLocation, kKey, u"C:\\mine\\rx.exe");
    WriteSetting(Setting::ImagingTarget, kKey, u"0");
    SetPolicy(HKEY_CURRENT_USER, L"ProgramLocation", L"C:\\hkcu\\rx.exe");
    SetPolicy(HKEY_LOCAL_MACHINE, L"ProgramLocation", L"C:\\hklm\\rx.exe");
    SetPolicy(HKEY_LOCAL_MACHINE, L"ImagingTarget", 4);
    SetPolicy(HKEY_LOCAL_MACHINE, L"CommandLineConvention", 3);

    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"C:\\hklm\\rx.exe");
    EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, kKey), 4);
    EXPECT_EQ(ReadSetting(Setting::CommandLineConvention, kKey), u"243");  // index 3, as stored
    EXPECT_EQ(ReadSettingWithDefault(Setting::ProgramLocation, kKey, u"C:\\default.exe"), u"C:\\hklm\\rx.exe");
    WriteSetting(Setting::ProgramLocation, kKey, u"C:\\other.exe");
    WriteSetting(Setting::ImagingTarget, kKey, u"1");
    EXPECT_EQ(Users(Setting::ProgramLocation), u"C:\\mine\\rx.exe");
    EXPECT_EQ(Users(Setting::ImagingTarget), u"0");
    EXPECT_EQ(Users(Setting::CommandLineConvention), u"(absent)");
    EXPECT_NE(TheDiagnosticLog().Text().find(u"Policy ProgramLocation -> C:\\hklm\\rx.exe\r\n"), std::u16string::npos);

    ClearPolicy();
    SetPolicy(HKEY_CURRENT_USER, L"ProgramLocation", L"C:\\hkcu\\rx.exe");
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"C:\\hkcu\\rx.exe");
    ClearPolicy();
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"C:\\mine\\rx.exe");
    EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, kKey), 0);
}

TEST_F(PolicyTest, AWrongValueIsIgnoredWithOneLineAndTheUsersSettingApplies) {
    WriteSetting(Setting::ImagingTarget, kKey, u"1");
    WriteSetting(Setting::ProgramLocation, kKey, u"C:\\mine\\rx.exe");
    WriteSetting(Setting::ArgumentTemplate, kKey, u"-n {NOM}");
    SetPolicy(HKEY_LOCAL_MACHINE, L"ImagingTarget", 9);
    SetPolicy(HKEY_LOCAL_MACHINE, L"ProgramLocation", 5);
    SetPolicy(HKEY_LOCAL_MACHINE, L"ArgumentTemplate", L"-n {NOM");
    test::SetPolicyLines(HKEY_LOCAL_MACHINE, L"BridgeFileContent", {L"[Patient]", L"ID={DOSSIER}"});
    for (int read = 0; read < 2; ++read) {
        EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, kKey), 1);
        EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"C:\\mine\\rx.exe");
        EXPECT_EQ(ReadSetting(Setting::ArgumentTemplate, kKey), u"-n {NOM}");
        EXPECT_EQ(ReadSetting(Setting::BridgeFileContent, kKey), u"[Patient]\r\nID={DOSSIER}");
    }
    const std::u16string& log = TheDiagnosticLog().Text();
    EXPECT_EQ(Count(log, u"Policy ImagingTarget (HKLM) ignored: out of range -1..6: 9\r\n"), 1u) << ToUtf8(log);
    EXPECT_EQ(Count(log, u"Policy ProgramLocation (HKLM) ignored: not REG_SZ\r\n"), 1u);
    EXPECT_EQ(Count(log, u"Policy ArgumentTemplate (HKLM) ignored: "), 1u);
}

// Group Policy writes the 64-bit view, the x86 package the 32-bit one: both must reach Vorbel,
// whichever build runs. They do because the machine holds one Software\Policies for both views.
TEST_F(PolicyTest, BothRegistryViewsReachVorbel) {
    const struct Case {
        const char* name;
        REGSAM view;
    } cases[] = {{"64-bit view", KEY_WOW64_64KEY}, {"32-bit view", KEY_WOW64_32KEY}};
    for (const Case& c : cases) {
        Clean();
        SetPolicy(HKEY_LOCAL_MACHINE, L"ImagingTarget", 4, c.view);
        EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, kKey), 4) << c.name;
    }
}

TEST_F(PolicyTest, TheInformationServerFollowsThePolicy) {
    const std::u16string before = InformationServerUrl();
    SetPolicy(HKEY_LOCAL_MACHINE, L"InfoServer", L"https://info.cabinet.example/");
    EXPECT_EQ(InformationServerUrl(), u"https://info.cabinet.example/");
    SetPolicy(HKEY_LOCAL_MACHINE, L"InfoServer", L"ftp://info.cabinet.example/");
    EXPECT_EQ(InformationServerUrl(), before);
}

TEST_F(PolicyTest, TheUsersRunEntryFollowsThePolicyAtStart) {
    const struct Case {
        const char* name;
        int policy;  // -1: none
        bool userEntry, machineEntry;
        bool expected;
    } cases[] = {
        {"no policy keeps an entry", -1, true, false, true},
        {"no policy writes none", -1, false, false, false},
        {"0 removes the user's entry", 0, true, false, false},
        {"1 writes the user's entry", 1, false, false, true},
        {"1 with the machine's entry writes none", 1, false, true, false},
    };
    for (const Case& c : cases) {
        Clean();
        if (c.policy >= 0) SetPolicy(HKEY_LOCAL_MACHINE, L"StartWithWindows", static_cast<DWORD>(c.policy));
        const std::wstring path = L"\"C:\\Program Files\\Vorbel\\Vorbel.exe\"";
        if (c.userEntry) {
            test::WriteRawValue(HKEY_CURRENT_USER, kRunKey, L"Vorbel", REG_SZ, path.c_str(), (path.size() + 1) * 2);
        }
        if (c.machineEntry) {
            test::WriteRawValue(HKEY_LOCAL_MACHINE, kRunKey, L"Vorbel", REG_SZ, path.c_str(), (path.size() + 1) * 2);
        }
        ApplyStartupPolicy();
        EXPECT_EQ(StartupEntryPresent(), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace vorbel
