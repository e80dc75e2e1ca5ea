// Imaging programs that read their command line by other rules than the C runtime's: a batch
// file run by cmd.exe, an ANSI program, a Delphi program. A patient value reaches each of them as
// one argument, whole, and never runs a command nor starts another program.
// \u00a0 in the texts: the no-break space French puts before : ; and inside « » (escaped, as it
// looks like a plain space).
#include "tests/win/support/handoff_fixture.h"

namespace vorbel::test {
namespace {

// The lines a stand-in wrote, or nullopt when it did not write them within the time.
std::optional<std::string> WaitForText(const std::wstring& path, DWORD timeoutMs = 10000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (FileExists(path)) {
            Sleep(100);  // written and closed by then: the stand-ins write once, at once
            const Bytes bytes = ReadFileBytes(path);
            return std::string(bytes.begin(), bytes.end());
        }
        if (GetTickCount64() > end) return std::nullopt;
        Sleep(50);
    }
}

std::string Utf8Lines(const std::string& utf16) {
    return ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size() / 2));
}

class ParserHandOffTest : public HandOffTest {
protected:
    void SetUp() override {
        HandOffTest::SetUp();
        Set(Setting::BridgeFilePath, u"");
        Set(Setting::BridgeFileContent, u"");
    }
    // The program setting and the target: 3 (switches /ID: /LN: /N:) or 6 (this template).
    void Program(const std::wstring& program, const char16_t* target) {
        Set(Setting::ProgramLocation, program);
        Set(Setting::ImagingTarget, target);
        Set(Setting::ArgumentTemplate, u"-patid {DOSSIER} -name {NOM} -first {PRENOM}");
    }
};

// Records %1 to %7 as cmd.exe hands them to a batch file, quotes included: read into variables,
// then listed by "set" (under another name until complete), so that whatever they hold, the recording runs nothing of
// theirs.
constexpr char kRecordingBatch[] =
    "@echo off\r\n"
    "set VORBELARG1=%1\r\nset VORBELARG2=%2\r\nset VORBELARG3=%3\r\nset VORBELARG4=%4\r\n"
    "set VORBELARG5=%5\r\nset VORBELARG6=%6\r\nset VORBELARG7=%7\r\n"
    ">\"%~dp0args.tmp\" set VORBELARG\r\n"
    "ren \"%~dp0args.tmp\" args.txt\r\n";

struct BatchCase {
    const char* name;
    const char16_t* target;
    std::string expected;  // "set" lists %1 to %7, those given; {T} stands for the temp folder
};

void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }

class BatchProgramTest : public ParserHandOffTest, public ::testing::WithParamInterface<BatchCase> {};

// Each value is one argument, in quotes where cmd.exe would read a sign in it, and the commands
// the values spell do not run. (Wine's cmd.exe expands a %NAME% by rules of its own: the guard
// against it is checked on the command line built, not here.)
TEST_P(BatchProgramTest, ValuesArriveWholeAndRunNothing) {
    const std::wstring script = temp_.File(L"imagerie.bat");
    UniqueFile file(CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), kRecordingBatch, sizeof kRecordingBatch - 1, &written, nullptr);
    file.reset();
    Program(script, GetParam().target);
    const std::u16string marker = Temp(L"pirate.txt");

    ExpectAcceptedQuietly(HandOff({u"4217", u"X&echo>" + marker, u"A\" & echo>" + marker + u" & \"B"}));

    const auto recorded = WaitForText(temp_.File(L"args.txt"));
    ASSERT_TRUE(recorded.has_value()) << "the batch file did not run";
    std::string expected = GetParam().expected;
    const std::string folder = ToUtf8(U(temp_.path().c_str()));
    for (size_t at; (at = expected.find("{T}")) != std::string::npos;) expected.replace(at, 3, folder);
    EXPECT_EQ(*recorded, expected);
    EXPECT_FALSE(FileExists(temp_.File(L"pirate.txt"))) << "a value ran a command";
}

