// Each imaging target end to end: the files it leaves, and the program started as it recorded.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include "tests/win/support/handoff_fixture.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "handoff/handoff_files.h"

namespace vorbel::test {
namespace {

constexpr DWORD kStartFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;

bool IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> Arguments(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args;
}

std::wstring ReadIni(const std::u16string& path, const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"PracticeManagementInterface", key, L"<absent>", value, 256, W(path));
    return value;
}

// The reference patient of the exchange-file records: N record as published, A record at the
// fixture's clock.
const Bytes kNRecord = {0x3A, 0x00, 0x4E, 0x00, 0x90, 0x4C, 0x90, 0x00, 0x41, 0x6E, 0x61, 0x00, 0x30, 0x35, 0x2E,
                        0x30, 0x33, 0x2E, 0x31, 0x39, 0x37, 0x30, 0x00, 0x37, 0x00, 0x4D, 0x00, 0x20, 0x00, 0x5C,
                        0x5C, 0x43, 0x41, 0x42, 0x31, 0x5C, 0x53, 0x44, 0x58, 0x4C, 0x69, 0x6E, 0x6B, 0x00, 0x5C,
                        0x5C, 0x2A, 0x5C, 0x53, 0x49, 0x44, 0x45, 0x58, 0x49, 0x53, 0x00, 0x0D, 0x0A};
const Bytes kARecord =
    ToBytes(std::string("\x4F\x00"
                        "A\0"
                        "\x90L\x90\0"
                        "Ana\0"
                        "05.03.1970\0"
                        "7\0"
                        "CAB1\0"
                        "09.01.2024\0"
                        "08:05:03\0"
                        "\\\\CAB1\\SDXLink\0"
                        "\\\\*\\SIDEXIS\0"
                        "\r\n",
                        0x4F));

TEST_F(HandOffTest, VixWinCreatesBothFoldersAndStartsMaximisedWithThePatient) {
    Set(Setting::ImagingTarget, u"0");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, temp_.File(L"Vximages"));
    // The stand-in takes a while before it waits for input: the step must wait for that.
    SetEnvironmentVariableW(L"VORBEL_STANDIN_DELAY_MS", L"700");

    ExpectAcceptedQuietly(HandOff({u" 12 3 ", u"  DE LA TOUR", u"JEAN MARIE\t"}));

    EXPECT_TRUE(StandInWatch::WindowOpen()) << "returns only once the program waits for input";
    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine,
              StandInExe() + L" -I 12_3 -N DE_LA_TOUR^JEAN_MARIE -P " + temp_.File(L"Vximages\\0012_3"));
    EXPECT_EQ(record->show, SW_SHOWMAXIMIZED);
    EXPECT_EQ(record->flags & kStartFlags, kStartFlags);
    EXPECT_TRUE(IsFolder(Temp(L"Vximages")));
    EXPECT_TRUE(IsFolder(Temp(L"Vximages\\0012_3")));
}

// A quote, a tab or a backslash in a name stays inside its argument, where VixWin once read
// `O"BRIEN -P C:\pirate` as a patient folder of the name's choosing. Ordinary names get the
// bytes they always got (above).
TEST_F(HandOffTest, VixWinKeepsEachValueInsideItsArgument) {
    Set(Setting::ImagingTarget, u"0");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, temp_.File(L"Vximages"));
    const std::wstring folder = temp_.File(L"Vximages\\004217");
    const struct {
        PatientRecord patient;
        std::wstring name;  // the argument after -N
    } cases[] = {
        {{u"4217", u"O\"BRIEN -P C:\\pirate", u"ANN"}, L"O'BRIEN_-P_C:\\pirate^ANN"},
        {{u"4217", u"DE\tLA TOUR", u"JEAN\\"}, L"DE\tLA_TOUR^JEAN\\"},
        {{u"4217", u"A", u"J\tP\\"}, L"A^J\tP\\"},
        {{u"4217", u"A\" \"", u"\"B"}, L"A'_'^'B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.patient.lastName + u"^" + c.patient.firstName));
        watch_.EndAll();
        watch_.Reset();
        ExpectAcceptedQuietly(HandOff(c.patient));
        const auto record = watch_.Record(10000);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->arguments,
                  (std::vector<std::wstring>{StandInExe(), L"-I", L"4217", L"-N", c.name, L"-P", folder}))
            << ToUtf8(U(record->commandLine.c_str()));
    }
}

