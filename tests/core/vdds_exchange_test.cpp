#include "patient/vdds_exchange.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "text/text.h"

namespace vorbel {

void PrintTo(const VddsPatient& p, std::ostream* os) {
    *os << "{" << ToUtf8(p.practiceProgram) << "|" << ToUtf8(p.imagingProgram) << "|" << ToUtf8(p.patient.chartNumber)
        << "|" << ToUtf8(p.patient.lastName) << "|" << ToUtf8(p.patient.firstName) << "|";
    if (p.birthDate) *os << p.birthDate->year << "-" << p.birthDate->month << "-" << p.birthDate->day;
    *os << "|" << (p.sex ? std::to_string(*p.sex) : "?") << "}";
}

namespace {

using namespace std::string_literals;

// The sample patient as a practice program writes it, in Windows-1252.
const std::string kSampleFile =
    "[PATIENT]\r\nPVS=DENTO\r\nBVS=VORBEL\r\nPATID=4217\r\nLASTNAME=MARTIN\r\nFIRSTNAME=H\xe9l\xe8ne\r\n"
    "BIRTHDAY=19840912\r\nSEX=W\r\nREADY=0\r\nERRORLEVEL=0\r\n";

VddsPatient Sample() { return {u"DENTO", u"VORBEL", {u"4217", u"MARTIN", u"Hélène"}, CalendarDate{12, 9, 1984}, 1}; }

VddsPatient Named(std::u16string chart, std::u16string last, std::u16string first) {
    return {u"", u"", {std::move(chart), std::move(last), std::move(first)}, std::nullopt, std::nullopt};
}

VddsPatient Born(CalendarDate d) {
    VddsPatient p = Named(u"1", u"", u"");
    p.birthDate = d;
    return p;
}

VddsPatient OfSex(int sex) {
    VddsPatient p = Named(u"1", u"", u"");
    p.sex = sex;
    return p;
}

struct ReadCase {
    const char* what;
    std::string bytes;
    std::optional<VddsPatient> patient;  // nullopt: no exchange file
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class ReadVddsPatientTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadVddsPatientTest, ReadsTheFieldsTolerantly) {
    EXPECT_EQ(ReadVddsPatient(GetParam().bytes), GetParam().patient);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ReadVddsPatientTest,
    ::testing::Values(
        ReadCase{"the sample", kSampleFile, Sample()},
        ReadCase{"any case, blanks, LF and no final line break",
                 "[patient]\n pvs = DENTO \n bvs=VORBEL\npatid= 4217\nlastname = MARTIN\n\tfirstname=H\xe9l\xe8ne\n"
                 "birthday=19840912\nsex=w",
                 Sample()},
        ReadCase{"missing fields stay empty", "[PATIENT]\r\nPATID=4217\r\n", Named(u"4217", u"", u"")},
        ReadCase{"the first of duplicated sections and keys",
                 "[PATIENT]\r\nPATID=4217\r\nPATID=9\r\n[PATIENT]\r\nLASTNAME=X\r\n", Named(u"4217", u"", u"")},
        ReadCase{"the letters of bytes 80 to 9F", "[PATIENT]\r\nLASTNAME=\x8aKODA \x8c\r\n",
                 Named(u"", u"\u0160KODA Œ", u"")},
        ReadCase{"UTF-8 with its byte-order mark", "\xef\xbb\xbf[PATIENT]\r\nFIRSTNAME=H\xc3\xa9l\xc3\xa8ne",
                 Named(u"", u"", u"Hélène")},
        // What Windows-1252 reads, whatever it looks like: no guess.
        ReadCase{"UTF-8 without the mark", "[PATIENT]\r\nFIRSTNAME=H\xc3\xa9l\xc3\xa8ne\r\n",
                 Named(u"", u"", u"H\u00c3\u00a9l\u00c3\u00a8ne")}));

INSTANTIATE_TEST_SUITE_P(
    BirthDateAndSex, ReadVddsPatientTest,
    ::testing::Values(ReadCase{"a leap day", "[PATIENT]\nPATID=1\nBIRTHDAY=20000229", Born({29, 2, 2000})},
                      ReadCase{"no leap day", "[PATIENT]\nPATID=1\nBIRTHDAY=19000229", Named(u"1", u"", u"")},
                      ReadCase{"no 31st", "[PATIENT]\nPATID=1\nBIRTHDAY=19840931", Named(u"1", u"", u"")},
                      ReadCase{"no month 13", "[PATIENT]\nPATID=1\nBIRTHDAY=19841312", Named(u"1", u"", u"")},
                      ReadCase{"nothing known", "[PATIENT]\nPATID=1\nBIRTHDAY=00000000", Named(u"1", u"", u"")},
                      ReadCase{"another format", "[PATIENT]\nPATID=1\nBIRTHDAY=12.09.1984", Named(u"1", u"", u"")},
                      ReadCase{"a sign", "[PATIENT]\nPATID=1\nBIRTHDAY=+9840912", Named(u"1", u"", u"")},
                      ReadCase{"male", "[PATIENT]\nPATID=1\nSEX=M", OfSex(0)},
                      ReadCase{"female, as the French write it", "[PATIENT]\nPATID=1\nSEX=f", OfSex(1)},
                      ReadCase{"unknown", "[PATIENT]\nPATID=1\nSEX=X", Named(u"1", u"", u"")},
                      ReadCase{"two letters", "[PATIENT]\nPATID=1\nSEX=MW", Named(u"1", u"", u"")}));

INSTANTIATE_TEST_SUITE_P(
    NoExchangeFile, ReadVddsPatientTest,
    ::testing::Values(ReadCase{"empty", "", std::nullopt},
                      ReadCase{"another section", "[PATIENTEN]\r\nPATID=4217\r\n", std::nullopt},
                      ReadCase{"the UTF-8 mark before bytes that are no UTF-8",
                               "\xef\xbb\xbf[PATIENT]\r\nFIRSTNAME=H\xe9l\xe8ne\r\n", std::nullopt},
                      ReadCase{"keys before the section", "PATID=4217\r\n[PATIENT]\r\n", std::nullopt},
                      ReadCase{"a command line", "4217 MARTIN H\xe9l\xe8ne", std::nullopt},
                      ReadCase{"a picture", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR[PATIENT]\n"s, std::nullopt},
                      ReadCase{"UTF-16", "\xff\xfe[\0P\0A\0T\0I\0E\0N\0T\0]\0"s, std::nullopt}));

struct AnswerCase {
    const char* what;
    std::string before;
    int errorLevel;
    std::u16string errorText;
    std::optional<std::string> after;  // nullopt: left alone
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.what; }

class AnswerVddsExchangeTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerVddsExchangeTest, WritesTheAnswerAndKeepsEveryOtherByte) {
    const AnswerCase& c = GetParam();
    EXPECT_EQ(AnswerVddsExchange(c.before, c.errorLevel, c.errorText), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    All, AnswerVddsExchangeTest,
    ::testing::Values(
        AnswerCase{"success, in place", kSampleFile, 0, u"",
                   "[PATIENT]\r\nPVS=DENTO\r\nBVS=VORBEL\r\nPATID=4217\r\nLASTNAME=MARTIN\r\nFIRSTNAME=H\xe9l\xe8ne\r\n"
                   "BIRTHDAY=19840912\r\nSEX=W\r\nREADY=1\r\nERRORLEVEL=0\r\n"},
        AnswerCase{"an error and its text, added after the last entry", kSampleFile, 3, u"Transfert refusé",
                   "[PATIENT]\r\nPVS=DENTO\r\nBVS=VORBEL\r\nPATID=4217\r\nLASTNAME=MARTIN\r\nFIRSTNAME=H\xe9l\xe8ne\r\n"
                   "BIRTHDAY=19840912\r\nSEX=W\r\nREADY=1\r\nERRORLEVEL=3\r\nERRORTEXT=Transfert refus\xe9\r\n"},
        AnswerCase{"other sections, comments, any case, LF and no final line break",
                   "; DENTO\n[Praxis]\nX=1\n[patient]\npatid=4217\nready = 0 \nerrortext=old\n[Other]\nY=2", 2,
                   u"Annulé",
                   "; DENTO\n[Praxis]\nX=1\n[patient]\npatid=4217\nready = 1 \nerrortext=Annul\xe9\nERRORLEVEL=2\n"
                   "[Other]\nY=2"},
        AnswerCase{"a text that would add a line", "[PATIENT]\r\nPATID=1\r\n", 1, u"Ligne 1\r\nERRORLEVEL=0",
                   "[PATIENT]\r\nPATID=1\r\nERRORLEVEL=1\r\nERRORTEXT=Ligne 1  ERRORLEVEL=0\r\nREADY=1\r\n"},
        AnswerCase{"bytes Windows-1252 leaves undefined", "[PATIENT]\r\nLASTNAME=\x81\x8d\x8f\x90\x9d\r\n", 0, u"",
                   "[PATIENT]\r\nLASTNAME=\x81\x8d\x8f\x90\x9d\r\nERRORLEVEL=0\r\nREADY=1\r\n"},
        AnswerCase{"a UTF-8 file stays UTF-8", "\xef\xbb\xbf[PATIENT]\r\nFIRSTNAME=H\xc3\xa9l\xc3\xa8ne\r\n", 1,
                   u"Annulé",
                   "\xef\xbb\xbf[PATIENT]\r\nFIRSTNAME=H\xc3\xa9l\xc3\xa8ne\r\nERRORLEVEL=1\r\nERRORTEXT="
                   "Annul\xc3\xa9\r\nREADY=1\r\n"},
        AnswerCase{"no exchange file", "[PATIENTEN]\r\nPATID=4217\r\n", 0, u"", std::nullopt},
        AnswerCase{"a binary file", "[PATIENT]\r\n\0"s, 0, u"", std::nullopt},
        AnswerCase{"nothing", "", 0, u"", std::nullopt}));

}  // namespace
}  // namespace vorbel
