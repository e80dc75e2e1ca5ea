#include "patient/command_line.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "text/text.h"

namespace vorbel {

void PrintTo(const PatientRecord& r, std::ostream* os) {
    *os << "{" << ToUtf8(r.chartNumber) << "|" << ToUtf8(r.lastName) << "|" << ToUtf8(r.firstName) << "}";
}

namespace {

struct Case {
    int format;
    bool swap;
    std::u16string cmd;
    PatientRecord expected;  // chart number, last name, first name
};

class ParseCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, YieldsTheDocumentedFields) {
    const Case& c = GetParam();
    EXPECT_EQ(ParseCommandLine(c.cmd, c.format, c.swap), c.expected) << ToUtf8(c.cmd);
}

INSTANTIATE_TEST_SUITE_P(Spaced, ParseCommandLineTest,
                         ::testing::Values(Case{1, false, u"1234 DUPONT JEAN", {u"1234", u"DUPONT", u"JEAN"}},
                                           Case{1, true, u"1234 DUPONT JEAN", {u"1234", u"JEAN", u"DUPONT"}},
                                           Case{1, false, u"001234 DUPONT", {u"1234", u"DUPONT", u""}},
                                           // A first piece that is not a number names no patient, never patient 0.
                                           Case{1, false, u"A12 DUPONT JEAN", {u"", u"DUPONT", u"JEAN"}},
                                           Case{1, false, u"DOSSIER", {u"", u"", u""}},
                                           Case{1, false, u"\"C:\\vdds\\exch 1.ini\"", {u"", u"1.ini\"", u""}},
                                           Case{1, false, u"- 42 DUPONT JEAN", {u"", u"42", u"DUPONT"}},
                                           Case{1, false, u"4217x MARTIN Hélène", {u"4217", u"MARTIN", u"Hélène"}},
                                           Case{1, false, u"+4217 MARTIN", {u"4217", u"MARTIN", u""}},
                                           Case{1, false, u"1234  DUPONT JEAN", {u"1234", u"", u"DUPONT"}},
                                           Case{1, false, u"1234 DE LA TOUR JEAN", {u"1234", u"DE", u"LA"}},
                                           Case{1, false, u"99999999999 X Y", {u"2147483647", u"X", u"Y"}},
                                           Case{1, false, u"-99999999999", {u"-2147483648", u"", u""}},
                                           Case{1, false, u"-0042 ÉLOÏSE Zélie", {u"-42", u"ÉLOÏSE", u"Zélie"}},
                                           Case{1, true, u"7", {u"7", u"", u""}}));

INSTANTIATE_TEST_SUITE_P(
    Quoted, ParseCommandLineTest,
    ::testing::Values(Case{2, false, u"1234 \"DUPONT\" \"JEAN\" \"01/02/1970\"", {u"1234", u"DUPONT", u"JEAN"}},
                      Case{2, false, u"1234 \"DE LA TOUR\" \"JEAN\"", {u"1234", u"DE LA TOUR", u"JEAN"}},
                      Case{2, false, u"1234 \"DUPONT\"", {u"1234", u"DUPONT", u""}},
                      Case{2, true, u"1234 \"DUPONT\" \"JEAN\"", {u"1234", u"JEAN", u"DUPONT"}},
                      Case{2, false, u"1234 \"DUPONT", {u"1234", u"DUPONT", u""}},
                      Case{2, false, u"  55\"A\"\"B\"", {u"55", u"A", u"B"}},
                      Case{2, false, u"99999999999 \"A\" \"B\"", {u"2147483647", u"A", u"B"}},
                      Case{2, false, u" 4217x\"MARTIN\" \"Hélène\"", {u"4217", u"MARTIN", u"Hélène"}},
                      Case{2, false, u"\"C:\\vdds\\exch 1.ini\"", {u"", u"C:\\vdds\\exch 1.ini", u""}},
                      Case{2, false, u"DOSSIER \"MARTIN\" \"Hélène\"", {u"", u"MARTIN", u"Hélène"}},
                      Case{2, false, u"\t-7\"A\"\"B\"", {u"-7", u"A", u"B"}}));

INSTANTIATE_TEST_SUITE_P(
    Switches, ParseCommandLineTest,
    ::testing::Values(Case{3, false, u"-I 1234 -N DUPONT^JEAN -P C:\\img", {u"1234", u"DUPONT", u"JEAN"}},
                      Case{3, false, u"-I 1234 -N DUPONT^JEAN", {u"1234", u"DUPONT", u"JEAN"}},
                      Case{3, false, u"-I 1234 -P C:\\img", {u"1234", u"", u""}},
                      Case{3, false, u"-N DUPONT^JEAN", {u"", u"", u""}},
                      Case{3, false, u"-N DUPONT^JEAN -I 1234", {u"", u"DUPONT", u"JEAN -I 1234"}},
                      Case{3, false, u"-I 1234 -N DUPONT^JEAN-PIERRE -P C:\\img", {u"1234", u"DUPONT", u"JEAN"}},
                      Case{3, true, u"-I 1234 -N DUPONT^JEAN", {u"1234", u"JEAN", u"DUPONT"}},
                      Case{3, false, u"-I 1234 -N DUPONT", {u"1234", u"DUPONT", u""}},
                      Case{3, false, u"-i 1234 -n DUPONT^JEAN", {u"", u"", u""}},
                      Case{3, false, u"-I", {u"", u"", u""}}, Case{3, false, u"-P C:\\img -I 1234", {u"", u"", u""}}));

INSTANTIATE_TEST_SUITE_P(
    SlashP, ParseCommandLineTest,
    ::testing::Values(Case{4, false, u"/p\"DUPONT, JEAN::98::1234::01/02/1970::M\"", {u"1234", u"DUPONT", u" JEAN"}},
                      Case{4, true, u"/p\"DUPONT, JEAN::98::1234::01/02/1970::M\"", {u"1234", u" JEAN", u"DUPONT"}},
                      Case{4, false, u"/p\"DUPONT JEAN: 98: 1234: 01/02/1970: M\"", {u"1234", u"DUPONT", u"JEAN"}},
                      Case{4, false, u"-pDUPONT, JEAN::98::1234", {u"1234", u"DUPONT", u" JEAN"}},
                      Case{4, false, u"/p\"DUPONT::98\"", {u"", u"DUPONT", u""}},
                      Case{4, true, u"/p\"DUPONT::98\"", {u"", u"DUPONT", u""}},
                      Case{4, false, u"/p\"DUPONT JEAN\"", {u"", u"", u""}},
                      Case{4, false, u"DUPONT, JEAN::98::1234", {u"", u"", u""}},
                      // "-P" wins over an earlier "/p" because the spellings are tried in a fixed order.
                      Case{4, false, u"/p\"A, B::1::2\" -P\"C, D::3::4\"", {u"4", u"C", u" D"}},
                      Case{4, false, u"/p\"DUPONT, JEAN::98::1234 ", {u"1234", u"\"DUPONT", u" JEAN"}},
                      Case{4, false, u"/p:", {u"", u"", u""}}, Case{4, false, u"/p", {u"", u"", u""}}));

INSTANTIATE_TEST_SUITE_P(NoConvention, ParseCommandLineTest,
                         ::testing::Values(Case{0, false, u"1234 DUPONT JEAN", {}},
                                           Case{5, false, u"1234 DUPONT JEAN", {}},
                                           Case{-1, false, u"1234 DUPONT JEAN", {}}));

TEST(CommandLineFormat, StoredConventionSelectsTheParser) {
    // What the confirmation dialog does with the stored number of the convention setting.
    const std::pair<int32_t, int> cases[] = {{0, 0}, {42, 0}, {100, 0}, {109, 1}, {310, 4}, {377, 5}, {-25, -1}};
    for (auto [stored, index] : cases) EXPECT_EQ(DecodeConventionIndex(stored), index) << stored;
    EXPECT_EQ(ParseCommandLine(u"1 A B", DecodeConventionIndex(109), false), (PatientRecord{u"1", u"A", u"B"}));
    EXPECT_EQ(kCommandLineFormatLabels[FormatSwitches], u"-I Dossier -N Nom^Prénom [-P Chemin]");
}

}  // namespace
}  // namespace vorbel