TEST_F(HandOffTest, CliniViewGetsItsFiveEntriesInOrderThenTheProgramAlone) {
    const std::u16string ini = Temp(L"CliniView.ini");
    Set(Setting::ImagingTarget, u"1");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, ini);

    ExpectAcceptedQuietly(HandOff({u"42 ", u"DE LA TOUR", u"ÉLISE"}));

    EXPECT_EQ(ReadIni(ini, L"USE_PRACTICE_MANAGEMENT"), L"1");
    EXPECT_EQ(ReadIni(ini, L"CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY"), L"1");
    EXPECT_EQ(ReadIni(ini, L"PATID"), L"42");
    EXPECT_EQ(ReadIni(ini, L"PATLNAME"), L"DE LA TOUR") << "spaces stay for CliniView";
    EXPECT_EQ(ReadIni(ini, L"PATFNAME"), L"ÉLISE");
    wchar_t section[1024] = {};
    const DWORD n = GetPrivateProfileSectionW(L"PracticeManagementInterface", section, 1024, W(ini));
    static const wchar_t kInOrder[] =
        L"USE_PRACTICE_MANAGEMENT=1\0CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY=1\0"
        L"PATID=42\0PATLNAME=DE LA TOUR\0PATFNAME=ÉLISE\0";
    EXPECT_EQ(std::wstring(section, n), std::wstring(kInOrder, std::size(kInOrder) - 1));

    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, StandInExe());
    EXPECT_EQ(record->show, SW_SHOWMAXIMIZED);
}

TEST_F(HandOffTest, LinkageFileReplacesTheEarlierOneBesideTheProgram) {
    const std::wstring program = CopyStandIn(temp_.File(L"Imagerie\\img.exe"));
    const std::wstring linkage = temp_.File(L"Imagerie\\Linkage.xml");
    {
        UniqueFile old(CreateFileW(linkage.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        WriteFile(old.get(), "previous patient", 16, &written, nullptr);
    }
    Set(Setting::ImagingTarget, u"2");
    Set(Setting::ProgramLocation, program);

    ExpectAcceptedQuietly(HandOff({u"7", u"O'BRIEN & FILS", u"ÉLISE"}, {u" 05/03/1970 ", 1, u"", u""}));

    const std::u16string xml =
        u"<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\r\n"
        u"<LinkageParameter>\r\n"
        u"<Patient LastName=\"O&apos;BRIEN &amp; FILS\" FirstName=\"ÉLISE\" ChartNumber=\"7\">\r\n"
        u"<Birthday>05/03/1970</Birthday>\r\n"
        u"<Gender>Female</Gender>\r\n"
        u"</Patient>\r\n"
        u"</LinkageParameter>\r\n";
    Bytes expected = {0xFF, 0xFE};
    for (char16_t c : xml)
        expected.insert(expected.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
    EXPECT_EQ(ReadFileBytes(linkage), expected);
    EXPECT_FALSE(FileExists(temp_.File(L"Imagerie\\Linkage"))) << "no temporary file stays";

    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, program);
}

TEST_F(HandOffTest, LinkageFileLeavesUnknownBirthDateAndSexEmpty) {
    const std::wstring program = CopyStandIn(temp_.File(L"Imagerie\\img.exe"));
    Set(Setting::ImagingTarget, u"2");
    Set(Setting::ProgramLocation, program);

    ExpectAcceptedQuietly(HandOff({u"7", u"A", u"B"}, {u"pas une date", std::nullopt, u"", u""}));

    const Bytes bytes = ReadFileBytes(temp_.File(L"Imagerie\\Linkage.xml"));
    ASSERT_GE(bytes.size(), 2u);
    const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_NE(text.find(u"<Birthday></Birthday>\r\n<Gender></Gender>\r\n"), std::u16string::npos) << ToUtf8(text);
}

TEST_F(HandOffTest, SwitchArgumentsReadBackWholeAndAProgramPathWithSpacesIsQuoted) {
    const std::wstring program = CopyStandIn(temp_.File(L"Program Files\\Img X\\img standin.exe"));
    // Started unquoted, this path would run Program.exe from the temp folder instead.
    CopyStandIn(temp_.File(L"Program.exe"));
    Set(Setting::ImagingTarget, u"3");
    Set(Setting::ProgramLocation, program);

    ExpectAcceptedQuietly(HandOff({u"12\" /ID:\"99", u"O\"BRIEN\\", u"C:\\"}));

    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->module, program);
    EXPECT_EQ(record->commandLine,
              L"\"" + program + L"\" /ID:\"12\\\" /ID:\\\"99\" /LN:\"O\\\"BRIEN\\\\\" /N:\"C:\\\\\"");
    const std::vector<std::wstring> expected = {program, L"/ID:12\" /ID:\"99", L"/LN:O\"BRIEN\\", L"/N:C:\\"};
    EXPECT_EQ(Arguments(record->commandLine), expected);
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, key_), U(program.c_str())) << "the stored path stays unquoted";
}

