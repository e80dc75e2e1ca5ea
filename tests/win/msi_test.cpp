// The MSI package under Wine: a silent install with properties writes machine-wide policy that a
// user's Vorbel obeys; an upgrade keeps it; an uninstall removes what the package wrote and never
// a user's settings.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include <gtest/gtest.h>

#include <windows.h>

// After windows.h: msi.h needs its types.
#include <msi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "handoff/policy_templates.h"
#include "settings/diagnostic_log.h"
#include "settings/policy_registry.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "text/text.h"
#include "tests/win/support/policy_support.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {
namespace {

const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Package() { return test::TestBinDir() + VORBEL_MSI_W; }
std::wstring NextPackage() { return test::TestBinDir() + VORBEL_MSI_NEXT_W; }

std::wstring Folder(int csidl) {
    wchar_t folder[MAX_PATH];
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}
std::wstring InstalledExe() { return Folder(CSIDL_PROGRAM_FILES) + L"\\Vorbel\\Vorbel.exe"; }
// Windows puts a per-machine package's shortcut in the common Start menu; Wine 8 puts it in the
// installing user's.
bool ShortcutPresent() {
    return test::FileExists(Folder(CSIDL_COMMON_PROGRAMS) + L"\\Vorbel.lnk") ||
           test::FileExists(Folder(CSIDL_PROGRAMS) + L"\\Vorbel.lnk");
}

std::optional<std::wstring> Text(HKEY root, const std::wstring& key, const std::wstring& name) {
    const test::RawValue raw = test::ReadRawValue(root, key, name);
    if (!raw.present) return std::nullopt;
    if (raw.type != REG_SZ) return L"(not REG_SZ)";
    std::wstring text(reinterpret_cast<const wchar_t*>(raw.bytes.data()), raw.bytes.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}
std::optional<std::wstring> PolicyValue(const std::wstring& name) {
    return Text(HKEY_LOCAL_MACHINE, test::kPolicyKey, name);
}

int Msiexec(const std::wstring& arguments) { return test::RunProcess(L"msiexec " + arguments, 180000); }

// One install through the installer service, without its interface, with the error messages an
// interface would have shown.
struct InstallRun {
    UINT rc;
    std::wstring errors;
};
INT CALLBACK CollectError(LPVOID context, UINT type, LPCWSTR message) {
    if ((type & 0xFF000000u) == INSTALLMESSAGE_ERROR && message) *static_cast<std::wstring*>(context) += message;
    return IDOK;
}
std::string Shown(const std::wstring& text) { return ToUtf8(U(text.c_str())); }
InstallRun Install(const std::wstring& package, const std::wstring& properties) {
    InstallRun run{};
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    const INSTALLUI_HANDLERW previous = MsiSetExternalUIW(CollectError, INSTALLLOGMODE_ERROR, &run.errors);
    run.rc = MsiInstallProductW(package.c_str(), properties.c_str());
    MsiSetExternalUIW(previous, 0, nullptr);
    return run;
}

class MsiTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        SetPolicyTemplateCheck(CheckPolicyTemplate);
    }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const std::wstring& package : {NextPackage(), Package()}) Msiexec(L"/x \"" + package + L"\" /qn");
        test::ClearPolicy();
        test::ClearVorbelProfile();
        SHDeleteValueW(HKEY_CURRENT_USER, kRunKey.c_str(), L"Vorbel");
        SHDeleteValueW(HKEY_LOCAL_MACHINE, kRunKey.c_str(), L"Vorbel");
        TheDiagnosticLog().Clear();
    }
    static std::u16string Users(Setting s) {
        RegistryProfile profile = test::VorbelProfile();
        return ReadSetting(profile, s, GetMachineKey());
    }
    static void StoreUsers(Setting s, std::u16string_view plain) {
        RegistryProfile profile = test::VorbelProfile();
        WriteSetting(profile, s, GetMachineKey(), plain);
    }
    // Every value the package may write, and where.
    static void ExpectNothingLeft() {
        EXPECT_FALSE(test::FileExists(InstalledExe()));
        EXPECT_FALSE(ShortcutPresent());
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, L"Vorbel"), std::nullopt);
        for (const PolicyDefinition& d : kPolicyDefinitions) {
            EXPECT_EQ(PolicyValue(ToWide(d.name)), std::nullopt) << ToUtf8(d.name);
        }
    }
};

