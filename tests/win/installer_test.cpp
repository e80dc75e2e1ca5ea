// The installer's round trip under Wine: silent install with presets, a start, an uninstall.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "tests/win/support/vorbel_process.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {
namespace {

const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring SetupExe() { return test::TestBinDir() + VORBEL_SETUP_W; }

std::wstring InstallDir() {
    wchar_t folder[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Vorbel";
}

std::wstring StartMenuShortcut() {
    wchar_t folder[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Vorbel.lnk";
}

std::wstring RunEntry() {
    const auto raw = test::ReadRawValue(HKEY_CURRENT_USER, kRunKey, L"Vorbel");
    if (!raw.present || raw.type != REG_SZ) return L"";
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.bytes.data()));
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        test::ClearVorbelProfile();
        const std::wstring dir = InstallDir();
        if (test::FileExists(dir + L"\\Uninstall.exe")) {
            test::RunProcess(L"\"" + dir + L"\\Uninstall.exe\" /S _?=" + dir, 60000);
        }
        DeleteFileW((dir + L"\\Uninstall.exe").c_str());
        RemoveDirectoryW(dir.c_str());
        SHDeleteValueW(HKEY_CURRENT_USER, kRunKey.c_str(), L"Vorbel");
    }
    std::u16string Stored(Setting s) {
        RegistryProfile profile = test::VorbelProfile();
        return ReadSetting(profile, s, GetMachineKey());
    }
};

TEST_F(InstallerTest, SilentInstallPresetsStartsAndUninstallsKeepingTheSettings) {
    ASSERT_TRUE(test::FileExists(SetupExe()));
    ASSERT_EQ(test::RunProcess(L"\"" + SetupExe() +
                                   L"\" /S /TARGET=3 /PROGRAM=\"C:\\Program Files\\Radio\\viewer.exe\" /CONVENTION=2"
                                   L" /INFOSERVER=\"https://localhost:8443/\"",
                               120000),
              0);
    const std::wstring exe = InstallDir() + L"\\Vorbel.exe";
    EXPECT_TRUE(test::FileExists(exe));
    EXPECT_TRUE(test::FileExists(StartMenuShortcut()));
    EXPECT_EQ(RunEntry(), L"\"" + exe + L"\"") << "the same startup entry as Setup's, quoted";
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"3");
    EXPECT_EQ(Stored(Setting::ProgramLocation), u"C:\\Program Files\\Radio\\viewer.exe");
    EXPECT_EQ(Stored(Setting::CommandLineConvention), u"176");
    EXPECT_EQ(test::VorbelProfile().GetString(u"InfoServer"), u"https://localhost:8443/");

    {
        test::VorbelProcess vorbel(exe);
        ASSERT_TRUE(vorbel.Start());
        EXPECT_TRUE(vorbel.Quit());
    }

    ASSERT_EQ(test::RunProcess(L"\"" + InstallDir() + L"\\Uninstall.exe\" /S _?=" + InstallDir(), 60000), 0);
    EXPECT_FALSE(test::FileExists(exe));
    EXPECT_FALSE(test::FileExists(StartMenuShortcut()));
    EXPECT_EQ(RunEntry(), L"");
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"3") << "the user's settings stay";
}

TEST_F(InstallerTest, SilentInstallPresetsTheTemplatesOfAnotherProgram) {
    test::TempDir temp;
    const std::wstring contentFile = temp.File(L"contenu.txt");
    {
        // As IT would write it: UTF-8 with its BOM, several lines.
        const std::string content =
            "\xEF\xBB\xBF[Patient]\r\nNom={NOM}\r\nPr\xC3\xA9nom={PRENOM}\r\nNe={NAISSANCE:AAAAMMJJ}\r\n";
        FILE* f = _wfopen(contentFile.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fwrite(content.data(), 1, content.size(), f);
        fclose(f);
    }
    ASSERT_EQ(test::RunProcess(L"\"" + SetupExe() +
                                   L"\" /S /TARGET=6 /PROGRAM=\"C:\\Radio\\viewer.exe\""
                                   L" /ARGUMENTS='/ID:{DOSSIER} /N:\"{NOM}, {PRENOM}\" @{FICHIER}'"
                                   L" /BRIDGEPATH='C:\\pont\\{DOSSIER}.ini' /BRIDGECONTENTFILE=\"" +
                                   contentFile + L"\" /ENCODING=3 /XMLESCAPE=1",
                               120000),
              0);
    EXPECT_TRUE(test::FileExists(InstallDir() + L"\\Vorbel.exe"));
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"6");
    EXPECT_EQ(Stored(Setting::ArgumentTemplate), u"/ID:{DOSSIER} /N:\"{NOM}, {PRENOM}\" @{FICHIER}");
    EXPECT_EQ(Stored(Setting::BridgeFilePath), u"C:\\pont\\{DOSSIER}.ini");
    EXPECT_EQ(Stored(Setting::BridgeFileContent),
              u"[Patient]\r\nNom={NOM}\r\nPrénom={PRENOM}\r\nNe={NAISSANCE:AAAAMMJJ}\r\n");
    EXPECT_EQ(Stored(Setting::BridgeFileEncoding), u"3");
    EXPECT_EQ(Stored(Setting::BridgeXmlEscape), u"1");
}