TEST_F(HandOffTest, SidexisAppendsNThenARecordsToTheExistingExchangeFile) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    {
        UniqueFile file(CreateFileW(exchange.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), "HEAD\r\n", 6, &written, nullptr);
    }
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, exchange);
    Set(Setting::SiteComputerName, u"CAB1");
    const FurtherPatientFields further = {u"05/03/1970", std::nullopt, u"", u""};

    ExpectAcceptedQuietly(HandOff({u" 7 ", u"ÉLÉ", u"Ana"}, further));
    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, StandInExe());
    EXPECT_EQ(ReadFileBytes(exchange), Concat({ToBytes("HEAD\r\n"), kNRecord, kARecord}));

    watch_.Reset();
    ExpectAcceptedQuietly(HandOff({u"7", u"ÉLÉ", u"Ana"}, further));
    EXPECT_EQ(ReadFileBytes(exchange), Concat({ToBytes("HEAD\r\n"), kNRecord, kARecord, kNRecord, kARecord}));
}

TEST_F(HandOffTest, SidexisWithoutStationNameWritesTheComputerNameThreeTimes) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    { UniqueFile created(CreateFileW(exchange.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)); }
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, exchange);

    ExpectAcceptedQuietly(HandOff({u"7", u"A", u"B"}));

    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    ASSERT_GT(size, 0u);
    const Bytes bytes = ReadFileBytes(exchange);
    const std::string text(bytes.begin(), bytes.end());
    const std::string station(name, name + size);
    EXPECT_NE(text.find("\\\\" + station + "\\SDXLink"), std::string::npos);
    EXPECT_NE(text.find(std::string("\0", 1) + station + std::string("\0", 1) + "09.01.2024"), std::string::npos);
    size_t count = 0;
    for (size_t at = text.find(station); at != std::string::npos; at = text.find(station, at + 1)) ++count;
    EXPECT_EQ(count, 3u);
    EXPECT_FALSE(ReadStoredSetting(Setting::SiteComputerName, key_).has_value()) << "the computer name is not stored";
}

TEST_F(HandOffTest, AnyOtherTargetStartsTheProgramAloneAndWritesNothing) {
    Set(Setting::ImagingTarget, u"7");
    Set(Setting::ProgramLocation, StandInExe());

    ExpectAcceptedQuietly(HandOff({u"42", u"A B", u"C"}));

    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, StandInExe());
    EXPECT_FALSE(ReadStoredSetting(Setting::DataLocation, key_).has_value()) << "no data location is read";
}

TEST_F(HandOffTest, WebExportStartsNoProgramEvenWithItsDefaultJustStored) {
    Set(Setting::ImagingTarget, u"5");

    ExpectAcceptedQuietly(HandOff({u" 42 ", u" A ", u" B "}, {u"05/03/1970", 1, u"", u" a@b.fr"}));

    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, key_), u"C:\\vixwin\\vixwin.exe");
    ExpectNothingStarted();
    // The export gets the trimmed names, the e-mail as typed, and the parsed birth date.
    ASSERT_EQ(exports_.size(), 1u);
    EXPECT_EQ(exports_[0].lastName, u"A");
    EXPECT_EQ(exports_[0].firstName, u"B");
    EXPECT_EQ(exports_[0].email, u" a@b.fr");
    EXPECT_EQ(exports_[0].birthDate, (CalendarDate{5, 3, 1970}));
    EXPECT_EQ(exportKeys_[0], key_);
}

// The installer's /PROGRAM allows a program followed by its own arguments: it names no file as a
// whole, so it goes as written instead of being quoted into a name that cannot start.
TEST_F(HandOffTest, AProgramFollowedByItsArgumentsStartsAsWritten) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    { UniqueFile created(CreateFileW(exchange.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)); }
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe() + L" /NOSPLASH");
    Set(Setting::DataLocation, exchange);

    ExpectAcceptedQuietly(HandOff({u"7", u"A", u"B"}));

    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, StandInExe() + L" /NOSPLASH");
}