TEST_F(MsiTest, PropertiesBecomePolicyThatTheUsersVorbelObeys) {
    ASSERT_TRUE(test::FileExists(Package()));
    StoreUsers(Setting::ImagingTarget, u"0");
    StoreUsers(Setting::ProgramLocation, u"C:\\vixwin\\vixwin.exe");
    const std::wstring userEntry = L"\"C:\\ailleurs\\Vorbel.exe\"";
    test::WriteRawValue(HKEY_CURRENT_USER, kRunKey, L"Vorbel", REG_SZ, userEntry.c_str(), (userEntry.size() + 1) * 2);

    ASSERT_EQ(Msiexec(L"/i \"" + Package() +
                      L"\" /qn TARGET=6 PROGRAM=\"C:\\Program Files\\Radio\\viewer.exe\" CONVENTION=2"
                      L" ARGUMENTS=\"/ID:{DOSSIER} /N:{NOM}\" EXITMODE=1 STARTUP=0"),
              0);
    EXPECT_TRUE(test::FileExists(InstalledExe()));
    EXPECT_TRUE(ShortcutPresent());
    EXPECT_EQ(PolicyValue(L"ImagingTarget"), L"6");
    EXPECT_EQ(PolicyValue(L"ProgramLocation"), L"C:\\Program Files\\Radio\\viewer.exe");
    EXPECT_EQ(PolicyValue(L"StartWithWindows"), L"0");
    EXPECT_EQ(PolicyValue(L"DataLocation"), std::nullopt) << "only the properties given";
    EXPECT_EQ(PolicyValue(L"SwapNames"), std::nullopt);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, L"Vorbel"), std::nullopt);

    // What every user's Vorbel then reads, over their own settings.
    const uint32_t key = GetMachineKey();
    EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, key), 6);
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, key), u"C:\\Program Files\\Radio\\viewer.exe");
    EXPECT_EQ(DecodeConventionIndex(ReadSettingInt(Setting::CommandLineConvention, key)), 2);
    EXPECT_EQ(ReadSetting(Setting::ArgumentTemplate, key), u"/ID:{DOSSIER} /N:{NOM}");
    EXPECT_EQ(ReadSettingInt(Setting::ExitMode, key), 1);
    {
        // The installed program, started as the user, drops the user's Run entry: IT said no.
        test::VorbelProcess vorbel(InstalledExe());
        ASSERT_TRUE(vorbel.Start());
        EXPECT_EQ(Text(HKEY_CURRENT_USER, kRunKey, L"Vorbel"), std::nullopt);
        EXPECT_TRUE(vorbel.Quit());
    }

    ASSERT_EQ(Msiexec(L"/x \"" + Package() + L"\" /qn"), 0);
    ExpectNothingLeft();
    EXPECT_EQ(Users(Setting::ImagingTarget), u"0") << "the user's settings stay";
    EXPECT_EQ(Users(Setting::ProgramLocation), u"C:\\vixwin\\vixwin.exe");
}

TEST_F(MsiTest, StartupForEveryUserIsTheMachinesRunEntry) {
    ASSERT_EQ(Msiexec(L"/i \"" + Package() + L"\" /qn STARTUP=1"), 0);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, L"Vorbel"), L"\"" + InstalledExe() + L"\"");
    EXPECT_EQ(PolicyValue(L"StartWithWindows"), L"1");
    ASSERT_EQ(Msiexec(L"/x \"" + Package() + L"\" /qn"), 0);
    ExpectNothingLeft();
}

TEST_F(MsiTest, AnAwkwardPropertyIsStoredExactly) {
    // Quotes, backslashes, a line break, the 511 characters a setting holds. On msiexec's command
    // line a quote inside a quoted value is doubled.
    std::wstring value = L"/N:\"{NOM}\" C:\\dossier\\ \\\\serveur\\part\\\r\n{PRENOM}";
    value += std::wstring(511 - value.size(), L'x');
    std::wstring quoted;
    for (wchar_t c : value) quoted += c == L'"' ? std::wstring(L"\"\"") : std::wstring(1, c);
    // Handed to the installer service as msiexec hands them: Wine's msiexec drops doubled quotes
    // from its own command line before the service sees them.
    const InstallRun run = Install(Package(), L"ARGUMENTS=\"" + quoted + L"\"");
    ASSERT_EQ(run.rc, static_cast<UINT>(ERROR_SUCCESS)) << Shown(run.errors);
    EXPECT_EQ(PolicyValue(L"ArgumentTemplate"), value);
    EXPECT_EQ(ReadSetting(Setting::ArgumentTemplate, GetMachineKey()), U(value.c_str()));
}

