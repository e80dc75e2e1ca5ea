#include "handoff/handoff_formats.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "text/text.h"
#include "handoff/web_link_format.h"
#include "tests/core/argv_split.h"

namespace vorbel {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::string_literals;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The few characters of OEM code page 850 the tests use; anything else is "?".
std::string FakeOem850(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) out += static_cast<char>(c);
        else if (c == u'É') out += '\x90';  // É
        else if (c == u'é') out += '\x82';  // é
        else out += '?';
    }
    return out;
}

// --- Program path ---

struct PathCase {
    std::u16string program;
    bool namesExistingFile;
    std::u16string quoted;
    std::u16string folder;
};

class ProgramPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ProgramPathTest, QuotedOnlyWhenAFileNamedWholeHoldsABlankAndFolderIgnoresQuotes) {
    const PathCase& c = GetParam();
    EXPECT_EQ(QuotedProgramPath(c.program, c.namesExistingFile), c.quoted) << ToUtf8(c.program);
    EXPECT_EQ(ProgramFolder(c.program), c.folder) << ToUtf8(c.program);
}

INSTANTIATE_TEST_SUITE_P(
    All, ProgramPathTest,
    ::testing::Values(PathCase{u"C:\\vixwin\\vixwin.exe", true, u"C:\\vixwin\\vixwin.exe", u"C:\\vixwin\\"},
                      PathCase{u"C:\\Program Files\\CliniView\\CliniView.exe", true,
                               u"\"C:\\Program Files\\CliniView\\CliniView.exe\"", u"C:\\Program Files\\CliniView\\"},
                      PathCase{u"\"C:\\Program Files\\X\\x.exe\"", false, u"\"C:\\Program Files\\X\\x.exe\"",
                               u"C:\\Program Files\\X\\"},
                      PathCase{u"C:\\a\tb\\x.exe", true, u"\"C:\\a\tb\\x.exe\"", u"C:\\a\tb\\"},
                      // A program followed by its own arguments names no file as a whole: it goes as written.
                      PathCase{u"C:\\Sidexis\\sidexis.exe /NOSPLASH", false, u"C:\\Sidexis\\sidexis.exe /NOSPLASH",
                               u"C:\\Sidexis\\"},
                      PathCase{u"C:\\Program Files\\CliniView\\CliniView.exe", false,
                               u"C:\\Program Files\\CliniView\\CliniView.exe", u"C:\\Program Files\\CliniView\\"},
                      PathCase{u"imaging.exe", true, u"imaging.exe", u""}, PathCase{u"", false, u"", u""}));

// --- VixWin ---

struct VixWinCase {
    std::u16string program, root;
    PatientRecord patient;
    std::u16string folder, commandLine;
};

class VixWinTest : public ::testing::TestWithParam<VixWinCase> {};

// A value as VixWin reads it back: a quote as an apostrophe and, in a name, spaces and line
// breaks as "_".
std::u16string AsVixWinReadsIt(std::u16string_view value, bool name = true) {
    std::u16string out(value);
    for (char16_t& c : out) c = name && (c == u' ' || c == u'\r' || c == u'\n') ? u'_' : c == u'"' ? u'\'' : c;
    return out;
}

TEST_P(VixWinTest, FolderAndCommandLine) {
    const VixWinCase& c = GetParam();
    const VixWinLaunch launch = BuildVixWinLaunch(c.program, c.root, c.patient);
    EXPECT_EQ(ToUtf8(launch.patientFolder), ToUtf8(c.folder));
    EXPECT_EQ(ToUtf8(launch.commandLine), ToUtf8(c.commandLine));
    // Whatever the values hold, each stays inside its argument.
    const std::vector<std::u16string> expected = {
        test::SplitWindowsCommandLine(c.program).front(),
        u"-I",
        AsVixWinReadsIt(c.patient.chartNumber),
        u"-N",
        AsVixWinReadsIt(c.patient.lastName) + u'^' + AsVixWinReadsIt(c.patient.firstName),
        u"-P",
        AsVixWinReadsIt(c.folder, false)};
    EXPECT_EQ(test::SplitWindowsCommandLine(launch.commandLine), expected) << ToUtf8(launch.commandLine);
}

