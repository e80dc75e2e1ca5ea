// Refusals of the hand-off: what was written before them, what they show, and that nothing
// starts and nothing is left half-written.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include "tests/win/support/handoff_fixture.h"

namespace vorbel::test {
namespace {

std::u16string Guillemets(const std::u16string& path) { return u"«\u00a0" + path + u"\u00a0»"; }

// A file held open without sharing, as another station or program would.
UniqueFile Hold(const std::wstring& path) {
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

struct DefaultsCase {
    std::u16string target;                       // as stored
    std::u16string program;                      // stored afterwards
    std::optional<std::u16string> dataLocation;  // stored afterwards; nullopt: never read
};

class EmptyChartNumberTest : public HandOffTest, public ::testing::WithParamInterface<DefaultsCase> {};

// The chart number is checked after the defaults are stored and before anything else happens.
TEST_P(EmptyChartNumberTest, IsRefusedWithABeepAfterTheDefaultsAreStored) {
    const DefaultsCase& c = GetParam();
    if (!c.target.empty()) Set(Setting::ImagingTarget, c.target);

    EXPECT_EQ(HandOff({u" \t ", u"DUPONT", u"JEAN"}), HandOffOutcome::Refused);

    EXPECT_EQ(beeps_, 1);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(ReadSetting(Setting::ProgramLocation, key_), c.program);
    EXPECT_EQ(ReadStoredSetting(Setting::DataLocation, key_), c.dataLocation);
    ExpectNothingStarted();
}

INSTANTIATE_TEST_SUITE_P(All, EmptyChartNumberTest,
                         ::testing::Values(DefaultsCase{u"", u"C:\\vixwin\\vixwin.exe", u"C:\\Vximages"},
                                           DefaultsCase{u"0", u"C:\\vixwin\\vixwin.exe", u"C:\\Vximages"},
                                           DefaultsCase{u"1", u"C:\\Program Files\\CliniView\\CliniView.exe",
                                                        u"C:\\ProgramData\\CliniView\\CliniView.ini"},
                                           DefaultsCase{u"2", u"C:\\vixwin\\vixwin.exe", std::nullopt},
                                           DefaultsCase{u"3", u"C:\\vixwin\\vixwin.exe", std::nullopt},
                                           DefaultsCase{u"4", u"C:\\vixwin\\vixwin.exe", u"C:\\PDATA\\siomin.sdx"},
                                           DefaultsCase{u"5", u"C:\\vixwin\\vixwin.exe", std::nullopt},
                                           DefaultsCase{u"7", u"C:\\vixwin\\vixwin.exe", std::nullopt}));

// The patient folder is made of the chart number: one that would lead out of the images root is
// refused, naming it, before any folder is created.
TEST_F(HandOffTest, VixWinRefusesAChartNumberThatWouldLeaveTheImagesRoot) {
    Set(Setting::ImagingTarget, u"0");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, temp_.File(L"Vximages"));
    for (const char16_t* chart : {u"..\\..\\Windows", u"12/3", u"C:x", u"1..2"}) {
        SCOPED_TRACE(ToUtf8(chart));
        messages_.clear();
        ExpectRefusedWith(HandOff({chart, u"A", u"B"}),
                          u"Le numéro de dossier " + Guillemets(chart) +
                              u" ne peut pas servir de nom de dossier d'images\u00a0: il contient \\, /, : ou "
                              u"«\u00a0..\u00a0».\n\nCorrigez le numéro de dossier.");
        EXPECT_FALSE(FileExists(temp_.File(L"Vximages"))) << "no folder is created";
        ExpectNothingStarted();
    }
}

TEST_F(HandOffTest, TargetMinusOneRefusesBeforeReadingAnythingElse) {
    Set(Setting::ImagingTarget, u"-1");
    EXPECT_EQ(HandOff({u"42", u"A", u"B"}), HandOffOutcome::Refused);
    EXPECT_EQ(beeps_, 1);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(ReadStoredSetting(Setting::ProgramLocation, key_).has_value());
    ExpectNothingStarted();
}

TEST_F(HandOffTest, MissingExchangeFileIsNamedAndNotCreated) {
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    // The default location, which this machine lacks.
    ExpectRefusedWith(HandOff({u"7", u"A", u"B"}), u"Le fichier «\u00a0C:\\PDATA\\siomin.sdx\u00a0» est introuvable.");
    EXPECT_FALSE(FileExists(L"C:\\PDATA\\siomin.sdx"));
    ExpectNothingStarted();
}

TEST_F(HandOffTest, ExchangeFileHeldByAnotherStationIsNamedAndLeftAsItWas) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    WriteBytes(exchange, "HEAD");
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, exchange);
    {
        const UniqueFile held = Hold(exchange);
        ASSERT_TRUE(held);
        ExpectRefusedWith(HandOff({u"7", u"A", u"B"}),
                          u"Le fichier " + Guillemets(Temp(L"siomin.sdx")) +
                              u" est utilisé par un autre programme (violation de partage). "
                              u"Réessayez dans un instant.");
    }
    EXPECT_EQ(ReadFileBytes(exchange), ToBytes("HEAD"));
    ExpectNothingStarted();
}

