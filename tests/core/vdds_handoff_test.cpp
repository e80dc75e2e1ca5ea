#include "handoff/vdds_exchange_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "text/text.h"

namespace vorbel {

void PrintTo(const VddsAnswer& a, std::ostream* os) {
    *os << "{ready " << a.ready << ", level " << a.errorLevel << ", \"" << ToUtf8(a.errorText) << "\"}";
}

namespace {

VddsPatient Patient(std::u16string chart, std::u16string last, std::u16string first,
                    std::optional<CalendarDate> birthDate = std::nullopt, std::optional<int> sex = std::nullopt) {
    return {u"VORBEL", u"IMAGO", {std::move(chart), std::move(last), std::move(first)}, birthDate, sex};
}

struct BuildCase {
    const char* what;
    VddsPatient patient;
    std::string bytes;  // the whole file
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.what; }

class BuildVddsExchangeFileTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildVddsExchangeFileTest, WritesTheseBytes) {
    EXPECT_EQ(BuildVddsExchangeFile(GetParam().patient), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    All, BuildVddsExchangeFileTest,
    ::testing::Values(
        BuildCase{"the sample patient", Patient(u"4217", u"MARTIN", u"Hélène", CalendarDate{12, 9, 1984}, 1),
                  "[PATIENT]\r\nPVS=VORBEL\r\nBVS=IMAGO\r\nPATID=4217\r\nLASTNAME=MARTIN\r\nFIRSTNAME=H\xe9l\xe8ne\r\n"
                  "BIRTHDAY=19840912\r\nSEX=W\r\nREADY=0\r\nERRORLEVEL=0\r\n"},
        BuildCase{
            "accents and line breaks, a male born before the year 1000",
            Patient(u"12\r\n", u"DE LA\r\nTOUR", u"Zoë\nAnne", CalendarDate{1, 2, 999}, 0),
            "[PATIENT]\r\nPVS=VORBEL\r\nBVS=IMAGO\r\nPATID=12\r\nLASTNAME=DE LA  TOUR\r\nFIRSTNAME=Zo\xeb Anne\r\n"
            "BIRTHDAY=09990201\r\nSEX=M\r\nREADY=0\r\nERRORLEVEL=0\r\n"},
        BuildCase{"characters Windows-1252 lacks, values that would add entries, no date of the calendar",
                  Patient(u"1", u"Ko\u0142\u0105taj\r\nREADY=1", u"\U0001F600 [PATIENT]", CalendarDate{31, 2, 1984}),
                  "[PATIENT]\r\nPVS=VORBEL\r\nBVS=IMAGO\r\nPATID=1\r\nLASTNAME=Ko??taj  READY=1\r\n"
                  "FIRSTNAME=? [PATIENT]\r\nREADY=0\r\nERRORLEVEL=0\r\n"},
        BuildCase{"nothing known",
                  {},
                  "[PATIENT]\r\nPVS=\r\nBVS=\r\nPATID=\r\nLASTNAME=\r\nFIRSTNAME=\r\nREADY=0\r\nERRORLEVEL=0\r\n"}));

struct RoundTripCase {
    VddsPatient built, read;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << ToUtf8(c.built.patient.chartNumber) << "|" << ToUtf8(c.built.patient.lastName) << "|"
        << ToUtf8(c.built.patient.firstName);
}

class VddsRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(VddsRoundTripTest, ReadsBackWhatWasBuilt) {
    const std::optional<VddsPatient> read = ReadVddsPatient(BuildVddsExchangeFile(GetParam().built));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    All, VddsRoundTripTest,
    ::testing::Values(RoundTripCase{Patient(u"4217", u"MARTIN", u"Hélène", CalendarDate{12, 9, 1984}, 1),
                                    Patient(u"4217", u"MARTIN", u"Hélène", CalendarDate{12, 9, 1984}, 1)},
                      // Any sex but 0 is female, as everywhere else.
                      RoundTripCase{Patient(u"1", u"A", u"B", CalendarDate{29, 2, 2000}, 2),
                                    Patient(u"1", u"A", u"B", CalendarDate{29, 2, 2000}, 1)},
                      RoundTripCase{Patient(u" 42 ", u"\"O'BRIEN\"", u"'Sean'"),
                                    Patient(u"42", u"\"O'BRIEN\"", u"'Sean'")},
                      RoundTripCase{Patient(u"1", u"Œ €\u0142", u"a\r\nb"), Patient(u"1", u"Œ €?", u"a  b")}));

struct AnswerCase {
    const char* what;
    std::string bytes;
    std::optional<VddsAnswer> answer;  // nullopt: no exchange file (yet)
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.what; }

class ReadVddsAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ReadVddsAnswerTest, ReadsReadyLevelAndText) { EXPECT_EQ(ReadVddsAnswer(GetParam().bytes), GetParam().answer); }

INSTANTIATE_TEST_SUITE_P(
    All, ReadVddsAnswerTest,
    ::testing::Values(
        AnswerCase{"not yet", BuildVddsExchangeFile(Patient(u"1", u"A", u"B")), VddsAnswer{false, 0, u""}},
        AnswerCase{"success", "[PATIENT]\r\nREADY=1\r\nERRORLEVEL=0\r\n", VddsAnswer{true, 0, u""}},
        AnswerCase{"an error", "[patient]\nready = 1\nerrorlevel = 3\nerrortext = Cl\xe9 absente",
                   VddsAnswer{true, 3, u"Clé absente"}},
        AnswerCase{"a level that is no number fails", "[PATIENT]\nREADY=1\nERRORLEVEL=fehlt\n",
                   VddsAnswer{true, -1, u""}},
        AnswerCase{"a level too long for a number fails", "[PATIENT]\nREADY=1\nERRORLEVEL=10000000000\n",
                   VddsAnswer{true, -1, u""}},
        AnswerCase{"a negative level", "[PATIENT]\nREADY=1\nERRORLEVEL=-2\n", VddsAnswer{true, -2, u""}},
        AnswerCase{"an empty level, a missing one", "[PATIENT]\nREADY=01\nERRORLEVEL=\n", VddsAnswer{true, 0, u""}},
        AnswerCase{"READY is a number", "[PATIENT]\nREADY=yes\n", VddsAnswer{false, 0, u""}},
        AnswerCase{"READY=1 in a later section is not read", "[PATIENT]\nREADY=0\n[PATIENT]\nREADY=1\n",
                   VddsAnswer{false, 0, u""}},
        AnswerCase{"a file being rewritten", "", std::nullopt},
        AnswerCase{"another file", "[PATIENTEN]\nREADY=1\n", std::nullopt}));

TEST(VddsAnswerTest, TheImagingSideAnswersWhatTheHandOffReads) {
    const std::string built = BuildVddsExchangeFile(Patient(u"4217", u"MARTIN", u"Hélène"));
    EXPECT_EQ(ReadVddsAnswer(*AnswerVddsExchange(built, 0, u"")), (VddsAnswer{true, 0, u""}));
    EXPECT_EQ(ReadVddsAnswer(*AnswerVddsExchange(built, 3, u"Patient inconnu\r\nà l'imagerie")),
              (VddsAnswer{true, 3, u"Patient inconnu  à l'imagerie"}));
}

}  // namespace
}  // namespace vorbel