INSTANTIATE_TEST_SUITE_P(
    All, VixWinTest,
    ::testing::Values(VixWinCase{u"C:\\vixwin\\vixwin.exe",
                                 u"C:\\Vximages",
                                 {u"42", u"DUPONT", u"JEAN MARIE"},
                                 u"C:\\Vximages\\000042",
                                 u"C:\\vixwin\\vixwin.exe -I 42 -N DUPONT^JEAN_MARIE -P C:\\Vximages\\000042"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"123", u"A", u"B"},
                                 u"D:\\img\\000123",
                                 u"C:\\v.exe -I 123 -N A^B -P D:\\img\\000123"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"1234567", u"A", u"B"},
                                 u"D:\\img\\1234567",
                                 u"C:\\v.exe -I 1234567 -N A^B -P D:\\img\\1234567"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"123456", u"A", u"B"},
                                 u"D:\\img\\123456",
                                 u"C:\\v.exe -I 123456 -N A^B -P D:\\img\\123456"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"12 3", u"DE LA TOUR", u"ÉLISE"},
                                 u"D:\\img\\0012_3",
                                 u"C:\\v.exe -I 12_3 -N DE_LA_TOUR^ÉLISE -P D:\\img\\0012_3"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"1\r\n2", u"A\nB", u"C\rD"},
                                 u"D:\\img\\001__2",
                                 u"C:\\v.exe -I 1__2 -N A_B^C_D -P D:\\img\\001__2"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"A B", u"", u""},
                                 u"D:\\img\\000A_B",
                                 u"C:\\v.exe -I A_B -N ^ -P D:\\img\\000A_B"},
                      VixWinCase{u"\"C:\\Program Files\\VixWin\\vixwin.exe\"",
                                 u"C:\\Vximages",
                                 {u"7", u"X", u"Y"},
                                 u"C:\\Vximages\\000007",
                                 u"\"C:\\Program Files\\VixWin\\vixwin.exe\" -I 7 -N X^Y -P C:\\Vximages\\000007"},
                      // A quote or a blank other than a space could end an argument or add one: a
                      // quote goes as an apostrophe, a tab in quotes, a backslash before such a
                      // closing quote doubled; a trailing backslash outside quotes stays single.
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"42", u"O\"BRIEN -P C:\\x", u"ANN\" \""},
                                 u"D:\\img\\000042",
                                 u"C:\\v.exe -I 42 -N O'BRIEN_-P_C:\\x^ANN'_' -P D:\\img\\000042"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"42", u"DE\tLA", u"JEAN\\"},
                                 u"D:\\img\\000042",
                                 u"C:\\v.exe -I 42 -N \"DE\tLA\"^JEAN\\ -P D:\\img\\000042"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"42", u"A", u"J\tP\\"},
                                 u"D:\\img\\000042",
                                 u"C:\\v.exe -I 42 -N A^\"J\tP\\\\\" -P D:\\img\\000042"},
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\img",
                                 {u"4\t2", u"A", u"B"},
                                 u"D:\\img\\0004\t2",
                                 u"C:\\v.exe -I \"4\t2\" -N A^B -P \"D:\\img\\0004\t2\""},
                      // The folder is one argument, even under an images root with a blank.
                      VixWinCase{u"C:\\v.exe",
                                 u"D:\\Radio X",
                                 {u"42", u"A", u"B"},
                                 u"D:\\Radio X\\000042",
                                 u"C:\\v.exe -I 42 -N A^B -P \"D:\\Radio X\\000042\""}));

// --- Switch arguments ---

TEST(SwitchCommandLine, PlainValuesAsBefore) {
    EXPECT_EQ(BuildSwitchCommandLine(u"C:\\img\\x.exe", {u"1234", u"DUPONT", u"JEAN"}),
              u"C:\\img\\x.exe /ID:\"1234\" /LN:\"DUPONT\" /N:\"JEAN\"");
}

struct SwitchCase {
    PatientRecord patient;
    std::u16string commandLine;  // empty: only the read-back is checked
};

class SwitchArgumentTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SwitchArgumentTest, EachValueReadsBackWholeAsOneArgument) {
    const SwitchCase& c = GetParam();
    const std::u16string program = u"C:\\Program Files\\Img\\img.exe";
    const std::u16string cmd = BuildSwitchCommandLine(QuotedProgramPath(program, true), c.patient);
    if (!c.commandLine.empty()) {
        EXPECT_EQ(ToUtf8(cmd), ToUtf8(c.commandLine));
    }
    const std::vector<std::u16string> expected = {program, u"/ID:" + c.patient.chartNumber,
                                                  u"/LN:" + c.patient.lastName, u"/N:" + c.patient.firstName};
    EXPECT_EQ(test::SplitWindowsCommandLine(cmd), expected) << ToUtf8(cmd);
}

