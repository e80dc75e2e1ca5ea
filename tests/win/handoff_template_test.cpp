// Target 6, "Autre programme": the bridge file written whole before the start, and every way the
// step refuses without writing or starting anything.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include "tests/win/support/handoff_fixture.h"

namespace vorbel::test {
namespace {

std::u16string Guillemets(const std::u16string& path) { return u"«\u00a0" + path + u"\u00a0»"; }

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The files of a folder, to show that no temporary file stays behind.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return names;
}

class TemplateHandOffTest : public HandOffTest {
protected:
    void SetUp() override {
        HandOffTest::SetUp();
        CreateDirectoryW(temp_.File(L"pont").c_str(), nullptr);
        Set(Setting::ImagingTarget, u"6");
        Set(Setting::ProgramLocation, StandInExe());
        Set(Setting::ArgumentTemplate, u"/f @{FICHIER}");
        Set(Setting::BridgeFilePath, temp_.File(L"pont\\{DOSSIER}.ini"));
        Set(Setting::BridgeFileContent, u"[Patient]\r\nNom={NOM}\r\n");
    }
    std::wstring Bridge() const { return temp_.File(L"pont\\42.ini"); }
};

TEST_F(TemplateHandOffTest, TheBridgeFileReplacesTheEarlierOneBeforeTheProgramStarts) {
    WriteBytes(Bridge(), "[Patient]\r\nNom=PATIENT PRECEDENT, bien plus long\r\n");

    ExpectAcceptedQuietly(HandOff({u" 42 ", u"MARTIN", u"Hélène"}));

    const auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->arguments, (std::vector<std::wstring>{StandInExe(), L"/f", L"@" + Bridge()}));
    ASSERT_TRUE(record->bridge.has_value()) << "the file is there when the program starts";
    EXPECT_EQ(*record->bridge, ToBytes("[Patient]\r\nNom=MARTIN\r\n"));
    EXPECT_EQ(ReadFileBytes(Bridge()), ToBytes("[Patient]\r\nNom=MARTIN\r\n"));
    EXPECT_EQ(FilesIn(temp_.File(L"pont")), std::vector<std::wstring>{L"42.ini"}) << "no temporary file stays";
}

TEST_F(TemplateHandOffTest, BirthDateAndSexAreFormattedAndEmptyWhenUnknown) {
    Set(Setting::ArgumentTemplate, u"/D:{NAISSANCE:AAAAMMJJ} /S:{SEXE:HF} {NAISSANCE}");
    Set(Setting::BridgeFilePath, u"");
    Set(Setting::BridgeFileContent, u"");

    ExpectAcceptedQuietly(HandOff({u"42", u"A", u"B"}, {u" 12/09/1984 ", 0, u"", u""}));
    auto record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->arguments, (std::vector<std::wstring>{StandInExe(), L"/D:19840912", L"/S:H", L"12/09/1984"}));

    watch_.EndAll();
    watch_.Reset();
    ExpectAcceptedQuietly(HandOff({u"42", u"A", u"B"}, {u"pas une date", std::nullopt, u"", u""}));
    record = watch_.Record(10000);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, StandInExe() + L" /D: /S: \"\"");
}

struct RefusalCase {
    const char* what;
    Setting setting;
    std::u16string value;
    std::u16string message;
};

class TemplateRefusalTest : public TemplateHandOffTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(TemplateRefusalTest, ABadTemplateShowsItsMessageAndNothingIsWrittenOrStarted) {
    const RefusalCase& c = GetParam();
    Set(c.setting, c.value);

    ExpectRefusedWith(HandOff({u"42", u"MARTIN", u"B"}), c.message);

    EXPECT_TRUE(FilesIn(temp_.File(L"pont")).empty());
    ExpectNothingStarted();
}

INSTANTIATE_TEST_SUITE_P(
    All, TemplateRefusalTest,
    ::testing::Values(
        RefusalCase{"arguments", Setting::ArgumentTemplate, u"/N:{NOM} /A:{AGE}",
                    u"Ligne de commande\u00a0: «\u00a0{AGE}\u00a0»\u00a0: champ inconnu. Les champs sont {DOSSIER}, "
                    u"{NOM}, {PRENOM}, {NAISSANCE}, {SEXE} et {FICHIER}\u00a0; {{ et }} donnent une accolade."},
        RefusalCase{"content", Setting::BridgeFileContent, u"Nom={NOM",
                    u"Contenu du fichier d'échange\u00a0: «\u00a0{NOM\u00a0»\u00a0: accolade ouvrante sans "
                    u"accolade fermante (écrivez {{ pour une accolade)."},
        RefusalCase{"encoding", Setting::BridgeFileEncoding, u"9", u"Encodage du fichier d'échange inconnu."}));

TEST_F(TemplateHandOffTest, ABridgeFileThatCannotBeWrittenIsNamedAndNothingStarts) {
    const std::u16string missing = Temp(L"absent\\42.ini");
    Set(Setting::BridgeFilePath, temp_.File(L"absent\\{DOSSIER}.ini"));
    ExpectRefusedWith(HandOff({u"42", u"MARTIN", u"B"}), u"Impossible de créer le fichier " + Guillemets(missing) +
                                                             u"\u00a0: son dossier est introuvable.");
    ExpectNothingStarted();
}

TEST_F(TemplateHandOffTest, ABridgeFileInUseStaysAsItWasAndNothingStarts) {
    WriteBytes(Bridge(), "ancien");
    messages_.clear();
    {
        UniqueFile held(CreateFileW(Bridge().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(HandOff({u"42", u"MARTIN", u"B"}), HandOffOutcome::Refused);
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find(Guillemets(U(Bridge().c_str()))), std::u16string::npos) << ToUtf8(messages_[0]);
    EXPECT_EQ(ReadFileBytes(Bridge()), ToBytes("ancien"));
    EXPECT_EQ(FilesIn(temp_.File(L"pont")), std::vector<std::wstring>{L"42.ini"}) << "no temporary file stays";
    ExpectNothingStarted();
}

TEST_F(TemplateHandOffTest, AnEmptyChartNumberIsRefusedWithABeepBeforeTheTemplatesAreRead) {
    Set(Setting::ArgumentTemplate, u"{AGE}");
    EXPECT_EQ(HandOff({u" ", u"MARTIN", u"B"}), HandOffOutcome::Refused);
    EXPECT_EQ(beeps_, 1);
    EXPECT_TRUE(messages_.empty());
    ExpectNothingStarted();
}

}  // namespace
}  // namespace vorbel::test