// Each value reaches the settings as given, however the installer's own command-line reading would
// take it: a final backslash before the closing quote, a " /D=" inside a template (which the
// installer alone takes as its folder), options beyond the installer's 1,024 characters.
TEST_F(InstallerTest, SilentInstallStoresEveryPresetValueExactly) {
    const std::wstring arguments = L"-x {NOM} /D=C:\\faux @{FICHIER} " + std::wstring(250, L'a');
    const std::wstring content = L"[Patient]\r\nNom={NOM}\r\n" + std::wstring(480, L'N') + L"\r\n";
    const std::wstring bridgePath = L"C:\\pont\\" + std::wstring(200, L'p') + L"{DOSSIER}.ini";
    const std::wstring options = L" /S /TARGET=6 /PROGRAM=\"C:\\Imaging\\\" /CONVENTION=1 /ARGUMENTS='" + arguments +
                                 L"' /BRIDGECONTENT='" + content + L"' /BRIDGEPATH='" + bridgePath + L"' /XMLESCAPE=1";
    ASSERT_GT(options.size(), 1024u);
    ASSERT_EQ(test::RunProcess(L"\"" + SetupExe() + L"\"" + options, 120000), 0);

    EXPECT_TRUE(test::FileExists(InstallDir() + L"\\Vorbel.exe")) << "installed where no /D= was given";
    EXPECT_EQ(Stored(Setting::ImagingTarget), u"6");
    EXPECT_EQ(Stored(Setting::ProgramLocation), u"C:\\Imaging\\");
    EXPECT_EQ(Stored(Setting::CommandLineConvention), u"109");
    EXPECT_EQ(ToWide(Stored(Setting::ArgumentTemplate)), arguments);
    EXPECT_EQ(ToWide(Stored(Setting::BridgeFileContent)), content);
    EXPECT_EQ(ToWide(Stored(Setting::BridgeFilePath)), bridgePath);
    EXPECT_EQ(Stored(Setting::BridgeXmlEscape), u"1");
}

// The folder given last is the one installed into, even after a template holding " /D=".
TEST_F(InstallerTest, TheFolderGivenLastStaysAfterATemplateHoldingSlashD) {
    test::TempDir temp;
    const std::wstring folder = temp.File(L"Vorbel ici");
    ASSERT_EQ(test::RunProcess(L"\"" + SetupExe() + L"\" /S /TARGET=6 /ARGUMENTS='-x /D=C:\\faux {NOM}' /D=" + folder,
                               120000),
              0);
    EXPECT_TRUE(test::FileExists(folder + L"\\Vorbel.exe"));
    EXPECT_EQ(Stored(Setting::ArgumentTemplate), u"-x /D=C:\\faux {NOM}");
    EXPECT_EQ(test::RunProcess(L"\"" + folder + L"\\Uninstall.exe\" /S _?=" + folder, 60000), 0);
}

TEST_F(InstallerTest, RefusedPresetInstallsNothing) {
    struct Case {
        std::wstring options;
    };
    for (const Case& c : {Case{L"/TARGET=9"}, Case{L"/CONVENTION=x"}, Case{L"/PROGRAM=\"C:\\Rœntgen\\x.exe\""},
                          Case{L"/TARGET=6 /ARGUMENTS='/N:{NOM} /A:{AGE}'"}, Case{L"/BRIDGECONTENT='Nom={NOM}'"},
                          Case{L"/ENCODING=5"}, Case{L"/STARTUP=2"},
                          // over the setting's limit, which the installer would not have cut
                          Case{L"/TARGET=6 /BRIDGEPATH='C:\\pont\\{DOSSIER}.ini' /BRIDGECONTENT='{NOM}" +
                               std::wstring(600, L'x') + L"'"}}) {
        SCOPED_TRACE(std::string(c.options.begin(), c.options.end()));
        EXPECT_EQ(test::RunProcess(L"\"" + SetupExe() + L"\" /S " + c.options, 120000), 2);
        EXPECT_FALSE(test::FileExists(InstallDir() + L"\\Vorbel.exe"));
        EXPECT_EQ(RunEntry(), L"");
    }
}

// /STARTUP=0 is obeyed wherever it stands, also where the installer's own reading of its command
// line has stopped: after a template holding " /D=", past 1,024 characters.
TEST_F(InstallerTest, StartupEntryCanBeDeclined) {
    struct Case {
        std::wstring before;     // the options before /STARTUP=0
        std::wstring arguments;  // the template stored, when one is given
    };
    const std::wstring longArguments = L"-x {NOM} " + std::wstring(480, L'a');
    const std::wstring longOptions =
        L"/TARGET=6 /PROGRAM=\"C:\\" + std::wstring(500, L'p') + L"\\x.exe\" /ARGUMENTS='" + longArguments + L"'";
    ASSERT_GT(longOptions.size(), 1024u);
    for (const Case& c : {Case{L"", L""}, Case{L"/TARGET=6 /ARGUMENTS='-x /D=C:\\faux {NOM}'", L"-x /D=C:\\faux {NOM}"},
                          Case{longOptions, longArguments}}) {
        SCOPED_TRACE(c.before.substr(0, 60));
        Clean();
        const std::wstring line = L"\"" + SetupExe() + L"\" /S " + c.before + L" /STARTUP=0";
        ASSERT_EQ(test::RunProcess(line, 120000), 0);
        EXPECT_TRUE(test::FileExists(InstallDir() + L"\\Vorbel.exe"));
        EXPECT_EQ(RunEntry(), L"");
        EXPECT_EQ(ToWide(Stored(Setting::ArgumentTemplate)), c.arguments);
    }
}

}  // namespace
}  // namespace vorbel