INSTANTIATE_TEST_SUITE_P(
    All, SwitchArgumentTest,
    ::testing::Values(SwitchCase{{u"12", u"O\"BRIEN", u"ANN"},
                                 u"\"C:\\Program Files\\Img\\img.exe\" /ID:\"12\" /LN:\"O\\\"BRIEN\" /N:\"ANN\""},
                      SwitchCase{{u"12", u"C:\\", u"ANN"},
                                 u"\"C:\\Program Files\\Img\\img.exe\" /ID:\"12\" /LN:\"C:\\\\\" /N:\"ANN\""},
                      SwitchCase{{u"12", u"a\\\"b", u"a\\b"},
                                 u"\"C:\\Program Files\\Img\\img.exe\" /ID:\"12\" /LN:\"a\\\\\\\"b\" /N:\"a\\b\""},
                      SwitchCase{{u"12\" /ID:\"99", u"X", u"Y"}, u""},
                      SwitchCase{{u"1", u"\" /N:\"EVIL", u"\\\\"}, u""}, SwitchCase{{u"", u"", u""}, u""},
                      SwitchCase{{u"1", u"DE LA TOUR", u"\tÉLISE\\\\\""}, u""}));

TEST(VixWinFolder, AChartNumberThatWouldLeaveTheImagesRootIsRecognised) {
    for (const char16_t* chart : {u"..\\..\\Windows", u"a/b", u"C:x", u"\\\\server\\share", u"12..3", u".."}) {
        EXPECT_TRUE(ChartNumberLeavesImagesRoot(chart)) << ToUtf8(chart);
    }
    for (const char16_t* chart : {u"42", u"A_B", u"1.2", u".5", u"12 3", u""}) {
        EXPECT_FALSE(ChartNumberLeavesImagesRoot(chart)) << ToUtf8(chart);
    }
}

// --- Linkage XML ---

TEST(LinkageXml, LinesEndInCrLfWithDateAndGender) {
    const std::u16string xml = BuildLinkageXml({u"7", u"DUPONT", u"ÉLISE"}, CalendarDate{5, 3, 1970}, 0);
    EXPECT_EQ(ToUtf8(xml),
              "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\r\n"
              "<LinkageParameter>\r\n"
              "<Patient LastName=\"DUPONT\" FirstName=\"\xc3\x89LISE\" ChartNumber=\"7\">\r\n"
              "<Birthday>05/03/1970</Birthday>\r\n"
              "<Gender>Male</Gender>\r\n"
              "</Patient>\r\n"
              "</LinkageParameter>\r\n");
}

TEST(LinkageXml, UnknownDateAndSexStayEmptyAndAnyOtherSexIsFemale) {
    const std::u16string unknown = BuildLinkageXml({u"7", u"A", u"B"}, std::nullopt, std::nullopt);
    EXPECT_NE(unknown.find(u"<Birthday></Birthday>\r\n<Gender></Gender>\r\n"), std::u16string::npos);
    const std::u16string female = BuildLinkageXml({u"7", u"A", u"B"}, CalendarDate{31, 12, 2001}, 2);
    EXPECT_NE(female.find(u"<Birthday>31/12/2001</Birthday>\r\n<Gender>Female</Gender>\r\n"), std::u16string::npos);
}

TEST(LinkageXml, ValuesAreEscaped) {
    const std::u16string xml =
        BuildLinkageXml({u"1\"2", u"O'BRIEN & <SON>", u"A\tB\r\nC\x01\xD800"}, std::nullopt, std::nullopt);
    EXPECT_NE(xml.find(u"<Patient LastName=\"O&apos;BRIEN &amp; &lt;SON&gt;\" "
                       u"FirstName=\"A&#9;B  C\uFFFD\uFFFD\" ChartNumber=\"1&quot;2\">\r\n"),
              std::u16string::npos)
        << ToUtf8(xml);
}

TEST(LinkageXml, PairedSurrogatesPassThrough) {
    const std::u16string xml = BuildLinkageXml({u"1", u"\U0001F600", u"B"}, std::nullopt, std::nullopt);
    EXPECT_NE(xml.find(u"LastName=\"\U0001F600\""), std::u16string::npos);
}

TEST(LinkageXml, FileBytesAreUtf16LeAfterTheByteOrderMark) {
    EXPECT_EQ(Utf16LeWithBom(u"<É€"), (Bytes{0xFF, 0xFE, 0x3C, 0x00, 0xC9, 0x00, 0xAC, 0x20}));
}

// --- Sidexis records ---