namespace vorbel {
namespace {

TEST(CommandLineExtras, BirthDateAndSexWhereTheConventionCarriesThem) {
    struct ExtrasCase {
        int format;
        std::u16string cmd;
        CommandLineExtras expected;
    };
    const ExtrasCase cases[] = {
        {2, u"1234 \"DUPONT\" \"JEAN\" \"01/02/1970\"", {u"01/02/1970", std::nullopt}},
        {2, u"1234 \"DUPONT\" \"JEAN\"", {}},
        {4, u"/p\"DUPONT, JEAN::98::1234::01/02/1970::M\"", {u"01/02/1970", 0}},
        {4, u"/p\"DUPONT, ANNE::98::1234::05/03/1970::F\"", {u"05/03/1970", 1}},
        {4, u"/p\"DUPONT JEAN: 98: 1234: 01/02/1970: X\"", {u"01/02/1970", std::nullopt}},
        {4, u"/p\"DUPONT, JEAN::98::1234\"", {}},
        {4, u"/p\"DUPONT, JEAN::98::1234::01/02/1970\"", {u"01/02/1970", std::nullopt}},
        {1, u"1234 DUPONT JEAN 01/02/1970", {}},
        {3, u"-I 1234 -N DUPONT^JEAN -P C:\\img", {}},
    };
    for (const auto& c : cases) {
        const CommandLineExtras got = ParseCommandLineExtras(c.cmd, c.format);
        EXPECT_EQ(got.birthDate, c.expected.birthDate) << ToUtf8(c.cmd);
        EXPECT_EQ(got.sex, c.expected.sex) << ToUtf8(c.cmd);
    }
}

}  // namespace
}  // namespace vorbel