INSTANTIATE_TEST_SUITE_P(
    All, BatchProgramTest,
    ::testing::Values(BatchCase{"Switches", u"3",
                                "VORBELARG1=/ID:4217\r\nVORBELARG2=\"/LN:X&echo>{T}\\pirate.txt\"\r\n"
                                "VORBELARG3=\"/N:A\"\" & echo>{T}\\pirate.txt & \"\"B\"\r\n"},
                      BatchCase{"Template", u"6",
                                "VORBELARG1=-patid\r\nVORBELARG2=4217\r\nVORBELARG3=-name\r\n"
                                "VORBELARG4=\"X&echo>{T}\\pirate.txt\"\r\nVORBELARG5=-first\r\n"
                                "VORBELARG6=\"A' & echo>{T}\\pirate.txt & 'B\"\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A value that would end its argument for an ANSI program (a full-width quote the system turns
// into '"') or for a Delphi one (a quote, which Delphi cannot escape) stays one argument there.
struct ForeignParserCase {
    const char* name;
    const wchar_t* standIn;
    bool recordsUtf16;  // else the bytes the ANSI program got, which are UTF-8 here
    std::u16string lastName, firstName;
    std::string recorded;  // one argument a line, UTF-8
};

class ForeignParserTest : public ParserHandOffTest, public ::testing::WithParamInterface<ForeignParserCase> {};

TEST_P(ForeignParserTest, EachValueArrivesAsOneArgument) {
    const ForeignParserCase& c = GetParam();
    const std::wstring program = temp_.File(std::wstring(c.standIn) + L".exe");
    ASSERT_TRUE(CopyFileW((TestBinDir() + c.standIn + L"_args_standin.exe").c_str(), program.c_str(), FALSE));
    Program(program, u"6");

    ExpectAcceptedQuietly(HandOff({u"4217", c.lastName, c.firstName}));

    const auto recorded = WaitForText(program + L".args");
    ASSERT_TRUE(recorded.has_value());
    EXPECT_EQ(c.recordsUtf16 ? Utf8Lines(*recorded) : *recorded, c.recorded);
}

INSTANTIATE_TEST_SUITE_P(
    Parsers, ForeignParserTest,
    // \uff02: the fullwidth quotation mark, which an ANSI code page may turn into a plain one.
    ::testing::Values(ForeignParserCase{"Ansi", L"ansi", false, u"A\uff02 -patid 999 \uff02B", u"C\" -patid 998 \"D",
                                        "-patid\n4217\n-name\nA' -patid 999 'B\n-first\nC' -patid 998 'D\n"},
                      ForeignParserCase{"Delphi", L"delphi", true, u"A\" -patid 999 \"B", u"C\\\" -patid 998 \\\"D",
                                        "-patid\n4217\n-name\nA' -patid 999 'B\n-first\nC\\' -patid 998 \\'D\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A program that is not there is named and nothing starts: its path is never tried with the
// patient's values after it, where "x\..\..\..\rec\evil^JEAN" would name a planted program.
TEST_F(ParserHandOffTest, AMissingProgramIsNamedAndNoPlantedProgramStarts) {
    CreateDirectoryW(temp_.File(L"rec").c_str(), nullptr);
    CopyStandIn(temp_.File(L"rec\\evil^JEAN.exe"));
    const std::wstring missing = temp_.File(L"Program Files\\RadioView\\rview.exe");
    for (const char16_t* target : {u"3", u"6"}) {
        SCOPED_TRACE(ToUtf8(target));
        messages_.clear();
        Program(missing, target);
        Set(Setting::ArgumentTemplate, u"-patid {DOSSIER} -name {NOM}");

        EXPECT_EQ(HandOff({u"4217", u"x\\..\\..\\..\\rec\\evil^JEAN", u"x\\..\\..\\..\\rec\\evil^JEAN"}),
                  HandOffOutcome::NotStarted);

        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(ToUtf8(messages_[0]), ToUtf8(u"Le programme d'imagerie «\u00a0" + U(missing.c_str()) +
                                               u"\u00a0» n'a pas pu être lancé\u00a0: il est introuvable.\n\n"
                                               u"Vérifiez l'emplacement du programme dans le Paramétrage de Vorbel."));
        ExpectNothingStarted();
    }
}

}  // namespace
}  // namespace vorbel::test