SidexisPatient Example() {
    SidexisPatient p;
    p.patient = {u"7", u"ÉLÉ", u"Ana"};
    p.birthDate = CalendarDate{5, 3, 1970};
    p.stationName = u"CAB1";
    p.now = {{9, 1, 2024}, 8, 5, 3};
    return p;
}

TEST(SidexisRecords, NRecordOfTheReferenceExampleByteForByte) {
    const Bytes expected = {0x3A, 0x00, 0x4E, 0x00, 0x90, 0x4C, 0x90, 0x00, 0x41, 0x6E, 0x61, 0x00, 0x30, 0x35, 0x2E,
                            0x30, 0x33, 0x2E, 0x31, 0x39, 0x37, 0x30, 0x00, 0x37, 0x00, 0x4D, 0x00, 0x20, 0x00, 0x5C,
                            0x5C, 0x43, 0x41, 0x42, 0x31, 0x5C, 0x53, 0x44, 0x58, 0x4C, 0x69, 0x6E, 0x6B, 0x00, 0x5C,
                            0x5C, 0x2A, 0x5C, 0x53, 0x49, 0x44, 0x45, 0x58, 0x49, 0x53, 0x00, 0x0D, 0x0A};
    ASSERT_EQ(expected.size(), 58u);
    EXPECT_EQ(BuildSidexisNRecord(Example(), FakeOem850), expected);
}

TEST(SidexisRecords, ARecordCarriesStationDateAndTime) {
    const Bytes expected =
        B("\x4F\x00"
          "A\0"s
          "\x90L\x90\0"s
          "Ana\0"s
          "05.03.1970\0"s
          "7\0"s
          "CAB1\0"s
          "09.01.2024\0"s
          "08:05:03\0"s
          "\\\\CAB1\\SDXLink\0"s
          "\\\\*\\SIDEXIS\0"s
          "\r\n");
    ASSERT_EQ(expected.size(), 0x4Fu);
    EXPECT_EQ(BuildSidexisARecord(Example(), FakeOem850), expected);
}

TEST(SidexisRecords, KnownFemaleExtraTextAndUnknownBirthDate) {
    SidexisPatient p = Example();
    p.sex = 1;
    p.extraText = u" note ";
    p.birthDate.reset();
    const Bytes n = *BuildSidexisNRecord(p, FakeOem850);
    const Bytes expectedTail =
        B("\x90L\x90\0"s
          "Ana\0"s
          "\0"s
          "7\0"s
          "F\0"s
          " note \0"s);
    EXPECT_TRUE(std::equal(expectedTail.begin(), expectedTail.end(), n.begin() + 4));
    const Bytes a = *BuildSidexisARecord(p, FakeOem850);
    EXPECT_EQ(Bytes(a.begin() + 12, a.begin() + 16), B("\0"s
                                                       "7\0"s
                                                       "C"))
        << "empty birth date field";
    p.sex = 0;
    EXPECT_EQ((*BuildSidexisNRecord(p, FakeOem850))[15], 'M');
}

TEST(SidexisRecords, NamesAreCutAtTheirFirstZeroByteAnd255Bytes) {
    SidexisPatient p = Example();
    p.patient.lastName = std::u16string(300, u'é');
    p.patient.firstName = u"Ana";
    const Bytes n =
        *BuildSidexisNRecord(p, [](std::u16string_view t) { return t == u"Ana" ? "An\0a"s : FakeOem850(t); });
    EXPECT_EQ(Bytes(n.begin() + 4, n.begin() + 4 + 255), Bytes(255, 0x82));
    EXPECT_EQ(Bytes(n.begin() + 259, n.begin() + 263), B("\0An\0"s));
    EXPECT_EQ(n.size(), 58u - 3 + 255 - 3 + 2);
}

TEST(SidexisRecords, UnitsBeyondOneByteNeverSplitOrChangeAField) {
    SidexisPatient p = Example();
    p.patient.chartNumber = u"7\u0100\u0141";  // low bytes 00 and 41 ("A")
    const Bytes n = *BuildSidexisNRecord(p, FakeOem850);
    EXPECT_EQ(Bytes(n.begin() + 23, n.begin() + 27), B("7??\0"s));
}

