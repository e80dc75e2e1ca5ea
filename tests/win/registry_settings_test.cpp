// The settings store against the real registry.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "settings/diagnostic_log.h"
#include "settings/registry_profile.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "tests/win/support/settings_fixture.h"
#include "tests/win/support/win_test_support.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using test::ReadRawValue;
using test::WriteRawValue;

const std::wstring kSection = L"Software\\ZEMO\\vorbel_win_tests\\Vorbel";

class RegistrySettingsTest : public test::SettingsTest {
protected:
    static std::vector<uint8_t> RegSzBytes(std::u16string_view text) {
        std::vector<uint8_t> bytes;
        for (char16_t c : text) {
            bytes.push_back(c & 0xFF);
            bytes.push_back(c >> 8);
        }
        bytes.push_back(0);
        bytes.push_back(0);
        return bytes;
    }
    static void WriteRawString(const std::wstring& name, const std::u16string& text) {
        WriteRawValue(HKEY_CURRENT_USER, kSection, name, REG_SZ, text.c_str(), (text.size() + 1) * 2);
    }
};

TEST_F(RegistrySettingsTest, MachineKeyIsTheSerialOfDriveC) {
    const char* expected = std::getenv("VORBEL_TEST_SERIAL");
    ASSERT_NE(expected, nullptr) << "the test rig sets the serial of the prefix's drive C";
    EXPECT_EQ(GetMachineKey(), std::strtoul(expected, nullptr, 16));
}

TEST_F(RegistrySettingsTest, ProfileFollowsTheExecutableName) {
    EXPECT_EQ(ToWide(ProfileKeyPath(u"Vorbel")), kSection);
}

TEST_F(RegistrySettingsTest, WriteStoresScrambledRegSzUnderTheMachineBoundName) {
    WriteSetting(Setting::ProgramLocation, kKey, u"C:\\vixwin\\vixwin.exe");
    // Names and data as existing installations hold them, written out literally.
    const auto raw = ReadRawValue(HKEY_CURRENT_USER, kSection, L"G5iJM888MT8TMO8OMR8R");
    ASSERT_TRUE(raw.present) << "the missing keys of the profile path are created";
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.bytes, RegSzBytes(u"ROis8NOGTyOaORTyTW8NOGTyOaORTyTWMWTMOaTM"));
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"C:\\vixwin\\vixwin.exe");
}

TEST_F(RegistrySettingsTest, ValuesOfAnExistingInstallationReadBack) {
    WriteRawString(L"GsiiMp8pMa8aMy8yMW8W", u"OO");  // Y.1A2B3C4D = "3"
    EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, kKey), 3);
    EXPECT_EQ(ReadSettingInt(Setting::ImagingTarget, kKey + 1), 0) << "another machine's key finds nothing";
}

TEST_F(RegistrySettingsTest, DefaultIsWrittenBackOnce) {
    EXPECT_EQ(ReadSettingWithDefault(Setting::DataLocation, kKey, u"C:\\Vximages"), u"C:\\Vximages");
    EXPECT_EQ(ReadSetting(Setting::DataLocation, kKey), u"C:\\Vximages");
    EXPECT_EQ(ReadSettingWithDefault(Setting::DataLocation, kKey, u"D:\\x"), u"C:\\Vximages");
}

TEST_F(RegistrySettingsTest, EmptyWriteLeavesAnEmptyEntry) {
    WriteSetting(Setting::SiteLabel, kKey, u"");
    const auto raw = ReadRawValue(HKEY_CURRENT_USER, kSection, ToWide(ScrambledSettingName(Setting::SiteLabel, kKey)));
    ASSERT_TRUE(raw.present);
    EXPECT_EQ(raw.bytes, RegSzBytes(u""));
    EXPECT_EQ(ReadSetting(Setting::SiteLabel, kKey), u"");
}

TEST_F(RegistrySettingsTest, MalformedRegistryDataReadsSafely) {
    const std::wstring name = ToWide(ScrambledSettingName(Setting::ProgramLocation, kKey));
    // REG_SZ without its terminating zero and with an odd byte count: the whole units are read.
    const std::u16string scrambled = ScrambleText(u"C:\\x");
    std::string odd(reinterpret_cast<const char*>(scrambled.data()), scrambled.size() * 2);
    odd.push_back('5');
    WriteRawValue(HKEY_CURRENT_USER, kSection, name, REG_SZ, odd.data(), static_cast<DWORD>(odd.size()));
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"C:\\x");
    WriteRawValue(HKEY_CURRENT_USER, kSection, name, REG_SZ, "OO5", 3);
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"") << "one unit is no pair of symbols";
    // Wrong type.
    const DWORD number = 7;
    WriteRawValue(HKEY_CURRENT_USER, kSection, name, REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey), u"");
    // Far beyond the limits: read without overrun and cut.
    const std::u16string huge(200000, u'R');
    WriteRawString(name, huge);
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, kKey).size(), 511u);
    WriteRawString(ToWide(ScrambledSettingName(Setting::WindowRect, kKey)), huge);
    EXPECT_EQ(ReadSetting(Setting::WindowRect, kKey).size(), 29u);
}

TEST_F(RegistrySettingsTest, HandedCommandLineIsAPlainString) {
    EXPECT_EQ(ReadHandedCommandLine(), u"");
    WriteHandedCommandLine(u"-I 1234 -N DUPONT^ÉLISE");
    const auto raw = ReadRawValue(HKEY_CURRENT_USER, kSection, L"CmdLine");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.bytes, RegSzBytes(u"-I 1234 -N DUPONT^ÉLISE"));
    EXPECT_EQ(ReadHandedCommandLine(), u"-I 1234 -N DUPONT^ÉLISE");
    WriteHandedCommandLine(u"");
    EXPECT_TRUE(ReadRawValue(HKEY_CURRENT_USER, kSection, L"CmdLine").present) << "the entry stays, empty";
    EXPECT_EQ(ReadHandedCommandLine(), u"");
    EXPECT_TRUE(TheDiagnosticLog().Text().empty()) << "plain entries are not logged";
}

// A later instance writes "CmdLine" while the running one reads it: every read gives one of the
// texts written, never the empty text that would drop the patient.
TEST_F(RegistrySettingsTest, HandedCommandLineReadsWholeWhileAnotherWriterMakesItLonger) {
    const std::u16string shorter = u"1 A B";
    const std::u16string longer = u"-I 4217 -N MARTIN^Hélène" + std::u16string(2000, u'x');
    WriteHandedCommandLine(shorter);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        // Its own handle on the key, as another process would have.
        while (!stop) {
            WriteRawString(L"CmdLine", longer);
            WriteRawString(L"CmdLine", shorter);
        }
    });
    int empty = 0, other = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::u16string text = ReadHandedCommandLine();
        if (text.empty()) ++empty;
        else if (text != shorter && text != longer) ++other;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(empty, 0) << "reads that lost the command line";
    EXPECT_EQ(other, 0);
}

TEST_F(RegistrySettingsTest, FtpTestModeIsReadAsADword) {
    EXPECT_EQ(ReadFtpTestMode(), 0);
    const DWORD one = 1;
    WriteRawValue(HKEY_CURRENT_USER, kSection, L"FTPTest", REG_DWORD, &one, sizeof(one));
    EXPECT_EQ(ReadFtpTestMode(), 1);
    WriteRawString(L"FTPTest", u"1");
    EXPECT_EQ(ReadFtpTestMode(), 0) << "a string is not the integer entry";
}

}  // namespace
}  // namespace vorbel
