// Faults and load: a burst of later instances, a damaged profile, files held or locked by others.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include <gtest/gtest.h>

#include <cstdio>

#include "settings/registry_profile.h"
#include "settings/settings_store.h"
#include "tests/core/malformed_values.h"
#include "tests/win/support/handoff_fixture.h"
#include "tests/win/support/vorbel_process.h"

namespace vorbel::test {
namespace {

constexpr wchar_t kConfirmationTitle[] = L"Informations extraites";

UniqueHandle StartProcess(const std::wstring& commandLine) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
    CloseHandle(pi.hThread);
    return UniqueHandle(pi.hProcess);
}

std::u16string Guillemets(const std::u16string& path) { return u"«\u00a0" + path + u"\u00a0»"; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

BOOL CALLBACK CountImagingWindow(HWND w, LPARAM count) {
    wchar_t cls[16];
    if (GetClassNameW(w, cls, 16) && lstrcmpW(cls, L"WVXMAIN") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int CountImagingWindows() {
    int count = 0;
    EnumWindows(CountImagingWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Twenty practice-program requests in a burst, each a later instance with its own patient,
// against a button that confirms by itself and starts the stand-in imaging program.
TEST(FaultLoad, BurstOfTwentyLaterInstances) {
    ClearVorbelProfile();
    TempDir temp;
    StandInWatch watch(temp.File(L"standin-record.txt"));  // before the start: Vorbel.exe inherits it
    {
        RegistryProfile profile = VorbelProfile();
        const uint32_t key = GetMachineKey();
        WriteSetting(profile, Setting::CommandLineConvention, key, u"109");  // chart, last, first
        WriteSetting(profile, Setting::SkipConfirmation, key, u"1");
        WriteSetting(profile, Setting::ImagingTarget, key, u"3");
        WriteSetting(profile, Setting::ProgramLocation, key, U(StandInExe().c_str()));
    }
    VorbelProcess vorbel;
    ASSERT_TRUE(vorbel.Start());

    // Each request ends before the next starts, as a practice program's successive calls do:
    // the newest patient is the last one's. All come while the first link is still running.
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < 20; ++i) {
        UniqueHandle later = StartProcess(L"\"" + TestBinDir() + L"Vorbel.exe\" " + std::to_wstring(9000 + i) +
                                          L" PATIENT" + std::to_wstring(i) + L" JEAN");
        ASSERT_TRUE(later) << "later instance " << i;
        ASSERT_EQ(WaitForSingleObject(later.get(), 30000), WAIT_OBJECT_0) << "later instance " << i << " hangs";
        DWORD code = 1;
        GetExitCodeProcess(later.get(), &code);
        EXPECT_EQ(code, 0u) << "later instance " << i;
    }
    const ULONGLONG launched = GetTickCount64() - start;

    // Settled: the button shown and no confirmation open, for longer than the pause after a link.
    auto idle = [&] { return IsWindowVisible(vorbel.Button()) && !FindWindowW(nullptr, kConfirmationTitle); };
    ULONGLONG idleSince = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (!idle()) return (idleSince = 0), false;
            if (!idleSince) idleSince = GetTickCount64();
            return GetTickCount64() - idleSince > 3000;
        },
        90000))
        << "the button never came back";
    EXPECT_FALSE(vorbel.WaitForExit(0)) << "the running button ended";
    EXPECT_TRUE(IsWindow(vorbel.Button()));
    EXPECT_EQ(VorbelProfile().GetString(u"CmdLine"), u"");

    const auto record = watch.Record();
    std::printf("[ burst    ] 20 later instances in %llu ms; %d imaging programs started; the last with %ls\n",
                launched, CountImagingWindows(), record ? record->commandLine.c_str() : L"(none)");
    ASSERT_TRUE(record.has_value());
    EXPECT_NE(record->commandLine.find(L"/ID:\"9019\" /LN:\"PATIENT19\""), std::wstring::npos)
        << "the imaging program was last given the newest patient";
    EXPECT_TRUE(vorbel.Quit());
    ClearVorbelProfile();
}

// The same malformed values as the native test, through the registry: REG_SZ with and without
// its terminating zero, under every setting, read by every reader.
TEST(FaultLoad, MalformedRegistryValuesReadSafely) {
    const std::wstring section = L"Software\\ZEMO\\vorbel_win_tests\\Vorbel";
    DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
    const uint32_t key = GetMachineKey();
    const std::vector<std::u16string> values = MalformedStoredValues();
    for (const Setting s : kEverySetting) {
        const std::wstring name = ToWide(ScrambledSettingName(s, key));
        const size_t limit = LimitsOf(s).plainRead;
        for (size_t i = 0; i < values.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "setting " << static_cast<char>(s) << ", value " << i);
            TheDiagnosticLog().Clear();
            // Odd entries lose their terminating zero and one byte more.
            const DWORD bytes = static_cast<DWORD>(i % 2 ? values[i].size() * 2 - 1 : (values[i].size() + 1) * 2);
            WriteRawValue(HKEY_CURRENT_USER, section, name, REG_SZ, values[i].c_str(), bytes);
            const std::u16string text = ReadSetting(s, key);
            EXPECT_LE(text.size(), limit);
            EXPECT_LE(ReadSettingWithDefault(s, key, u"0").size(), limit);
            const auto stored = ReadStoredSetting(s, key);
            ASSERT_TRUE(stored.has_value());
            EXPECT_EQ(*stored, text);
            (void)ReadSettingInt(s, key);
        }
    }
    DeleteTree(HKEY_CURRENT_USER, L"Software\\ZEMO");
}

TEST_F(HandOffTest, ExchangeFileHeldByAnotherProcessRefusesThenTakesTheNextLinkWhole) {
    const std::wstring exchange = temp_.File(L"siomin.sdx"), control = temp_.File(L"control.sdx");
    WriteBytes(exchange, "HEAD\r\n");
    WriteBytes(control, "HEAD\r\n");
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::SiteComputerName, u"CAB1");
    const PatientRecord patient = {u"7", u"DUPONT", u"Jean"};
    // What one link appends: two records.
    Set(Setting::DataLocation, control);
    ExpectAcceptedQuietly(HandOff(patient));
    ASSERT_TRUE(watch_.Record(10000).has_value());
    watch_.EndAll();
    watch_.Reset();
    const Bytes oneLink = ReadFileBytes(control);
    ASSERT_GT(oneLink.size(), 6u);