// A value that begins with "#" stays the string given: Windows Installer reads a leading "#" of a
// registry value as its type ("#" a DWORD, "#%" an expandable string, "#x" binary) and drops the
// first of "##". An upgrade that reads them back writes them unchanged.
TEST_F(MsiTest, PropertiesBeginningWithHashStayStrings) {
    struct Case {
        std::wstring property, policy, value;
        Setting setting;
    };
    const Case cases[] = {
        {L"ARGUMENTS", L"ArgumentTemplate", L"#{DOSSIER}", Setting::ArgumentTemplate},
        {L"PROGRAM", L"ProgramLocation", L"#C:\\Radio\\viewer.exe", Setting::ProgramLocation},
        {L"DATALOCATION", L"DataLocation", L"##x", Setting::DataLocation},
        {L"BRIDGEPATH", L"BridgeFilePath", L"#%TEMP%\\{DOSSIER}.ini", Setting::BridgeFilePath},
        {L"BRIDGECONTENT", L"BridgeFileContent", L"#x{NOM}", Setting::BridgeFileContent},
    };
    std::wstring properties = L"TARGET=6";
    for (const Case& c : cases) properties += L" " + c.property + L"=\"" + c.value + L"\"";
    ASSERT_EQ(Msiexec(L"/i \"" + Package() + L"\" /qn " + properties), 0);
    const uint32_t key = GetMachineKey();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        EXPECT_EQ(PolicyValue(c.policy), c.value);
        EXPECT_EQ(ReadSetting(c.setting, key), U(c.value.c_str())) << "the user's Vorbel obeys it";
    }
    // With the interface (reduced: no dialog waits), whose sequence runs before the one that writes.
    ASSERT_EQ(Msiexec(L"/i \"" + NextPackage() + L"\" /qr"), 0);
    for (const Case& c : cases) EXPECT_EQ(PolicyValue(c.policy), c.value) << "after the upgrade";
}

// What Vorbel would ignore is refused at install, with a message naming the property, and the
// package installs nothing, not even the valid properties given with it.
TEST_F(MsiTest, APropertyVorbelWouldIgnoreInstallsNothing) {
    struct Case {
        std::wstring properties;
        std::wstring said;  // in the message, after the property's name
    };
    for (const Case& c : {
             Case{L"TARGET=9", L"TARGET\u00a0: un nombre entier de -1 à 6"},
             // would be written as the DWORD 5
             Case{L"TARGET=#5", L"TARGET\u00a0: un nombre entier"},
             // the template's whole message, braces included
             Case{L"TARGET=6 PROGRAM=C:\\x.exe ARGUMENTS=\"/N:{NOM} /A:{AGE}\"",
                  L"ARGUMENTS\u00a0: " + ToWide(CheckPolicyTemplate(Setting::ArgumentTemplate, u"/N:{NOM} /A:{AGE}"))},
             Case{L"ARGUMENTS=\"{NOM}" + std::wstring(600, L'x') + L"\"", L"ARGUMENTS\u00a0: plus de 511 caractères"},
             Case{L"INFOSERVER=ftp://info.example.fr/", L"INFOSERVER\u00a0: une adresse http://"},
         }) {
        SCOPED_TRACE(c.properties.substr(0, 60));
        Clean();
        const InstallRun run = Install(Package(), c.properties);
        EXPECT_EQ(run.rc, static_cast<UINT>(ERROR_INSTALL_FAILURE));
        EXPECT_NE(run.errors.find(L"Vorbel n'a pas été installé"), std::wstring::npos) << Shown(run.errors);
        EXPECT_NE(run.errors.find(c.said), std::wstring::npos) << Shown(run.errors);
        ExpectNothingLeft();
    }
}

TEST_F(MsiTest, AnUpgradeKeepsThePolicyAndTheUsersSettings) {
    ASSERT_TRUE(test::FileExists(NextPackage()));
    StoreUsers(Setting::SwapNames, u"1");
    ASSERT_EQ(Msiexec(L"/i \"" + Package() + L"\" /qn TARGET=4 PROGRAM=\"C:\\Sidexis\\sidexis.exe\" STARTUP=1"), 0);
    ASSERT_EQ(Msiexec(L"/i \"" + NextPackage() + L"\" /qn"), 0);
    EXPECT_TRUE(test::FileExists(InstalledExe()));
    EXPECT_EQ(PolicyValue(L"ImagingTarget"), L"4");
    EXPECT_EQ(PolicyValue(L"ProgramLocation"), L"C:\\Sidexis\\sidexis.exe");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRunKey, L"Vorbel"), L"\"" + InstalledExe() + L"\"");
    EXPECT_EQ(Users(Setting::SwapNames), u"1");

    // The older package is gone: removing it changes nothing; the newer one removes everything.
    Msiexec(L"/x \"" + Package() + L"\" /qn");
    EXPECT_EQ(PolicyValue(L"ImagingTarget"), L"4");
    ASSERT_EQ(Msiexec(L"/x \"" + NextPackage() + L"\" /qn"), 0);
    ExpectNothingLeft();
    EXPECT_EQ(Users(Setting::SwapNames), u"1");
}

TEST_F(MsiTest, AnUpgradeGivenNewValuesTakesThem) {
    ASSERT_EQ(Msiexec(L"/i \"" + Package() + L"\" /qn TARGET=4 CONVENTION=1"), 0);
    ASSERT_EQ(Msiexec(L"/i \"" + NextPackage() + L"\" /qn TARGET=1"), 0);
    EXPECT_EQ(PolicyValue(L"ImagingTarget"), L"1");
    EXPECT_EQ(PolicyValue(L"CommandLineConvention"), L"1");
}

}  // namespace
}  // namespace vorbel