TEST(SidexisRecords, RefusedBeyondWhatTheLengthCanCount) {
    SidexisPatient p = Example();
    const size_t base = BuildSidexisNRecord(p, FakeOem850)->size() - 1;  // without the extra text's space
    p.extraText = std::u16string(kSidexisRecordLimit - base, u'x');
    const auto fits = BuildSidexisNRecord(p, FakeOem850);
    ASSERT_TRUE(fits.has_value());
    EXPECT_EQ(fits->size(), 65535u);
    EXPECT_EQ((*fits)[0], 0xFF);
    EXPECT_EQ((*fits)[1], 0xFF);
    p.extraText += u'x';
    EXPECT_FALSE(BuildSidexisNRecord(p, FakeOem850).has_value());
    p.extraText.clear();
    p.stationName = std::u16string(40000, u'S');  // three times in the A record
    EXPECT_FALSE(BuildSidexisARecord(p, FakeOem850).has_value());
}

// --- CliniView ini section ---

std::u16string Lines(std::initializer_list<const char16_t*> lines) {
    std::u16string block;
    for (const char16_t* l : lines) block.append(l).push_back(u'\0');
    block.push_back(u'\0');
    return block;
}

TEST(CliniViewSection, FiveEntriesInOrderOrReplacedInTheirPlaceWithOtherLinesKept) {
    const PatientRecord patient{u"42", u"DE LA TOUR", u"ÉLISE"};
    EXPECT_EQ(BuildCliniViewSection(u"", patient),
              Lines({u"USE_PRACTICE_MANAGEMENT=1", u"CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY=1", u"PATID=42",
                     u"PATLNAME=DE LA TOUR", u"PATFNAME=ÉLISE"}));
    const std::u16string current = Lines({u"PatLName=OLD", u"OTHER=keep me", u"PATID=7", u"PATID=8", u"; note"});
    EXPECT_EQ(
        ToUtf8(BuildCliniViewSection(current, patient)),
        ToUtf8(Lines({u"PATLNAME=DE LA TOUR", u"OTHER=keep me", u"PATID=42", u"; note", u"USE_PRACTICE_MANAGEMENT=1",
                      u"CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY=1", u"PATFNAME=ÉLISE"})));
}

// A value holding a line break must not add a line, a row or a record to any file handed over.
TEST(LineBreaksInValues, BecomeSpacesInEveryFileFormat) {
    const PatientRecord patient{u"42\r\nPATID=666", u"DUPONT\nX", u"JEAN\rY"};
    const auto count = [](const std::u16string& s, char16_t c) { return std::count(s.begin(), s.end(), c); };

    const std::u16string xml = BuildLinkageXml(patient, std::nullopt, std::nullopt);
    EXPECT_EQ(count(xml, u'\n'), 7) << ToUtf8(xml);
    EXPECT_NE(xml.find(u"LastName=\"DUPONT X\" FirstName=\"JEAN Y\" ChartNumber=\"42  PATID=666\""),
              std::u16string::npos)
        << ToUtf8(xml);

    const std::u16string ini = BuildCliniViewSection(u"", patient);
    EXPECT_EQ(ToUtf8(ini), ToUtf8(Lines({u"USE_PRACTICE_MANAGEMENT=1", u"CLEAR_PRACTICE_MANAGEMENT_AUTOMATICALLY=1",
                                         u"PATID=42  PATID=666", u"PATLNAME=DUPONT X", u"PATFNAME=JEAN Y"})));

    const std::u16string csv = WebLinkCsvText({u"DUPONT\r\nX", u"JEAN\nY", u"a@b.fr\r", std::nullopt});
    EXPECT_EQ(count(csv, u'\n'), 2) << ToUtf8(csv);
    EXPECT_NE(csv.find(u";DUPONT  X;JEAN Y;;a@b.fr ;;;;;;\r\n"), std::u16string::npos) << ToUtf8(csv);

    SidexisPatient p = Example();
    p.patient = patient;
    p.extraText = u"a\r\nb";
    for (const auto& record : {*BuildSidexisNRecord(p, FakeOem850), *BuildSidexisARecord(p, FakeOem850)}) {
        EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 1) << "only the record's own end";
        EXPECT_EQ(std::count(record.begin(), record.end(), '\r'), 1);
    }
    const Bytes n = *BuildSidexisNRecord(p, FakeOem850);
    EXPECT_EQ(Bytes(n.begin() + 4, n.begin() + 20), B("DUPONT X\0JEAN Y\0"s));
}

TEST(HandOffDefaults, ProgramByTarget) {
    EXPECT_EQ(DefaultProgramPath(TargetCliniView), u"C:\\Program Files\\CliniView\\CliniView.exe");
    for (int target : {-1, 0, 2, 3, 4, 5, 7}) {
        EXPECT_EQ(DefaultProgramPath(target), u"C:\\vixwin\\vixwin.exe");
    }
}

}  // namespace
}  // namespace vorbel