    Set(Setting::DataLocation, exchange);
    UniqueHandle holder = StartProcess(L"\"" + TestBinDir() + L"file_holder.exe\" \"" + exchange + L"\"");
    ASSERT_TRUE(holder);
    ASSERT_TRUE(WaitUntil(
        [&] {
            UniqueFile probe(CreateFileW(exchange.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
            return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
        },
        10000))
        << "the holder never held the file";
    ExpectRefusedWith(HandOff(patient), u"Le fichier " + Guillemets(Temp(L"siomin.sdx")) +
                                            u" est utilisé par un autre programme (violation de partage). "
                                            u"Réessayez dans un instant.");
    ExpectNothingStarted();

    TerminateProcess(holder.get(), 0);
    ASSERT_EQ(WaitForSingleObject(holder.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ReadFileBytes(exchange), ToBytes("HEAD\r\n")) << "zero bytes appended";
    messages_.clear();
    ExpectAcceptedQuietly(HandOff(patient));
    EXPECT_TRUE(watch_.Record(10000).has_value());
    EXPECT_EQ(ReadFileBytes(exchange), oneLink) << "exactly two records, as one link appends";
}

TEST_F(HandOffTest, ReadOnlyLinkageFileOfAnEarlierPatientIsNeverHandedOff) {
    const std::wstring program = CopyStandIn(temp_.File(L"Imagerie\\img.exe"));
    const std::wstring linkage = temp_.File(L"Imagerie\\Linkage.xml");
    WriteBytes(linkage, "earlier patient");
    ASSERT_TRUE(SetFileAttributesW(linkage.c_str(), FILE_ATTRIBUTE_READONLY));
    Set(Setting::ImagingTarget, u"2");
    Set(Setting::ProgramLocation, program);

    const HandOffOutcome outcome = HandOff({u"7", u"DUPONT", u"Jean"});
    SetFileAttributesW(linkage.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
    EXPECT_FALSE(FileExists(temp_.File(L"Imagerie\\Linkage"))) << "no temporary file stays";
    // Windows refuses to replace a read-only file; Wine replaces it. Either is sound, as long as
    // the imaging program never starts on the earlier patient.
    const Bytes bytes = ReadFileBytes(linkage);
    if (outcome == HandOffOutcome::Refused) {
        EXPECT_EQ(bytes, ToBytes("earlier patient"));
        EXPECT_EQ(messages_.size(), 1u);
        ExpectNothingStarted();
    } else {
        ExpectAcceptedQuietly(outcome);
        const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
        EXPECT_NE(text.find(u"DUPONT"), std::u16string::npos) << "the file names the current patient";
        EXPECT_EQ(text.find(u"earlier"), std::u16string::npos);
        EXPECT_TRUE(watch_.Record(10000).has_value());
    }
}

}  // namespace
}  // namespace vorbel::test