TEST_F(HandOffTest, RecordBeyondItsLengthFieldIsRefusedAndNothingWritten) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    WriteBytes(exchange, "HEAD");
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, exchange);
    Set(Setting::SiteComputerName, u"CAB1");

    ExpectRefusedWith(HandOff({u"7", u"A", u"B"}, {u"", std::nullopt, std::u16string(70000, u'x'), u""}),
                      u"Les données du patient sont trop longues pour le fichier d'échange " +
                          Guillemets(Temp(L"siomin.sdx")) + u".");
    EXPECT_EQ(ReadFileBytes(exchange), ToBytes("HEAD"));
    ExpectNothingStarted();
}

TEST_F(HandOffTest, LinkageFileThatCannotBeReplacedKeepsTheEarlierPatientAndStartsNothing) {
    const std::wstring program = CopyStandIn(temp_.File(L"Imagerie\\img.exe"));
    const std::wstring linkage = temp_.File(L"Imagerie\\Linkage.xml");
    WriteBytes(linkage, "previous patient");
    Set(Setting::ImagingTarget, u"2");
    Set(Setting::ProgramLocation, program);
    {
        const UniqueFile held = Hold(linkage);
        ASSERT_TRUE(held);
        ExpectRefusedWith(HandOff({u"7", u"A", u"B"}),
                          u"Le fichier " + Guillemets(U(linkage.c_str())) +
                              u" n'a pas pu être remplacé. Le programme d'imagerie n'est pas lancé, "
                              u"pour qu'il n'ouvre pas le patient précédent.");
    }
    EXPECT_EQ(ReadFileBytes(linkage), ToBytes("previous patient"));
    EXPECT_FALSE(FileExists(temp_.File(L"Imagerie\\Linkage"))) << "no temporary file stays";
    ExpectNothingStarted();
}

TEST_F(HandOffTest, LinkageFileInAMissingFolderIsNamed) {
    Set(Setting::ImagingTarget, u"2");
    Set(Setting::ProgramLocation, temp_.File(L"absent\\img.exe"));
    ExpectRefusedWith(HandOff({u"7", u"A", u"B"}), u"Impossible de créer le fichier " +
                                                       Guillemets(Temp(L"absent\\Linkage.xml")) +
                                                       u"\u00a0: son dossier est introuvable.");
    ExpectNothingStarted();
}

TEST_F(HandOffTest, CliniViewIniThatCannotBeWrittenRefusesRatherThanOpenTheEarlierPatient) {
    const std::wstring ini = temp_.File(L"CliniView.ini");
    WritePrivateProfileStringW(L"PracticeManagementInterface", L"PATID", L"OLD", ini.c_str());
    Set(Setting::ImagingTarget, u"1");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, ini);
    {
        const UniqueFile held = Hold(ini);
        ASSERT_TRUE(held);
        EXPECT_EQ(HandOff({u"42", u"A", u"B"}), HandOffOutcome::Refused);
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find(Guillemets(Temp(L"CliniView.ini"))), std::u16string::npos) << ToUtf8(messages_[0]);
    wchar_t value[16] = L"";
    GetPrivateProfileStringW(L"PracticeManagementInterface", L"PATID", L"", value, 16, ini.c_str());
    EXPECT_STREQ(value, L"OLD");
    ExpectNothingStarted();
}

TEST_F(HandOffTest, ShiftOrCtrlDumpsTheLogWithTheSettingsReadsAndStillStarts) {
    Set(Setting::ImagingTarget, u"3");
    Set(Setting::ProgramLocation, StandInExe());
    TheDiagnosticLog().Clear();
    dumpKeys_ = true;

    ExpectAcceptedQuietly(HandOff({u"42", u"A", u"B"}));

    const Bytes log = ReadFileBytes(ToWide(LogFilePath()));
    const std::u16string text(reinterpret_cast<const char16_t*>(log.data()), log.size() / 2);
    EXPECT_EQ(text, TheDiagnosticLog().Text());
    EXPECT_EQ(text.rfind(u"CryptString Y.", 0), 0u) << "starts with the target's read";
    EXPECT_NE(text.find(u"CryptString P."), std::u16string::npos);
    EXPECT_TRUE(watch_.Record(10000).has_value());
}

TEST_F(HandOffTest, WithoutShiftOrCtrlNoLogIsWritten) {
    Set(Setting::ImagingTarget, u"3");
    Set(Setting::ProgramLocation, StandInExe());
    ExpectAcceptedQuietly(HandOff({u"42", u"A", u"B"}));
    EXPECT_FALSE(FileExists(ToWide(LogFilePath())));
}

TEST_F(HandOffTest, LogThatCannotBeWrittenRefusesBeforeTheExchangeFileIsTouched) {
    const std::wstring exchange = temp_.File(L"siomin.sdx");
    WriteBytes(exchange, "HEAD");
    Set(Setting::ImagingTarget, u"4");
    Set(Setting::ProgramLocation, StandInExe());
    Set(Setting::DataLocation, exchange);
    dumpKeys_ = true;
    const std::wstring logPath = ToWide(LogFilePath());
    WriteBytes(logPath, "");
    {
        const UniqueFile held = Hold(logPath);
        ASSERT_TRUE(held);
        EXPECT_EQ(HandOff({u"7", u"A", u"B"}), HandOffOutcome::Refused);
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find(Guillemets(LogFilePath())), std::u16string::npos) << ToUtf8(messages_[0]);
    EXPECT_EQ(ReadFileBytes(exchange), ToBytes("HEAD"));
    ExpectNothingStarted();
}

}  // namespace
}  // namespace vorbel::test