// The user is told, naming the program; the records already appended are the patient's and stay.
TEST_F(HandOffTest, AProgramThatCannotStartIsNamedAndWhatWasWrittenStays) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    { UniqueFile created(CreateFileW(exchange.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)); }
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, temp_.File(L"absent.exe"));
    Set(Setting::DataLocation, exchange);
    Set(Setting::SiteComputerName, u"CAB1");

    EXPECT_EQ(HandOff({u"7", u"A", u"B"}), HandOffOutcome::NotStarted);

    EXPECT_EQ(beeps_, 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(ToUtf8(messages_[0]), ToUtf8(u"Le programme d'imagerie «\u00a0" + Temp(L"absent.exe") +
                                           u"\u00a0» n'a pas pu être lancé\u00a0: il est introuvable.\n\n"
                                           u"Vérifiez l'emplacement du programme dans le Paramétrage de Vorbel."));
    const Bytes records = ReadFileBytes(exchange);
    EXPECT_EQ(std::count(records.begin(), records.end(), '\n'), 2) << "the N and A records stay";
}

// While it starts, the program asks every top-level window a question and waits for the answers:
// the step waiting for it must answer, or both would stand still until the wait's bound.
TEST_F(HandOffTest, TheWaitForTheProgramAnswersItsQuestionsMeanwhile) {
    // This thread's top-level window, as the launch button is the user-interface thread's.
    HWND window = CreateWindowExW(0, L"STATIC", L"bouton", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Set(Setting::ImagingTarget, u"3");
    Set(Setting::ProgramLocation, StandInExe());
    SetEnvironmentVariableW(L"VORBEL_STANDIN_BROADCAST", L"1");

    const ULONGLONG start = GetTickCount64();
    ExpectAcceptedQuietly(HandOff({u"42", u"A", u"B"}));
    const ULONGLONG took = GetTickCount64() - start;
    DestroyWindow(window);

    EXPECT_TRUE(StandInWatch::WindowOpen()) << "returns once the program waits for input";
    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    ASSERT_GE(record->broadcastMs, 0);
    EXPECT_LT(record->broadcastMs, 5000) << "the question waited for the step's own wait";
    EXPECT_LT(took, 10000u);
}

// CliniView reads its ini file whenever it likes, and other programs hold it at times: at no
// moment may it hold a chart number beside another patient's names.
TEST_F(HandOffTest, CliniViewNeverFindsAChartNumberBesideAnotherPatientsNames) {
    const std::wstring ini = temp_.File(L"CliniView.ini");
    const PatientRecord patients[] = {{u"1111", u"AAAA", u"aaaa"}, {u"2222", u"BBBB", u"bbbb"}};
    ASSERT_FALSE(WriteCliniViewEntries(U(ini.c_str()), patients[0]).has_value());
    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0}, reads{0};
    std::thread reader([&] {
        while (!stop) {
            // Read as another program would, sharing the file.
            UniqueFile file(CreateFileW(ini.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
            if (!file) continue;
            char buffer[4096];
            DWORD n = 0;
            if (!ReadFile(file.get(), buffer, sizeof(buffer), &n, nullptr)) continue;
            file.reset();
            const std::string text(buffer, n);
            const auto has = [&](const char* line) { return text.find(line) != std::string::npos; };
            const bool id1 = has("PATID=1111"), id2 = has("PATID=2222");
            const bool names1 = has("PATLNAME=AAAA") || has("PATFNAME=aaaa");
            const bool names2 = has("PATLNAME=BBBB") || has("PATFNAME=bbbb");
            if ((id1 && names2) || (id2 && names1)) ++mixed;
            ++reads;
        }
    });
    int refused = 0;
    for (int i = 0; i < 300; ++i) {
        if (WriteCliniViewEntries(U(ini.c_str()), patients[(i + 1) % 2])) ++refused;
    }
    stop = true;
    reader.join();
    std::printf("[ ini      ] %d reads, %d writes refused while the file was held\n", reads.load(), refused);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(mixed.load(), 0) << "reads that found one patient's chart number with another's names";
}

TEST_F(HandOffTest, AHungProgramDoesNotHoldTheStepBeyondItsBound) {
    Set(Setting::ImagingTarget, u"3");
    Set(Setting::ProgramLocation, StandInExe());
    SetEnvironmentVariableW(L"VORBEL_STANDIN_HANG", L"1");
    hooks_.idleWaitMs = 1500;

    const auto start = std::chrono::steady_clock::now();
    ExpectAcceptedQuietly(HandOff({u"42", u"A", u"B"}));
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_TRUE(watch_.Record(10000).has_value()) << "it was started, and is ended by the teardown";
    EXPECT_GE(elapsed, std::chrono::milliseconds(1500)) << "the step waited for the hung program";
    // The start itself and the files before it take a moment of their own, even on a slow machine.
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500 + 5000)) << "and no longer than its bound";
}

}  // namespace
}  // namespace vorbel::test
